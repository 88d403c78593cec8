#pragma once

#include "messages.h"
#include "single_instance.h"

namespace vantrel {

inline constexpr char kAlreadyRunningMessage[] = "Application is already runing !";

// True, after telling the user with a warning box of its own, when another copy of the program
// holds lock; that copy is then to end with status 0. A lock that could not be made at all
// does not keep the program from starting.
bool RefuseSecondCopy(const SingleInstanceLock& lock, IMessageService& messages);

}  // namespace vantrel
