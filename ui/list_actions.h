#pragma once

#include <QString>
#include <functional>

class QAbstractItemView;

namespace vantrel {

// Gives list the copy commands of a result list, as its own actions and context menu: Copy
// (Ctrl+C), Copy with header and Select All (Ctrl+A). The shortcuts work only while the list has
// the focus, so edit boxes keep their own. copy(withHeader) does the copying.
void AddCopyActions(QAbstractItemView& list, const std::function<void(bool withHeader)>& copy);

// Puts text on the clipboard and, where there is one, the primary selection.
void CopyText(const QString& text);

}  // namespace vantrel
