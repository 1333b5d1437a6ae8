#pragma once
// Time texts and differences of the sentence store.
#include "platform/SystemTime.h"

#include <QByteArray>

namespace velmar::nmeaserver {

// "yyyy-mm-dd hh:mm:ss"
QByteArray dumpTimeStamp(const platform::SystemTime& t);
// a - b in seconds, milliseconds not counted.
double secondsBetween(const platform::SystemTime& a, const platform::SystemTime& b);

} // namespace velmar::nmeaserver
