#include "labelled_combo_box.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

namespace vantrel {
namespace {

class LabelledComboBox final : public QAccessibleWidget {
 public:
  explicit LabelledComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Box()->currentText();
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override {
    return QAccessibleWidget::actionNames() << showMenuAction() << pressAction();
  }

  void doAction(const QString& action) override {
    if (action == showMenuAction() || action == pressAction()) {
      Box()->showPopup();
    } else {
      QAccessibleWidget::doAction(action);
    }
  }

 private:
  QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

bool HasBuddyLabel(const QWidget& widget) {
  if (widget.parentWidget() == nullptr) return false;
  const auto labels = widget.parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
  return std::any_of(labels.begin(), labels.end(),
                     [&widget](const QLabel* label) { return label->buddy() == &widget; });
}

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (className != QLatin1String("QComboBox")) return nullptr;
  auto* box = qobject_cast<QComboBox*>(object);
  if (box == nullptr || !HasBuddyLabel(*box)) return nullptr;
  return new LabelledComboBox(box);
}

}  // namespace

void InstallLabelledComboBoxAccessibility() {
  QAccessible::installFactory(Factory);
}

}  // namespace vantrel
