#include "list_actions.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

#include "resource_ids.h"
#include "resource_strings.h"

namespace vantrel {

void AddCopyActions(QAbstractItemView& list, const std::function<void(bool withHeader)>& copy) {
  const struct {
    ResourceId id;
    const char* text;
    QKeySequence::StandardKey key;
    std::function<void()> handler;
  } actions[] = {{ID_EDIT_COPY, kCopyMenuText, QKeySequence::Copy, [copy] { copy(false); }},
                 {ID_EDIT_COPY_WITH_HEADER, kCopyWithHeaderMenuText, QKeySequence::UnknownKey,
                  [copy] { copy(true); }},
                 {ID_EDIT_SELECT_ALL, kSelectAllMenuText, QKeySequence::SelectAll,
                  [&list] { list.selectAll(); }}};
  for (const auto& [id, text, key, handler] : actions) {
    auto* action = new QAction(text, &list);
    action->setObjectName(id.name);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(action, &QAction::triggered, &list, handler);
    list.addAction(action);
  }
  list.setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CopyText(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(text);
  if (clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
}

}  // namespace vantrel
