#include "app/RemotePanel.h"

#include "app/Layout.h"
#include "app/QtStrings.h"
#include "profile/RcloneProgram.h"

namespace {

const QString RemotesPrompt = "To an rclone remote...";

}  // namespace

TRemotePanel::TRemotePanel(TFileNameEdit* target, QWidget* parent) : QWidget(parent), FTarget(target) {
  RemotesBox = new QComboBox(this);
  Place(RemotesBox, 0, 0, 145, 21);
  RemotesBox->addItem(RemotesPrompt);
  KeepHereBox = new QCheckBox("Keep a copy here as well", this);
  Place(KeepHereBox, 0, 26);
  connect(RemotesBox, &QComboBox::activated, this, [this](int index) {
    if (index > 0) FTarget->SetText(RemotesBox->itemText(index) + "Orvo-Backups");
  });
}

void TRemotePanel::ShowRemotes(const WideString& workFolder) {
  if (FAsked) return;
  FAsked = true;
  const auto remotes = RcloneRemotes(workFolder);
  setVisible(remotes.has_value());
  if (!remotes) return;
  for (const WideString& remote : *remotes) RemotesBox->addItem(ToQString(remote));
  if (remotes->empty()) RemotesBox->setItemText(0, "No rclone remote set up");
}
