#include "app/UndoPanel.h"

#include "app/Layout.h"
#include "app/QtStrings.h"
#include "profile/FolderSummary.h"

TUndoPanel::TUndoPanel(QWidget* parent) : QWidget(parent) {
  KeptLabel = new QLabel(this);
  Place(KeptLabel, 13, 0, 360, 30);
  UndoButton = new QPushButton("Undo the last restore", this);
  Place(UndoButton, 380, 2, 150, 25);
  DeleteButton = new QPushButton("Delete it", this);
  Place(DeleteButton, 536, 2, 80, 25);
  setVisible(false);
}

void TUndoPanel::ShowKept(const std::optional<TKeptProfile>& kept) {
  setVisible(kept.has_value());
  if (!kept) return;
  KeptLabel->setText(QString::fromStdString("Kept from before the restore of " + kept->When.substr(0, 16) + ":\n") +
                     ToQString(DescribeFolder(kept->Path)));
  KeptLabel->setToolTip(HostPathOf(kept->Path));
}
