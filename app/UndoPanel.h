// The Restore page's way back: the profile the last restore replaced, with
// its date and size, and the buttons that put it back or delete it. Hidden
// while no such copy is kept.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <optional>

#include "profile/ProfileSwap.h"

class TUndoPanel : public QWidget {
 public:
  explicit TUndoPanel(QWidget* parent);

  // Shows what the kept copy is, or hides the panel when there is none.
  void ShowKept(const std::optional<TKeptProfile>& kept);

  QLabel* KeptLabel;
  QPushButton* UndoButton;
  QPushButton* DeleteButton;
};
