#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <utility>

#include "messages.h"

namespace vantrel {

// Messages as modal QMessageBoxes with an OK button only, captioned with the application name.
class QtMessageService final : public IMessageService {
 public:
  explicit QtMessageService(QString caption) : m_caption(std::move(caption)) {}

  // The window that the main window's messages are modal to, or the window of its own that is
  // active when they come; none until it is set.
  void SetMainWindow(QWidget* window) { m_mainWindow = window; }

  void Show(const Message& message) override;

 private:
  QString m_caption;
  QPointer<QWidget> m_mainWindow;
};

}  // namespace vantrel
