#pragma once

#include <cstddef>
#include <string_view>

namespace vantrel {

// The length of the well-formed UTF-8 sequence at the start of text (RFC 3629: no overlong
// form, no surrogate, nothing past U+10FFFF), or 0 when there is none or text is empty.
std::size_t Utf8Length(std::string_view text);

// Where the first byte that is not part of a well-formed UTF-8 sequence lies; npos when text
// is UTF-8 throughout.
std::size_t FirstNonUtf8(std::string_view text);

}  // namespace vantrel
