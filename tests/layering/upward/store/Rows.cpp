// A store source that uses a lower layer (allowed) and its own folder, and
// reaches up twice more with other spellings of an include.
#include "platform/Clock.h"
#include "store/Rows.h"
#include <QtCore/QString>
#include <shell/Panel.h>
#include "../forms/Form.h"
