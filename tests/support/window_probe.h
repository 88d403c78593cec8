#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>

namespace vantrel::testing {

// The control of window whose objectName is name; ends the test run when there is none.
template <typename T>
T* Control(QWidget& window, const char* name) {
  T* control = window.findChild<T*>(name);
  if (control == nullptr) qFatal("no control %s", name);
  return control;
}

// The texts of the display-count choices, in order.
inline QStringList Choices(QWidget& window) {
  auto* box = Control<QComboBox>(window, "IDC_DISPLAY_NUMBER");
  QStringList choices;
  for (int i = 0; i < box->count(); ++i) choices << box->itemText(i);
  return choices;
}

// The texts of the result list, row by row.
inline QList<QStringList> Rows(QWidget& window) {
  auto* list = Control<QTreeWidget>(window, "IDC_RESULT_LIST");
  QList<QStringList> rows;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QStringList row;
    for (int column = 0; column < list->columnCount(); ++column) {
      row << list->topLevelItem(i)->text(column);
    }
    rows << row;
  }
  return rows;
}

// Types the two inputs and clicks Calculate.
inline void TypeAndCalculate(QWidget& window, const QString& target, const QString& precision) {
  Control<QLineEdit>(window, "IDC_TARGET_VALUE")->setText(target);
  Control<QLineEdit>(window, "IDC_TARGET_PRECISION")->setText(precision);
  QTest::mouseClick(Control<QPushButton>(window, "IDC_CALCULATE"), Qt::LeftButton);
}

}  // namespace vantrel::testing
