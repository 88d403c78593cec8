#include "files.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace vantrel {

FileError::FileError(std::string operation, std::string path, std::string reason)
    : std::runtime_error("cannot " + operation + " \"" + path + "\": " + reason),
      m_operation(std::move(operation)),
      m_path(std::move(path)),
      m_reason(std::move(reason)) {}

std::string MissingFileReason() {
  return std::strerror(ENOENT);
}

}  // namespace vantrel
