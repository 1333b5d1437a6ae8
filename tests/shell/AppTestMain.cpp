// Main of the application-object tests: the application object of Velmar
// itself is the one QApplication of the run.
#include "shell/TVelmarApp.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    velmar::shell::TVelmarApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
