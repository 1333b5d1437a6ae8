// Velmar: the main program of the survey suite.
#include "shell/VelmarMain.h"

int main(int argc, char** argv)
{
    return velmar::shell::VelmarMain(argc, argv);
}
