#include "app/FileNameEdit.h"

#include <QCompleter>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileSystemModel>
#include <QMimeData>

#include "app/Application.h"
#include "app/QtStrings.h"
#include "app/SaveDialog.h"
#include "profile/RemoteBackups.h"
#include "sevenzip/PathUtils.h"

TFileNameEdit::TFileNameEdit(const WideString& filter, const WideString& defaultExtension, QWidget* parent)
    : QWidget(parent),
      FEdit(new QLineEdit(this)),
      FBrowse(new QToolButton(this)),
      FFilter(filter),
      FDefaultExtension(defaultExtension) {
  auto* model = new QFileSystemModel(this);
  model->setRootPath("/");
  FEdit->setCompleter(new QCompleter(model, this));
  FBrowse->setText("...");
  FBrowse->setFocusPolicy(Qt::NoFocus);
  setAcceptDrops(true);
  FEdit->setAcceptDrops(false);
  setFocusProxy(FEdit);
  connect(FBrowse, &QToolButton::clicked, this, [this] { RunGuarded([this] { Browse(); }); });
}

WideString TFileNameEdit::Text() const {
  const WideString text = ToWide(FEdit->text());
  return IsRemoteLocation(text) ? text : SystemPathOf(FEdit->text());
}

void TFileNameEdit::SetText(const QString& text) { FEdit->setText(text); }

void TFileNameEdit::TakePath(const QString& hostPath) {
  const bool quote = hostPath.contains(' ') && !hostPath.startsWith('"');
  FEdit->setText(quote ? '"' + hostPath + '"' : hostPath);
}

void TFileNameEdit::resizeEvent(QResizeEvent*) {
  const int button = height();
  FEdit->setGeometry(0, 0, width() - button, height());
  FBrowse->setGeometry(width() - button, 0, button, height());
}

void TFileNameEdit::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFileNameEdit::dropEvent(QDropEvent* event) {
  const auto urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.front().isLocalFile()) return;
  TakePath(urls.front().toLocalFile());
  event->acceptProposedAction();
}

// The open-file dialog, starting in the directory the text names and
// proposing its file name; a text that names a folder opens that folder.
void TFileNameEdit::Browse() {
  WideString current = SystemPathOf(FEdit->text().remove('"'));
  const WideString filter = PlatformFilter(FFilter);
  if (!current.empty() && WideDirectoryExists(current)) current = WideExcludeTrailingBackslash(current) + u"\\";
  const WideString directory = WideExtractFilePath(current);
  const bool known = !directory.empty() && WideDirectoryExists(directory);
  WCHAR chosen[MAX_PATH] = {};
  const WideString proposed = known ? current : WideString();
  std::copy_n(proposed.begin(), std::min<std::size_t>(proposed.size(), MAX_PATH - 1), chosen);
  OPENFILENAMEW dialog =
      FileDialogRecord(u"Browse", filter.c_str(), chosen, known ? directory.c_str() : nullptr, OFN_HIDEREADONLY,
                       FDefaultExtension.empty() ? nullptr : FDefaultExtension.c_str());
  if (GetOpenFileNameW(&dialog)) TakePath(HostPathOf(chosen));
}
