#include "app/Application.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "app/QtStrings.h"
#include "platform/Exceptions.h"

const WideString ApplicationTitle = u"Orvo Backup and Config Tool";

namespace {

QMessageBox::Icon IconOf(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// The platform's filter pairs as Qt's "description (pattern)" list.
QString FilterOf(LPCWSTR pairs) {
  QStringList filters;
  for (LPCWSTR text = pairs; text && *text;) {
    const WideString description = text;
    text += description.size() + 1;
    const WideString pattern = *text ? WideString(text) : WideString();
    text += pattern.size() + (*text ? 1 : 0);
    const QString patterns = ToQString(pattern).replace(';', ' ');
    const QString shown = ToQString(description);
    // A description that names its patterns already keeps them once.
    filters << (shown.endsWith("(" + patterns + ")") ? shown : shown + " (" + patterns + ")");
  }
  return filters.join(";;");
}

}  // namespace

// No display name is set: Qt would append it to every caption the window
// system shows ("Info \u2014 Orvo Backup and Config Tool").
TApplication::TApplication() {
  QApplication::setApplicationName(ToQString(ApplicationTitle));
  SetHostUserInterface(this);
}

TApplication::~TApplication() { SetHostUserInterface(nullptr); }

int TApplication::MessageBox(const WideString& text, const WideString& caption, UINT type) {
  const bool question = (type & 0x0F) == MB_YESNO;
  // Paths in the text are shown in host form, as the file-name boxes show them.
  QMessageBox box(IconOf(type), ToQString(caption), HostPathOf(text),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  const int pressed = box.exec();
  if (!question) return IDOK;
  return pressed == QMessageBox::Yes ? IDYES : IDNO;
}

void TApplication::ProcessMessages() { QApplication::processEvents(); }

bool TApplication::OpenFileDialog(OPENFILENAMEW& dialog) { return ShowFileDialog(dialog, false); }

bool TApplication::SaveFileDialog(OPENFILENAMEW& dialog) { return ShowFileDialog(dialog, true); }

bool TApplication::ShowFileDialog(OPENFILENAMEW& dialog, bool save) {
  QFileDialog picker(QApplication::activeWindow(), ToQString(dialog.lpstrTitle ? dialog.lpstrTitle : u""),
                     dialog.lpstrInitialDir ? HostPathOf(dialog.lpstrInitialDir) : QString(), FilterOf(dialog.lpstrFilter));
  picker.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  picker.setFileMode((dialog.Flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  if (save) picker.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.lpstrDefExt) picker.setDefaultSuffix(ToQString(dialog.lpstrDefExt));
  // A name typed without extension takes that of the filter chosen.
  QObject::connect(&picker, &QFileDialog::filterSelected, &picker, [&picker](const QString& filter) {
    const QRegularExpressionMatch pattern = QRegularExpression("\\*\\.(\\w+)").match(filter);
    if (pattern.hasMatch()) picker.setDefaultSuffix(pattern.captured(1));
  });
  if (dialog.lpstrFile && *dialog.lpstrFile) picker.selectFile(HostPathOf(dialog.lpstrFile));
  if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty()) return false;
  const WideString chosen = SystemPathOf(picker.selectedFiles().front());
  const auto length = std::min<std::size_t>(chosen.size(), dialog.nMaxFile - 1);
  std::copy_n(chosen.begin(), length, dialog.lpstrFile);
  dialog.lpstrFile[length] = u'\0';
  return true;
}

void HandleEventError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
  } catch (const Exception& failure) {
    MessageBoxW(nullptr, failure.Message().c_str(), ApplicationTitle.c_str(), MB_OK | MB_ICONERROR);
  } catch (const std::exception& failure) {
    MessageBoxW(nullptr, ToWide(QString::fromUtf8(failure.what())).c_str(), ApplicationTitle.c_str(), MB_OK | MB_ICONERROR);
  }
}
