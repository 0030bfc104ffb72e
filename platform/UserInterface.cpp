#include "platform/UserInterface.h"

#include "platform/LastError.h"

namespace {
THostUserInterface* InstalledInterface = nullptr;
}

void SetHostUserInterface(THostUserInterface* userInterface) { InstalledInterface = userInterface; }

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (!InstalledInterface) return IDOK;
  return InstalledInterface->MessageBox(text ? text : u"", caption ? caption : u"", type);
}

void ProcessPendingMessages() {
  if (InstalledInterface) InstalledInterface->ProcessMessages();
}

namespace {

BOOL ShowDialog(OPENFILENAMEW* dialog, bool (THostUserInterface::*show)(OPENFILENAMEW&)) {
  if (!InstalledInterface || !dialog || dialog->lStructSize != sizeof(OPENFILENAMEW)) return FALSE;
  if (!(InstalledInterface->*show)(*dialog)) return FALSE;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace

OPENFILENAMEW FileDialogRecord(LPCWSTR title, LPCWSTR filter, LPWSTR file, LPCWSTR initialDirectory, DWORD flags,
                               LPCWSTR defaultExtension) {
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = filter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = initialDirectory;
  dialog.lpstrTitle = title;
  dialog.Flags = flags;
  dialog.lpstrDefExt = defaultExtension;
  return dialog;
}

BOOL GetOpenFileNameW(OPENFILENAMEW* dialog) { return ShowDialog(dialog, &THostUserInterface::OpenFileDialog); }

BOOL GetSaveFileNameW(OPENFILENAMEW* dialog) { return ShowDialog(dialog, &THostUserInterface::SaveFileDialog); }
