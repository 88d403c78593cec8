#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The SHA-256 digest of data (FIPS 180-4) as 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::string_view data);

}  // namespace vantrel
