// The Backup page's "Back up automatically" panel: how often, into which
// folder, how many to keep; saved as the user's systemd timer, and the last
// scheduled backup the log records.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <functional>

#include "app/PasswordPanel.h"
#include "profile/BackupSchedule.h"

class TSchedulePanel : public QWidget {
 public:
  // strength answers the strength the Backup page has chosen when saving; the
  // page's password panel says whether automatic backups are encrypted.
  TSchedulePanel(const WideString& toolDirectory, std::function<TCompressStrength()> strength,
                 const TPasswordPanel* passwordPanel, QWidget* parent);

  // Shows the schedule the units describe and the last scheduled backup.
  void ShowSchedule();
  // Saves what the panel shows; the box says what came of it.
  void SaveClick();
  // The strength of the schedule found, for the Backup page to show.
  TCompressStrength FoundStrength() const { return FFound.Strength; }
  bool HasSchedule() const { return FFound.Frequency != TScheduleFrequency::Off; }

  QComboBox* FrequencyBox;
  QLineEdit* FolderEdit;
  QToolButton* BrowseButton;
  QSpinBox* KeepBox;
  QPushButton* SaveButton;
  QLabel* LastLabel;

 private:
  void BrowseFolder();
  // Keeps the password in the keyring for the automatic backups, if the user
  // agrees and a keyring answers; false, said in a box, otherwise.
  bool RememberForSchedule(const WideString& password);
  void ShowLastBackup();

  WideString FToolDirectory;
  std::function<TCompressStrength()> FStrength;
  const TPasswordPanel* FPasswordPanel;
  TBackupSchedule FFound;
};
