#include "profile/DesktopNotice.h"

#include "profile/ChildProgram.h"

bool NotifyDesktop(const WideString& summary, const WideString& body) {
  const auto code = RunProgram(u"notify-send", {u"--app-name=Orvo Config & Backup Tool", u"--urgency=critical",
                                                u"--icon=dialog-warning", summary, body},
                               10000);
  return code && *code == 0;
}
