#include "app/QtStrings.h"

QString ToQString(const WideString& text) { return QString::fromStdU16String(text); }

WideString ToWide(const QString& text) { return text.toStdU16String(); }

WideString SystemPathOf(const QString& hostPath) { return ToWide(QString(hostPath).replace(u'/', u'\\')); }

QString HostPathOf(const WideString& systemPath) { return ToQString(systemPath).replace(u'\\', u'/'); }
