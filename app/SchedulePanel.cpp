#include "app/SchedulePanel.h"

#include <QFileDialog>

#include "app/Layout.h"
#include "app/QtStrings.h"
#include "platform/UserInterface.h"
#include "profile/ArchivePassword.h"
#include "profile/BackupLog.h"
#include "profile/Keyring.h"
#include "profile/RemoteBackups.h"
#include "sevenzip/PathUtils.h"

namespace {

void ShowBox(const WideString& text, const WideString& caption, UINT icon) {
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

}  // namespace

TSchedulePanel::TSchedulePanel(const WideString& toolDirectory, std::function<TCompressStrength()> strength,
                               const TPasswordPanel* passwordPanel, QWidget* parent)
    : QWidget(parent), FToolDirectory(toolDirectory), FStrength(std::move(strength)), FPasswordPanel(passwordPanel) {
  auto* caption = new QLabel("Back up automatically:", this);
  Place(caption, 13, 4);
  FrequencyBox = new QComboBox(this);
  FrequencyBox->addItems({"Off", "Daily", "Weekly"});
  Place(FrequencyBox, 135, 0, 62, 21);
  auto* into = new QLabel("into", this);
  Place(into, 204, 4);
  FolderEdit = new QLineEdit(this);
  FolderEdit->setPlaceholderText("folder for the backups");
  Place(FolderEdit, 228, 0, 150, 21);
  BrowseButton = new QToolButton(this);
  BrowseButton->setText("...");
  Place(BrowseButton, 380, 0, 24, 21);
  auto* keep = new QLabel("Keep the newest", this);
  Place(keep, 412, 4);
  KeepBox = new QSpinBox(this);
  KeepBox->setRange(1, 999);
  KeepBox->setValue(7);
  Place(KeepBox, 498, 0, 45, 21);
  SaveButton = new QPushButton("Save", this);
  Place(SaveButton, 550, -1, 62, 23);
  LastLabel = new QLabel(this);
  Place(LastLabel, 13, 28, 600, 13);
  connect(BrowseButton, &QToolButton::clicked, this, [this] { BrowseFolder(); });
  connect(SaveButton, &QPushButton::clicked, this, [this] { SaveClick(); });
  ShowSchedule();
}

void TSchedulePanel::ShowSchedule() {
  FFound = ReadSchedule(FToolDirectory);
  FrequencyBox->setCurrentIndex(static_cast<int>(FFound.Frequency));
  FolderEdit->setText(HostPathOf(FFound.Folder));
  if (FFound.Keep > 0) KeepBox->setValue(FFound.Keep);
  ShowLastBackup();
}

void TSchedulePanel::ShowLastBackup() {
  const auto last = LastScheduledBackup(FToolDirectory);
  if (!last) {
    LastLabel->setText(HasSchedule() ? "No automatic backup has run yet." : "");
  } else {
    LastLabel->setText("Last automatic backup: " + ToQString(last->When) + ", " +
                       HostPathOf(WideExtractFileName(last->Archive)) +
                       (last->Succeeded ? ", complete." : ", failed: " + HostPathOf(last->Message)));
  }
  LastLabel->adjustSize();
}

void TSchedulePanel::BrowseFolder() {
  const QString folder = QFileDialog::getExistingDirectory(this, "Folder for automatic backups", FolderEdit->text());
  if (!folder.isEmpty()) FolderEdit->setText(folder);
}

bool TSchedulePanel::RememberForSchedule(const WideString& password) {
  if (MessageBoxW(nullptr, u"Remember it in the keyring for automatic backups? They are then encrypted with it.",
                  u"Password", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    ShowBox(u"The schedule was not saved.", u"Info", MB_ICONINFORMATION);
    return false;
  }
  WideString problem;
  if (RememberPassword(FToolDirectory, password, problem)) return true;
  ShowBox(problem + u"\r\nWithout a keyring automatic backups cannot be encrypted: the password is kept nowhere "
                    u"else. The schedule was not saved.",
          u"Warning", MB_ICONWARNING);
  return false;
}

void TSchedulePanel::SaveClick() {
  // A remote (REMOTE:path) is taken as it stands; rclone reaches it when the backup runs.
  const QString folder = FolderEdit->text().trimmed();
  const bool remote = IsRemoteLocation(ToWide(folder));
  TBackupSchedule schedule{static_cast<TScheduleFrequency>(FrequencyBox->currentIndex()),
                           remote ? ToWide(folder) : SystemPathOf(folder), KeepBox->value(), FStrength()};
  if (schedule.Frequency != TScheduleFrequency::Off && !remote &&
      (!schedule.Folder.starts_with(u"\\") || !WideDirectoryExists(schedule.Folder))) {
    ShowBox(u"The folder " + schedule.Folder + u" does not exist. Nothing was saved.", u"Warning", MB_ICONWARNING);
    return;
  }
  if (const auto refusal = FPasswordPanel->Refusal(); refusal && schedule.Frequency != TScheduleFrequency::Off) {
    ShowBox(*refusal, u"Warning", MB_ICONWARNING);
    return;
  }
  WideString password = FPasswordPanel->Password();
  schedule.Encrypted = !password.empty() && schedule.Frequency != TScheduleFrequency::Off;
  const bool kept = !schedule.Encrypted || RememberForSchedule(password);
  ForgetPassword(password);
  if (!kept) return;
  const TScheduleOutcome outcome = SaveSchedule(FToolDirectory, schedule);
  if (!outcome.Saved) {
    ShowBox(outcome.Message + u"\r\nThe schedule was not saved.", u"Warning", MB_ICONWARNING);
  } else if (!outcome.Message.empty()) {
    ShowBox(outcome.Message, u"Info", MB_ICONINFORMATION);
  } else {
    ShowBox(schedule.Frequency == TScheduleFrequency::Off ? u"Automatic backups are off." : u"The schedule was saved.",
            u"Info", MB_ICONINFORMATION);
  }
  ShowSchedule();
}
