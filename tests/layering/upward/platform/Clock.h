#pragma once
// A platform header that reaches up into the shell.
#include "shell/MainWindow.h"
