#pragma once

#include <QString>
#include <string_view>

namespace vantrel {

// UTF-8 text, such as the names kept as string_view.
inline QString QStringOf(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A label without its mnemonic, as its field is named in the settings and to screen readers:
// "Le&gs" is "Legs", and "Prefer &1", whose digit is written after it, "Prefer".
inline QString Unmarked(QString label) {
  const qsizetype size = label.size();
  if (size >= 3 && label.at(size - 3) == u' ' && label.at(size - 2) == u'&' &&
      label.at(size - 1).isDigit()) {
    label.chop(3);
  }
  return label.remove(u'&');
}

}  // namespace vantrel
