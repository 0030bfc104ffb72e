// The application object: the title, the message boxes (each belonging to
// the active window, the others disabled while it is shown), the open-file
// dialog, the processing of pending messages, and the error box for what an
// event handler lets escape.
#pragma once

#include <exception>

#include "platform/UserInterface.h"

extern const WideString ApplicationTitle;

class TApplication : public THostUserInterface {
 public:
  TApplication();
  ~TApplication() override;

  int MessageBox(const WideString& text, const WideString& caption, UINT type) override;
  void ProcessMessages() override;
  bool OpenFileDialog(OPENFILENAMEW& dialog) override;
  bool SaveFileDialog(OPENFILENAMEW& dialog) override;

 private:
  static bool ShowFileDialog(OPENFILENAMEW& dialog, bool save);
};

// Shows an error that a handler let escape, with the application title as
// caption; the silent abort is discarded.
void HandleEventError(std::exception_ptr error);

// Runs an event handler under that rule.
template <typename Handler>
void RunGuarded(Handler&& handler) {
  try {
    handler();
  } catch (...) {
    HandleEventError(std::current_exception());
  }
}
