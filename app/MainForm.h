// The main window: its tab pages and controls, the two archive components,
// the progress display and the handlers of its buttons.
#pragma once

#include <QCheckBox>
#include <QListWidget>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/About.h"
#include "app/FileNameEdit.h"
#include "app/SaveDialog.h"
#include "app/PasswordPanel.h"
#include "profile/ArchiveName.h"
#include "profile/ArchivePassword.h"
#include "profile/ProfileBackup.h"
#include "profile/RcloneProgram.h"
#include "app/SchedulePanel.h"
#include "app/RemotePanel.h"
#include "app/UndoPanel.h"
#include "sevenzip/SevenZip.h"

// A label that can be clicked.
class TClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class TForm1 : public QWidget {
  Q_OBJECT
 public:
  // Creates the window with its controls and archive components; raises the
  // components' error when the engine cannot be bound.
  explicit TForm1(const WideString& toolDirectory, const WideString& engineLibrary = TSevenZip::EngineLibraryName);
  ~TForm1() override;

  QTabWidget* PageControl1;
  QPushButton* Button2;
  QWidget* TabSheet1;
  QWidget* TabSheet3;
  QWidget* TabSheet2;
  QWidget* TabSheet5;
  QWidget* TabSheet4;
  QWidget* TabSheet6;
  QCheckBox* CheckBox1;
  TClickLabel* Label9;
  QPushButton* DefaultBrowserButton;
  QGroupBox* GroupBox5;
  QPushButton* Button1;
  QLabel* Label6;
  QLabel* Label7;
  QGroupBox* GroupBox2;
  QGroupBox* GroupBox3;
  QLabel* Label2;
  TFileNameEdit* BackupFileDir;
  QLabel* Label8;
  QComboBox* ComboBox1;
  QPushButton* BitBtn1;
  QCheckBox* CheckBox2;
  QCheckBox* LeaveOutCachesBox;
  TPasswordPanel* PasswordPanel;
  TRemotePanel* RemotePanel;
  QLabel* Label3;
  QProgressBar* ProgressBar1;
  TSchedulePanel* SchedulePanel;
  QGroupBox* GroupBox1;
  QGroupBox* GroupBox4;
  QLabel* Label1;
  TFileNameEdit* RestoreFileName;
  QPushButton* BitBtn2;
  QPushButton* RestoreIntoButton;
  // The backups found in the backup folders, newest first; a click takes one.
  QListWidget* BackupsList;
  TUndoPanel* UndoPanel;
  QLabel* Label5;
  QProgressBar* ProgressBar2;
  QPushButton* Button3;
  QPushButton* Button5;
  QLineEdit* Edit1;
  QPushButton* Button4;
  std::unique_ptr<TSevenZip> SevenZip1;
  std::unique_ptr<TSevenZip> SevenZip2;
  TAboutBox* AboutBox;
  // Shown while a job of another process holds the profile.
  QLabel* OtherJobLabel;
  QTimer* OtherJobTimer;
  // A Linux desktop runs launchers, not .lnk files: the launcher is offered first.
  TSaveDialog SaveDialog1{u"Orvo.desktop", u"desktop", u"Desktop launcher (*.desktop)|*.desktop|Shortcut (*.lnk)|*.lnk"};

  const WideString& ToolDirectory() const { return FToolDirectory; }
  WideString ProfileDirectory() const { return FToolDirectory + u"Profile"; }

  // The progress display of the two components.
  void SevenZip1PreProgress(Int64 MaxProgress);
  void SevenZip1Progress(Int64 FilePosArc);
  void SevenZip2PreProgress(Int64 MaxProgress);
  void SevenZip2Progress(Int64 FilePosArc);

 protected:
  void showEvent(QShowEvent* event) override;
  // Captions are fitted again whenever the font changes.
  void changeEvent(QEvent* event) override;
  // While a profile job runs, closing asks whether to stop it; the window
  // closes only after the job has ended and its box was seen.
  void closeEvent(QCloseEvent* event) override;

 private:
  class TProfileJob;

  void CreatePages();
  void CreateConfigurationPage();
  void CreateSyncPage();
  void CreateBackupPage();
  void CreateRestorePage();
  void CreateImportPage();
  void CreateUserAgentPage();
  void CreateComponents(const WideString& engineLibrary);
  void WireHandlers();

  void FormCreate();
  void FormShow();
  void Button2Click();
  void BitBtn1Click();
  void BitBtn2Click();
  void RestoreIntoButtonClick();
  void UndoButtonClick();
  void DeleteKeptButtonClick();
  // The backups of the backup folders and the copy kept from the last restore.
  void ShowRestoreChoices();
  // rclone's transfers shown in the bar.
  TTransferProgress TransferProgress(QProgressBar* bar, int& shift);
  // The archive a box names: a remote one as it stands, a local one cleaned.
  static TArchiveName ChosenArchive(const WideString& text);
  // Runs a restore job on the archive, downloaded first when it is remote.
  TJobResult OnArchive(const WideString& name, const std::function<TJobResult(const WideString& archive)>& job);
  // The password question of a restore: a dialog over the window.
  TPasswordQuestion AskPassword();
  void CheckBox1Click();
  void CheckBox2Click();
  void Button1Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Label9Click();
  void DefaultBrowserButtonClick();

  // Whether a browser holds a folder the job would change or copy whole: then
  // a box says which and asks to close it, and the job does not start.
  bool BrowserHolds(const WideString& folder);
  bool BackUpWhileBrowserRuns();
  // Whether the user has asked the running job to stop, for the job to ask.
  std::function<bool()> StopRequested() const;
  // The buttons that touch the profile or start the browser: one such job at a time.
  void SetProfileButtonsEnabled(bool enabled);
  void WatchOtherJobs();
  void StartProgress(QProgressBar* bar, int& shift, Int64 maximum);
  void EndProgress(QProgressBar* bar, bool completed);
  void ShowProgress(QProgressBar* bar, int shift, Int64 position);

  WideString FToolDirectory;
  bool FShown = false;
  // The running profile job: the question asked when the window is closed
  // during it, and the component it runs on (none for an import). No
  // question means no job runs.
  WideString FJobQuestion;
  TSevenZip* FJobComponent = nullptr;
  // The user chose to stop the running job and to close the window after it.
  bool FStopAndClose = false;
  // Totals of 2^31 and more are shown shifted right by these many bits.
  int FProgressShift1 = 0;
  int FProgressShift2 = 0;
  static constexpr qint64 RepaintInterval = 100;   // milliseconds
  static constexpr int OtherJobInterval = 1000;     // milliseconds
  QElapsedTimer FRepaintClock;
};
