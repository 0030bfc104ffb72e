// The two user-interface services the layers below the windows need: a
// message box and the processing of pending messages. The application object
// installs the real ones; tests install their own to answer the boxes.
#pragma once

#include "platform/WinTypes.h"

constexpr UINT MB_OK = 0x00;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

constexpr DWORD OFN_PATHMUSTEXIST = 0x0800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;
constexpr DWORD OFN_HIDEREADONLY = 0x0004;

// The open-file dialog's record, with the members the system uses.
struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  LPCWSTR lpstrFilter;  // pairs of description and pattern, each null-ended, then an empty text
  DWORD nFilterIndex;
  LPWSTR lpstrFile;
  DWORD nMaxFile;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  LPCWSTR lpstrDefExt;
};

class THostUserInterface {
 public:
  virtual ~THostUserInterface() = default;
  virtual int MessageBox(const WideString& text, const WideString& caption, UINT type) = 0;
  virtual void ProcessMessages() = 0;
  // Show the open-file and the save-file dialog; true with the chosen name
  // in lpstrFile.
  virtual bool OpenFileDialog(OPENFILENAMEW& dialog) = 0;
  virtual bool SaveFileDialog(OPENFILENAMEW& dialog) = 0;
};

// Installs the user interface (null: none; boxes then answer IDOK unseen).
void SetHostUserInterface(THostUserInterface* userInterface);

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
// Processes every pending message of the GUI thread.
void ProcessPendingMessages();
// True when the user chose a file (the last error is then 0); false when
// the dialog was cancelled or no user interface is installed.
BOOL GetOpenFileNameW(OPENFILENAMEW* dialog);
// A dialog record with the members every caller sets: the first filter
// chosen and a file-name buffer of MAX_PATH characters.
OPENFILENAMEW FileDialogRecord(LPCWSTR title, LPCWSTR filter, LPWSTR file, LPCWSTR initialDirectory, DWORD flags,
                               LPCWSTR defaultExtension);
BOOL GetSaveFileNameW(OPENFILENAMEW* dialog);
