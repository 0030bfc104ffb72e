// The Backup page's way to a remote: the rclone remotes the user set up, one
// of which, chosen, names the backup's target, and whether a copy stays here
// as well. Hidden where rclone is not installed.
#pragma once

#include <QCheckBox>
#include <QComboBox>

#include "app/FileNameEdit.h"

class TRemotePanel : public QWidget {
 public:
  TRemotePanel(TFileNameEdit* target, QWidget* parent);

  // Asks rclone for the remotes, once; hides the panel when it cannot start.
  void ShowRemotes(const WideString& workFolder);

  QComboBox* RemotesBox;
  QCheckBox* KeepHereBox;

 private:
  TFileNameEdit* FTarget;
  bool FAsked = false;
};
