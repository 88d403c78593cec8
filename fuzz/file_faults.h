#pragma once

#include <array>

namespace vantrel::fuzz {

// Calls that fail while a FileFaults lives. The calls counted are open, openat, mkostemp,
// rename and linkat, and read, write, fsync and close of a descriptor opened while it lives;
// they are numbered from 1 in the order they are made.
struct Fault {
  unsigned first = 0;      // the first call that fails; 0: none does
  unsigned count = 1;      // how many calls from first on fail
  int error = 0;           // the errno they fail with
  bool shortMove = false;  // read and write move one byte at most; other calls fail EIO
};

// Two faults, so that one can send the program down a fallback (no unnamed files, say) and the
// other fail it there; where both cover a call, the first decides.
using FaultPlan = std::array<Fault, 2>;

// Makes the file calls of this thread follow plan while it lives. The fuzz binary defines
// those calls itself, so the real file code runs unchanged on top of them.
class FileFaults {
 public:
  explicit FileFaults(const FaultPlan& plan);
  ~FileFaults();
  FileFaults(const FileFaults&) = delete;
  FileFaults& operator=(const FileFaults&) = delete;

  // True once a call failed in a way the program has to handle: anything but a short move or
  // EINTR of read or write, which it retries.
  bool Failed() const;
};

}  // namespace vantrel::fuzz
