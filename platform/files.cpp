#include "files.h"

#include <utility>

namespace vantrel {

FileError::FileError(std::string operation, std::string path, std::string reason)
    : std::runtime_error("cannot " + operation + " \"" + path + "\": " + reason),
      m_operation(std::move(operation)),
      m_path(std::move(path)),
      m_reason(std::move(reason)) {}

}  // namespace vantrel
