// Main of the GoogleTest executables: a Qt application object exists for the
// whole run, so code that uses timers, signals or widgets works in tests.
#include <gtest/gtest.h>

#ifdef VELMAR_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
