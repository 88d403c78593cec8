#include "about_dlg.h"

#include <QLabel>
#include <QPushButton>

#include "dialog_units.h"
#include "resource_ids.h"
#include "resource_strings.h"

namespace vantrel {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(IDD_ABOUTBOX.name);
  setWindowTitle(kAboutCaption);
  setFont(DialogFont());
  const DialogUnits units(fontMetrics());

  auto* text = new QLabel(QString::fromUtf8(kAboutText), this);
  text->setObjectName(IDC_STATIC.name);
  text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text->setGeometry(units.ToPixels(about_dialog::kText));

  auto* ok = new QPushButton(QString::fromUtf8(kAboutOkText), this);
  ok->setObjectName(IDOK.name);
  ok->setDefault(true);
  ok->setGeometry(units.ToPixels(about_dialog::kOk));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  setFixedSize(units.ToPixels(about_dialog::kClient).size());
}

}  // namespace vantrel
