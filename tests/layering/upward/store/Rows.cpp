// A store source that uses a lower layer (allowed) and its own folder.
#include "platform/Clock.h"
#include "store/Rows.h"
