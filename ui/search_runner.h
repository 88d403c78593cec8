#pragma once

// Runs the Networks window's searches off the user-interface thread. Every run gets the next
// generation number; a result is handed on only while its generation is the latest, so a
// search replaced by a newer one, or stopped, never shows its rows. A search's rows come as soon
// as they are found; the count of the rows past them, for the status line, comes after.

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "row_table_model.h"

namespace vantrel {

class SearchRunner : public QObject {
  Q_OBJECT

 public:
  // A search: runs on a thread of its own and should end soon once stop turns true.
  using Job = std::function<SearchOutcome(const std::atomic<bool>& stop)>;
  using Done = std::function<void(const SearchOutcome&)>;
  using Counted = std::function<void(const std::string& status)>;

  explicit SearchRunner(QObject* parent = nullptr);
  // Stops every search and waits for their threads.
  ~SearchRunner() override;

  // Stops the running search, if any, and starts job; done gets its outcome on this object's
  // thread, and then counted the status line its count makes, unless Run or Stop is called
  // again before. The search is busy until both have come.
  void Run(Job job, Done done, Counted counted = {});
  // Stops the running search and drops its outcome.
  void Stop();
  // Waits until every thread started so far has ended; their outcomes are still to be
  // delivered by the event loop.
  void Wait();
  bool Busy() const { return m_busy; }
  // Whether the running search's rows have come and it counts on.
  bool Counting() const { return m_counting; }

 signals:
  void BusyChanged(bool busy);

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> stop;
    std::shared_ptr<std::atomic<bool>> ended;
  };

  void SetBusy(bool busy);
  void JoinEnded();

  std::vector<Worker> m_workers;
  std::uint64_t m_generation = 0;
  bool m_busy = false;
  bool m_counting = false;
};

}  // namespace vantrel
