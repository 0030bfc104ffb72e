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

class THostUserInterface {
 public:
  virtual ~THostUserInterface() = default;
  virtual int MessageBox(const WideString& text, const WideString& caption, UINT type) = 0;
  virtual void ProcessMessages() = 0;
};

// Installs the user interface (null: none; boxes then answer IDOK unseen).
void SetHostUserInterface(THostUserInterface* userInterface);

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
// Processes every pending message of the GUI thread.
void ProcessPendingMessages();
