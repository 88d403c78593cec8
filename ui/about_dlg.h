#pragma once

#include <QDialog>

namespace vantrel {

// The about box IDD_ABOUTBOX: the program's name, version, rights and contact, and an OK
// button that closes it.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace vantrel
