#include "file_error_report.h"

namespace vantrel {

Message FileErrorMessage(const FileError& error) {
  return {"Cannot " + error.Operation() + " the file \"" + error.Path() + "\":\n" + error.Reason() +
              ".",
          MessageOwner::kMainWindow, MessageIcon::kWarning};
}

}  // namespace vantrel
