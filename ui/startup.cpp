#include "startup.h"

namespace vantrel {

bool RefuseSecondCopy(const SingleInstanceLock& lock, IMessageService& messages) {
  if (lock.State() != InstanceLockState::kHeldElsewhere) return false;
  messages.Show({kAlreadyRunningMessage, MessageOwner::kNoWindow, MessageIcon::kWarning});
  return true;
}

}  // namespace vantrel
