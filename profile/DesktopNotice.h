// A notification on the user's desktop (the freedesktop notification
// service, through notify-send), for what nobody watches happen: a scheduled
// backup that failed.
#pragma once

#include "platform/WinTypes.h"

// False when no notification service took it.
bool NotifyDesktop(const WideString& summary, const WideString& body);
