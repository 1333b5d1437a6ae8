// Main of the application-object tests: the application object of Velmar
// itself is the one QApplication of the run.
#include "shell/TVelmarApp.h"
#include "widgets/DialogService.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // The main window's message boxes (first run, exit question) are logged
    // instead of waiting for an operator, as in a scripted run.
    velmar::shell::ui::UnattendedDialogs unattended(false);
    velmar::shell::ui::BindDialogs(&unattended);
    velmar::shell::TVelmarApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
