// Two subsystems of one layer must stay apart.
#include "sound/Wave.h"
