#include "app/MainForm.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTimer>

#include "app/Application.h"
#include "app/Glyph.h"
#include "app/Layout.h"
#include "app/PasswordDialog.h"
#include "app/QtStrings.h"
#include "platform/FileApi.h"
#include "platform/HostPath.h"
#include "platform/UserInterface.h"
#include "profile/ArchiveName.h"
#include "profile/BackupList.h"
#include "profile/BackupLog.h"
#include "profile/BrowserCaches.h"
#include "profile/BrowserSettings.h"
#include "profile/DiskRoom.h"
#include "profile/FolderSummary.h"
#include "profile/HostServices.h"
#include "profile/ProfileBackup.h"
#include "profile/ProfileImport.h"
#include "profile/ProfileLock.h"
#include "profile/ProfileRestore.h"
#include "profile/ProfileSwap.h"
#include "profile/RemoteBackups.h"
#include "profile/RestoreUndo.h"
#include "sevenzip/PathUtils.h"

namespace {

const WideString BackupFilter = u"Orvo-Backup (*.7z)|*.7z|All files (*.*)|*.*";
const QString DefaultUserAgent =
    "Mozilla/5.0 (Windows NT 10.0) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/48.0.2550.1 Orvo/48.0.2550.0 "
    "Safari/537.36";

template <typename Control, typename... Arguments>
Control* Make(QWidget* parent, int left, int top, int width, int height, Arguments&&... arguments) {
  auto* control = new Control(std::forward<Arguments>(arguments)..., parent);
  Place(control, left, top, width, height);
  return control;
}

// Labels take the width of their text in the font the host has.
QLabel* MakeLabel(QWidget* parent, const QString& text, int left, int top, int, int) {
  auto* label = new QLabel(text, parent);
  Place(label, left, top);
  return label;
}

QProgressBar* MakeProgressBar(QWidget* parent, int left, int top, int width, int height) {
  auto* bar = Make<QProgressBar>(parent, left, top, width, height);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

QPushButton* MakeJobButton(QWidget* parent, const QString& caption, int left, int top, int width, int height) {
  auto* button = Make<QPushButton>(parent, left, top, width, height, caption);
  button->setIcon(CheckMarkGlyph());
  return button;
}

// How many bits a total must be shifted right to fit the bar's range.
int ShiftFor(Int64 total) {
  int shift = 0;
  while ((total >> shift) > 0x7FFFFFFF) ++shift;
  return shift;
}

void ShowBox(const WideString& text, const WideString& caption, UINT icon) {
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

void ShowOutcome(const TJobResult& result, const WideString& completion) {
  if (result.Warning.empty()) {
    ShowBox(completion, u"Info", MB_ICONINFORMATION);
  } else {
    ShowBox(result.Warning, u"Warning", MB_ICONWARNING);
  }
}

bool AskToOverwriteProfile() {
  return MessageBoxW(nullptr, u"Any existing Orvo profile data will be overwritten. Continue?", u"Warning",
                     MB_YESNO | MB_ICONWARNING) == IDYES;
}

const WideString BackupRunningQuestion =
    u"A backup is running. Stop it and close the tool?\r\nAn earlier backup file of the same name stays as it was.";
const WideString RestoreRunningQuestion =
    u"A restore is running. Stop it and close the tool?\r\nThe profile stays as it was.";
const WideString ImportRunningQuestion =
    u"An import is running. Stop it and close the tool?\r\nThe profile stays as it was.";

}  // namespace

// One profile job: its button shows "Running..." and every button that
// touches the profile or starts the browser is disabled until the job has
// ended, however it ends; a close asked for during the job happens then.
// A job that another process's job holds the profile from does not start:
// the box says so.
class TForm1::TProfileJob {
 public:
  TProfileJob(TForm1* form, QPushButton* button, WideString question, TSevenZip* component)
      : FForm(form), FButton(button), FCaption(button->text()), FLock(form->FToolDirectory) {
    if (Refused()) {
      ShowBox(FLock.Refusal(), u"Warning", MB_ICONWARNING);
      return;
    }
    FForm->FJobQuestion = std::move(question);
    FForm->FJobComponent = component;
    FForm->SetProfileButtonsEnabled(false);
    FButton->setText("Running...");
  }
  ~TProfileJob() {
    if (Refused()) return;
    FButton->setText(FCaption);
    FForm->SetProfileButtonsEnabled(true);
    FForm->FJobQuestion.clear();
    FForm->FJobComponent = nullptr;
    if (FForm->FStopAndClose) QTimer::singleShot(0, FForm, &QWidget::close);
  }
  TProfileJob(const TProfileJob&) = delete;
  TProfileJob& operator=(const TProfileJob&) = delete;

  bool Refused() const { return !FLock.Held(); }

 private:
  TForm1* FForm;
  QPushButton* FButton;
  QString FCaption;
  TProfileLock FLock;
};

void TClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

TForm1::TForm1(const WideString& toolDirectory, const WideString& engineLibrary) : FToolDirectory(toolDirectory) {
  setWindowTitle("Orvo Config & Backup Tool");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(DesignFont("Tahoma", 11));
  setFixedSize(Scaled(645), Scaled(420));
  CreateComponents(engineLibrary);
  CreatePages();
  Button2 = Make<QPushButton>(this, 548, 12, 75, 25, "Info");
  OtherJobLabel = MakeLabel(this, ToQString(AnotherJobRuns.substr(0, AnotherJobRuns.find(u'.') + 1)), 16, 44, 0, 0);
  OtherJobLabel->setStyleSheet("color: #a00000");
  OtherJobLabel->setVisible(false);
  OtherJobTimer = new QTimer(this);
  connect(OtherJobTimer, &QTimer::timeout, this, [this] { WatchOtherJobs(); });
  OtherJobTimer->start(OtherJobInterval);
  AboutBox = new TAboutBox(this);
  WireHandlers();
  FormCreate();
  FitCaptions(this);
}

void TForm1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) FitCaptions(this);
}

TForm1::~TForm1() = default;

void TForm1::CreateComponents(const WideString& engineLibrary) {
  SevenZip1 = std::make_unique<TSevenZip>(engineLibrary);
  SevenZip1->SetAddOptions({AddRecurseDirs});
  SevenZip1->SetExtractOptions({ExtractOverwrite});
  SevenZip1->SetLZMACompressStrength(TCompressStrength::FAST);
  SevenZip1->OnPreProgress = [this](TSevenZip*, Int64 maximum) { SevenZip1PreProgress(maximum); };
  SevenZip1->OnProgress = [this](TSevenZip*, const WideString&, Int64 position, Int64) { SevenZip1Progress(position); };
  SevenZip2 = std::make_unique<TSevenZip>(engineLibrary);
  SevenZip2->OnPreProgress = [this](TSevenZip*, Int64 maximum) { SevenZip2PreProgress(maximum); };
  SevenZip2->OnProgress = [this](TSevenZip*, const WideString&, Int64 position, Int64) { SevenZip2Progress(position); };
}

void TForm1::CreatePages() {
  PageControl1 = Make<QTabWidget>(this, 0, 68, 645, 352);
  CreateConfigurationPage();
  CreateSyncPage();
  CreateBackupPage();
  CreateRestorePage();
  CreateImportPage();
  CreateUserAgentPage();
  // A hidden page must be out of reach of the keyboard and the wheel too.
  PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), false);
  PageControl1->setTabEnabled(PageControl1->indexOf(TabSheet3), false);
  PageControl1->setCurrentWidget(TabSheet1);
}

void TForm1::CreateConfigurationPage() {
  TabSheet1 = new QWidget;
  PageControl1->addTab(TabSheet1, "Configuration");
  CheckBox1 = new QCheckBox("Enable extended Privacy", TabSheet1);
  Place(CheckBox1, 16, 32);
  // The label follows the check box, however wide the host's font makes it.
  Label9 = new TClickLabel("(Warning)", TabSheet1);
  Label9->move(std::max(Scaled(160), CheckBox1->geometry().right() + Scaled(6)), Scaled(34));
  QFont link = DesignFont("Tahoma", 11);
  link.setUnderline(true);
  Label9->setFont(link);
  Label9->adjustSize();
  Label9->setStyleSheet("color: blue");
  Label9->setCursor(Qt::PointingHandCursor);
  DefaultBrowserButton = Make<QPushButton>(TabSheet1, 16, 72, 249, 41, "Set Orvo as Default Browser");
}

void TForm1::CreateSyncPage() {
  TabSheet3 = new QWidget;
  PageControl1->addTab(TabSheet3, "Activate Sync");
  GroupBox5 = Make<QGroupBox>(TabSheet3, 16, 24, 585, 137);
  Button1 = Make<QPushButton>(GroupBox5, 11, 24, 358, 41, "Activate Sync");
  Label6 = MakeLabel(GroupBox5,
                     "If you want to use synchronisation (\"sign in...\"), start Orvo once with this button and then "
                     "activate it.",
                     11, 84, 486, 13);
  Label7 = MakeLabel(GroupBox5, "After that you can use and start Orvo as normal with sync enabled.", 11, 103, 321, 13);
}

void TForm1::CreateBackupPage() {
  TabSheet2 = new QWidget;
  PageControl1->addTab(TabSheet2, "Backup");
  GroupBox2 = Make<QGroupBox>(TabSheet2, 3, 8, 616, 183, "Backup");
  GroupBox3 = Make<QGroupBox>(TabSheet2, 3, 199, 616, 66);
  Label2 = MakeLabel(GroupBox2, "Backup to:", 16, 37, 51, 13);
  BackupFileDir = Make<TFileNameEdit>(GroupBox2, 88, 37, 241, 21, BackupFilter, u"7z");
  Label8 = MakeLabel(GroupBox2, "Compression Ratio", 352, 36, 89, 13);
  ComboBox1 = Make<QComboBox>(GroupBox2, 352, 55, 145, 21);
  ComboBox1->addItems({"SAVE", "FAST", "NORMAL", "MAXIMUM"});
  ComboBox1->setCurrentIndex(0);
  BitBtn1 = MakeJobButton(GroupBox2, "Start Backup", 16, 72, 313, 33);
  CheckBox2 = new QCheckBox("Delete cache before backup", GroupBox2);
  Place(CheckBox2, 344, 82);
  CheckBox2->setVisible(false);
  LeaveOutCachesBox = new QCheckBox("Leave out the browser's caches (they are rebuilt)", GroupBox2);
  Place(LeaveOutCachesBox, 16, 108);
  LeaveOutCachesBox->setChecked(true);
  RemotePanel = new TRemotePanel(BackupFileDir, GroupBox2);
  Place(RemotePanel, 352, 82, 250, 46);
  PasswordPanel = new TPasswordPanel(GroupBox2);
  Place(PasswordPanel, 3, 132, 610, 46);
  Label3 = MakeLabel(GroupBox3, "Progress:", 16, 14, 46, 13);
  ProgressBar1 = MakeProgressBar(GroupBox3, 13, 36, 572, 17);
  SchedulePanel = new TSchedulePanel(
      FToolDirectory, [this] { return static_cast<TCompressStrength>(std::max(0, ComboBox1->currentIndex())); },
      PasswordPanel, TabSheet2);
  Place(SchedulePanel, 3, 272, 616, 44);
  if (SchedulePanel->HasSchedule()) ComboBox1->setCurrentIndex(static_cast<int>(SchedulePanel->FoundStrength()));
  QWidget::setTabOrder(BitBtn1, BackupFileDir->Edit());
  QWidget::setTabOrder(BackupFileDir->Edit(), CheckBox2);
  QWidget::setTabOrder(CheckBox2, ComboBox1);
  QWidget::setTabOrder(ComboBox1, LeaveOutCachesBox);
  QWidget::setTabOrder(LeaveOutCachesBox, PasswordPanel->ProtectBox);
}

void TForm1::CreateRestorePage() {
  TabSheet5 = new QWidget;
  PageControl1->addTab(TabSheet5, "Restore");
  GroupBox1 = Make<QGroupBox>(TabSheet5, 3, 8, 622, 177, "Restore");
  GroupBox4 = Make<QGroupBox>(TabSheet5, 3, 191, 622, 90);
  Label1 = MakeLabel(GroupBox1, "Restore from:", 16, 45, 67, 13);
  RestoreFileName = Make<TFileNameEdit>(GroupBox1, 96, 42, 297, 21, BackupFilter, u"");
  BitBtn2 = MakeJobButton(GroupBox1, "Start Restore", 16, 84, 377, 29);
  RestoreIntoButton = Make<QPushButton>(GroupBox1, 16, 124, 377, 29, "Restore into a folder...");
  BackupsList = Make<QListWidget>(GroupBox1, 402, 24, 212, 144);
  QWidget::setTabOrder(RestoreFileName->Edit(), BitBtn2);
  Label5 = MakeLabel(GroupBox4, "Progress:", 16, 20, 46, 13);
  ProgressBar2 = MakeProgressBar(GroupBox4, 13, 47, 580, 17);
  UndoPanel = new TUndoPanel(TabSheet5);
  Place(UndoPanel, 3, 287, 622, 32);
}

void TForm1::CreateImportPage() {
  TabSheet4 = new QWidget;
  PageControl1->addTab(TabSheet4, "Import from Chrome");
  Button3 = Make<QPushButton>(TabSheet4, 24, 29, 214, 38, "Import Profile data from Chrome");
  Button5 = Make<QPushButton>(TabSheet4, 24, 93, 214, 38, "Import from Orvo Installation");
}

void TForm1::CreateUserAgentPage() {
  TabSheet6 = new QWidget;
  PageControl1->addTab(TabSheet6, "UserAgent");
  Edit1 = Make<QLineEdit>(TabSheet6, 16, 24, 585, 21, DefaultUserAgent);
  Button4 = Make<QPushButton>(TabSheet6, 16, 64, 313, 49, "Create Shortcut to launch Orvo with the UserAgent above");
  QWidget::setTabOrder(Button4, Edit1);
}

void TForm1::WireHandlers() {
  const auto wire = [this](QAbstractButton* button, void (TForm1::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] { RunGuarded([&] { (this->*handler)(); }); });
  };
  wire(Button2, &TForm1::Button2Click);
  wire(BitBtn1, &TForm1::BitBtn1Click);
  wire(BitBtn2, &TForm1::BitBtn2Click);
  wire(RestoreIntoButton, &TForm1::RestoreIntoButtonClick);
  wire(UndoPanel->UndoButton, &TForm1::UndoButtonClick);
  wire(UndoPanel->DeleteButton, &TForm1::DeleteKeptButtonClick);
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
    if (PageControl1->currentWidget() == TabSheet5) RunGuarded([this] { ShowRestoreChoices(); });
    if (PageControl1->currentWidget() == TabSheet2)
      RunGuarded([this] { RemotePanel->ShowRemotes(RemoteWorkFolder(FToolDirectory)); });
  });
  connect(BackupsList, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (item->data(Qt::UserRole).isValid()) RestoreFileName->SetText(item->data(Qt::UserRole).toString());
  });
  wire(Button1, &TForm1::Button1Click);
  wire(Button3, &TForm1::Button3Click);
  wire(Button4, &TForm1::Button4Click);
  wire(Button5, &TForm1::Button5Click);
  wire(DefaultBrowserButton, &TForm1::DefaultBrowserButtonClick);
  connect(Label9, &TClickLabel::clicked, this, [this] { RunGuarded([this] { Label9Click(); }); });
  connect(CheckBox1, &QCheckBox::toggled, this, [this] { RunGuarded([this] { CheckBox1Click(); }); });
  connect(CheckBox2, &QCheckBox::toggled, this, [this] { RunGuarded([this] { CheckBox2Click(); }); });
}

// Qt paints every window double-buffered already.
void TForm1::FormCreate() {
  DefaultBrowserButton->setVisible(false);
  setWindowTitle("Orvo Config & Backup Tool for OrvoPortable");
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (FShown) return;
  FShown = true;
  CentreOnScreen(this);
  RunGuarded([this] { FormShow(); });
}

// An interrupted restore is put right before anything else (unless a job of
// another process runs, which puts it right itself); copies it cannot choose
// between are kept and named. The failure of a scheduled backup is shown
// until a backup succeeds.
void TForm1::FormShow() {
  if (const TProfileLock lock(FToolDirectory); lock.Held()) {
    const TRecovery recovery = RecoverInterruptedSwap(ProfileDirectory());
    if (!recovery.Settled) ShowBox(recovery.Report, u"Warning", MB_ICONWARNING);
  }
  if (const auto failure = UnresolvedFailure(FToolDirectory))
    ShowBox(u"The automatic backup of " + failure->When + u" failed:\r\n" + failure->Message, u"Warning",
            MB_ICONWARNING);
  if (IsBrowserRunning(ProfileDirectory()))
    ShowBox(u"Please close all running browser instances before you continue!", u"Warning", MB_ICONWARNING);
  CheckBox1->setChecked(PrivacyFlagExists(FToolDirectory));
  PageControl1->setTabText(PageControl1->indexOf(TabSheet4), "Import");
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (FJobQuestion.empty()) return QWidget::closeEvent(event);
  event->ignore();
  if (FStopAndClose) return;
  if (MessageBoxW(nullptr, FJobQuestion.c_str(), u"Warning", MB_YESNO | MB_ICONWARNING) != IDYES) return;
  FStopAndClose = true;
  if (FJobComponent) FJobComponent->Cancel();
}

// A backup while a browser writes to the profile may catch files halfway
// through a change; the user may take one all the same.
bool TForm1::BackUpWhileBrowserRuns() {
  const WideString holder = BrowserHoldingFolder(ProfileDirectory());
  if (holder.empty()) return true;
  const WideString question = holder + u" is using the profile " + ProfileDirectory() +
                              u". A backup taken now may hold files caught halfway through a change: close the "
                              u"browser first.\r\n\r\nBack up anyway?";
  return MessageBoxW(nullptr, question.c_str(), u"Warning", MB_YESNO | MB_ICONWARNING) == IDYES;
}

bool TForm1::BrowserHolds(const WideString& folder) {
  const WideString holder = BrowserHoldingFolder(folder);
  if (holder.empty()) return false;
  ShowBox(holder + u" is using " + LongPathOf(folder) + u". Close the browser, then start again. Nothing was changed.",
          u"Warning", MB_ICONWARNING);
  return true;
}

std::function<bool()> TForm1::StopRequested() const {
  return [this] { return FStopAndClose; };
}

void TForm1::SetProfileButtonsEnabled(bool enabled) {
  for (QPushButton* button : {BitBtn1, BitBtn2, RestoreIntoButton, UndoPanel->UndoButton, UndoPanel->DeleteButton,
                              Button3, Button5, Button1, DefaultBrowserButton})
    button->setEnabled(enabled);
}

// While a job of another process (the command line, a scheduled backup)
// holds the profile, its buttons are disabled and a line says why.
void TForm1::WatchOtherJobs() {
  if (!FJobQuestion.empty()) return;
  const bool busy = TProfileLock::HeldByAJob(FToolDirectory);
  if (busy == OtherJobLabel->isVisible()) return;
  OtherJobLabel->setVisible(busy);
  SetProfileButtonsEnabled(!busy);
}

void TForm1::Button2Click() {
  if (!AboutBox->isVisible()) CentreOnScreen(AboutBox);
  AboutBox->show();
  AboutBox->raise();
  AboutBox->activateWindow();
}

// When the flag file cannot be written or deleted, the box shows after the
// error box what is on disk, so that box and file agree.
void TForm1::CheckBox1Click() {
  try {
    SetPrivacyFlag(FToolDirectory, CheckBox1->isChecked());
  } catch (...) {
    HandleEventError(std::current_exception());
    const QSignalBlocker quiet(CheckBox1);
    CheckBox1->setChecked(PrivacyFlagExists(FToolDirectory));
  }
}

void TForm1::CheckBox2Click() {
  if (CheckBox2->isChecked())
    ShowBox(u"Application may hang a few seconds before the backup starts when you have a lot of cached files.  Just "
            u"be patient.",
            u"Delete Cache", MB_ICONINFORMATION);
}

void TForm1::BitBtn1Click() {
  const WideString text = BackupFileDir->Text();
  if (text.empty()) return;
  const int strength = ComboBox1->currentIndex();
  if (strength >= 0 && strength <= 3) SevenZip1->SetLZMACompressStrength(static_cast<TCompressStrength>(strength));
  const TProfileJob job(this, BitBtn1, BackupRunningQuestion, SevenZip1.get());
  if (job.Refused()) return;
  if (CheckBox2->isChecked()) DeleteBrowserCaches(ProfileDirectory());
  const bool remote = IsRemoteLocation(text);
  const TArchiveName archive =
      remote ? TArchiveName{RemoteFolderPrefix(text) + DatedArchiveName(LocalTimeNow()), u"", false}
             : CleanArchiveName(text);
  if (archive.DirectoryMissing) {
    ShowBox(u"The folder " + archive.Directory + u" does not exist. Nothing was written.", u"Warning", MB_ICONWARNING);
    return;
  }
  if (const auto refusal = PasswordPanel->Refusal()) {
    ShowBox(*refusal, u"Warning", MB_ICONWARNING);
    return;
  }
  if (!BackUpWhileBrowserRuns()) return;
  TBackupOptions options{
      .WithCaches = !LeaveOutCachesBox->isChecked(), .Password = PasswordPanel->Password(), .OnStep = nullptr};
  const bool encrypted = !options.Password.empty();
  const TJobResult result =
      remote ? BackupProfileToRemote(*SevenZip1, FToolDirectory, ProfileDirectory(), archive.Name, StopRequested(),
                                     options, RemotePanel->KeepHereBox->isChecked(),
                                     TransferProgress(ProgressBar1, FProgressShift1))
             : BackupProfile(*SevenZip1, ProfileDirectory(), archive.Name, StopRequested(), options);
  ForgetPassword(options.Password);
  // A sound backup ends the warning of a failed scheduled one.
  if (result.Completed && result.Warning.empty())
    RecordBackup(FToolDirectory, {RecordTimeNow(), true, false, archive.Name, u""});
  EndProgress(ProgressBar1, result.Completed);
  ShowOutcome(result, WideString(u"Backup complete! (verified") + (encrypted ? u", encrypted" : u"") +
                          (remote ? u", uploaded" : u"") + u")");
}

void TForm1::BitBtn2Click() {
  const WideString text = RestoreFileName->Text();
  if (text.empty()) return;
  const TArchiveName archive = ChosenArchive(text);
  if (archive.DirectoryMissing) {
    ShowBox(u"The folder " + archive.Directory + u" does not exist. Nothing was restored.", u"Warning", MB_ICONWARNING);
    return;
  }
  if (BrowserHolds(ProfileDirectory())) return;
  if (MessageBoxW(nullptr, u"Any existing profile data will be overwritten. Continue?", u"Warning",
                  MB_YESNO | MB_ICONWARNING) != IDYES)
    return;
  const TProfileJob job(this, BitBtn2, RestoreRunningQuestion, SevenZip2.get());
  if (job.Refused()) return;
  const TJobResult result = OnArchive(archive.Name, [this](const WideString& local) {
    return RestoreProfile(*SevenZip2, ProfileDirectory(), local, StopRequested(), AskPassword());
  });
  EndProgress(ProgressBar2, result.Completed);
  UndoPanel->ShowKept(KeptProfile(ProfileDirectory()));
  ShowOutcome(result, u"Restore process is complete!");
}

void TForm1::UndoButtonClick() {
  const auto kept = KeptProfile(ProfileDirectory());
  if (!kept || BrowserHolds(ProfileDirectory())) return;
  const WideString question = u"Put back the profile from before the restore of " + Utf8ToUtf16Lossy(kept->When) +
                              u"?\r\nThe profile in use now is kept in its place, so this can be undone too.";
  if (MessageBoxW(nullptr, question.c_str(), u"Warning", MB_YESNO | MB_ICONWARNING) != IDYES) return;
  const TProfileJob job(this, UndoPanel->UndoButton, RestoreRunningQuestion, nullptr);
  if (job.Refused()) return;
  const TJobResult result = UndoLastRestore(ProfileDirectory());
  UndoPanel->ShowKept(KeptProfile(ProfileDirectory()));
  ShowOutcome(result, UndoneText(ProfileDirectory()));
}

void TForm1::DeleteKeptButtonClick() {
  const auto kept = KeptProfile(ProfileDirectory());
  if (!kept) return;
  const WideString question = u"Delete the profile kept from before the restore of " + Utf8ToUtf16Lossy(kept->When) +
                              u"?\r\n" + kept->Path + u" holds " + DescribeFolder(kept->Path) +
                              u". The last restore cannot be undone then.";
  if (MessageBoxW(nullptr, question.c_str(), u"Warning", MB_YESNO | MB_ICONWARNING) != IDYES) return;
  const TProfileJob job(this, UndoPanel->DeleteButton, RestoreRunningQuestion, nullptr);
  if (job.Refused()) return;
  const TJobResult result = DeleteKeptProfile(ProfileDirectory());
  UndoPanel->ShowKept(KeptProfile(ProfileDirectory()));
  if (!result.Completed) ShowBox(result.Warning, u"Warning", MB_ICONWARNING);
}

void TForm1::ShowRestoreChoices() {
  UndoPanel->ShowKept(KeptProfile(ProfileDirectory()));
  static const char* const Marks[] = {"", "  (password)", "  (damaged)", "  (not 7z)", "  (remote)"};
  BackupsList->clear();
  for (const TListedBackup& backup : ListBackups(*SevenZip2, FToolDirectory, BackupFolders(FToolDirectory))) {
    auto* item = new QListWidgetItem(QString::fromStdString(backup.When.substr(0, 16) + "  " +
                                                            HumanSize(static_cast<double>(backup.Size)) +
                                                            Marks[static_cast<int>(backup.State)]),
                                     BackupsList);
    item->setData(Qt::UserRole, HostPathOf(backup.Path));
    item->setToolTip(HostPathOf(backup.Path) + (backup.Method.empty() ? "" : ", " + ToQString(backup.Method)));
  }
  if (BackupsList->count() == 0) {
    auto* none = new QListWidgetItem("No backups in the backup folders yet.", BackupsList);
    none->setFlags(Qt::NoItemFlags);
  }
}

TArchiveName TForm1::ChosenArchive(const WideString& text) {
  return IsRemoteLocation(text) ? TArchiveName{text, u"", false} : CleanArchiveName(text);
}

TJobResult TForm1::OnArchive(const WideString& name, const std::function<TJobResult(const WideString&)>& job) {
  if (!IsRemoteLocation(name)) return job(name);
  return WithDownloadedBackup(FToolDirectory, name, StopRequested(), TransferProgress(ProgressBar2, FProgressShift2), job);
}

TTransferProgress TForm1::TransferProgress(QProgressBar* bar, int& shift) {
  return [this, bar, &shift, total = Int64(-1)](Int64 done, Int64 all) mutable {
    if (all != total) StartProgress(bar, shift, total = all);
    ShowProgress(bar, shift, done);
  };
}

TPasswordQuestion TForm1::AskPassword() {
  return [this](const WideString& name, bool wrongBefore, WideString& password) {
    return AskArchivePassword(this, name, wrongBefore, password);
  };
}

// Unpacks the chosen backup into an empty folder the user picks; the profile stays.
void TForm1::RestoreIntoButtonClick() {
  if (RestoreFileName->Text().empty()) return;
  const TArchiveName archive = ChosenArchive(RestoreFileName->Text());
  QFileDialog dialog(this, "Restore into a folder");
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const WideString folder = SystemPathOf(dialog.selectedFiles().first());
  const TProfileJob job(this, RestoreIntoButton, RestoreRunningQuestion, SevenZip2.get());
  if (job.Refused()) return;
  const TJobResult result = OnArchive(archive.Name, [&](const WideString& local) {
    return RestoreIntoFolder(*SevenZip2, local, folder, StopRequested(), AskPassword());
  });
  EndProgress(ProgressBar2, result.Completed);
  ShowOutcome(result, u"The backup was restored into " + folder + u".");
}

void TForm1::Button3Click() {
  if (BrowserHolds(ProfileDirectory()) || BrowserHolds(ChromeUserDataDirectory()) || !AskToOverwriteProfile()) return;
  const TProfileJob job(this, Button3, ImportRunningQuestion, nullptr);
  if (job.Refused()) return;
  ShowOutcome(ImportFromChrome(ProfileDirectory()), u"Import complete!");
}

void TForm1::Button5Click() {
  if (BrowserHolds(ProfileDirectory()) || BrowserHolds(InstalledUserDataDirectory()) || !AskToOverwriteProfile()) return;
  const TProfileJob job(this, Button5, ImportRunningQuestion, nullptr);
  if (job.Refused()) return;
  ShowOutcome(ImportFromInstallation(ProfileDirectory(), StopRequested()), u"Import complete!");
}

void TForm1::Label9Click() { ShowBox(PrivacyWarning, u"Warning", MB_ICONWARNING); }

void TForm1::DefaultBrowserButtonClick() {
  const unsigned kind = GetWindowsKind();
  ShowBox(DefaultBrowserMessage(kind), u"Info", MB_ICONINFORMATION);
  StartDefaultBrowserRegistration(FToolDirectory, kind);
}

void TForm1::Button1Click() { StartBrowserForSync(FToolDirectory); }

void TForm1::Button4Click() {
  if (!SaveDialog1.Execute()) return;
  CreateBrowserShortcut(FToolDirectory + u"Orvo\\chrome.exe", SaveDialog1.FileName(), ToWide(Edit1->text()));
}

void TForm1::SevenZip1PreProgress(Int64 MaxProgress) { StartProgress(ProgressBar1, FProgressShift1, MaxProgress); }

void TForm1::SevenZip1Progress(Int64 FilePosArc) { ShowProgress(ProgressBar1, FProgressShift1, FilePosArc); }

void TForm1::SevenZip2PreProgress(Int64 MaxProgress) { StartProgress(ProgressBar2, FProgressShift2, MaxProgress); }

// A total of 0 gets a range of 1: a bar whose range is empty is drawn as
// busy, never standing still.
void TForm1::StartProgress(QProgressBar* bar, int& shift, Int64 maximum) {
  shift = ShiftFor(maximum);
  bar->setMaximum(std::max(1, static_cast<int>(maximum >> shift)));
  bar->setValue(0);
}

// After a job the bar stands at its end when the job completed, else at 0.
void TForm1::EndProgress(QProgressBar* bar, bool completed) {
  if (bar->maximum() <= bar->minimum()) bar->setMaximum(1);
  bar->setValue(completed ? bar->maximum() : 0);
}

void TForm1::SevenZip2Progress(Int64 FilePosArc) { ShowProgress(ProgressBar2, FProgressShift2, FilePosArc); }

// The engine reports progress hundreds of times a second; the window
// processes its messages, which repaints what changed, and the bar is drawn
// at once at most every RepaintInterval: ten times a second keeps the window
// live while costing the job next to nothing.
void TForm1::ShowProgress(QProgressBar* bar, int shift, Int64 position) {
  bar->setValue(static_cast<int>(std::min<Int64>(position >> shift, bar->maximum())));
  if (FRepaintClock.isValid() && FRepaintClock.elapsed() < RepaintInterval) return;
  FRepaintClock.start();
  ProcessPendingMessages();
  bar->repaint();
}
