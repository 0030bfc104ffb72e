// Text between the system's UTF-16 strings and Qt's. The boxes and dialogs
// show host paths ('/'); the handlers read system paths ('\').
#pragma once

#include <QString>

#include "platform/WinTypes.h"

QString ToQString(const WideString& text);
WideString ToWide(const QString& text);
WideString SystemPathOf(const QString& hostPath);
QString HostPathOf(const WideString& systemPath);
