// A file-name box: an edit box with a browse button at its right edge, path
// suggestions while typing, and dropped files accepted.
#pragma once

#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

#include "platform/WinTypes.h"

class TFileNameEdit : public QWidget {
 public:
  // filter: pairs of description and pattern separated by '|';
  // defaultExtension without its dot, or empty.
  TFileNameEdit(const WideString& filter, const WideString& defaultExtension, QWidget* parent);

  // The box's text in system form; an rclone remote's name as it stands.
  WideString Text() const;
  void SetText(const QString& text);
  // Takes a chosen or dropped host path: quoted when it holds a blank.
  void TakePath(const QString& hostPath);
  QLineEdit* Edit() const { return FEdit; }
  QToolButton* BrowseButton() const { return FBrowse; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Browse();

  QLineEdit* FEdit;
  QToolButton* FBrowse;
  WideString FFilter;
  WideString FDefaultExtension;
};
