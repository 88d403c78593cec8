#pragma once

#include "clock.h"
#include "files.h"
#include "messages.h"

namespace vantrel {

// The platform services a command reaches, passed in so tests can substitute fakes.
struct Services {
  IMessageService& messages;
  IFileService& files;
  IClock& clock;
};

}  // namespace vantrel
