#pragma once

#include <QString>
#include <string_view>

namespace vantrel {

// UTF-8 text, such as the names kept as string_view.
inline QString QStringOf(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace vantrel
