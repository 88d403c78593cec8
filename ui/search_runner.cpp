#include "search_runner.h"

#include <algorithm>

namespace vantrel {

SearchRunner::SearchRunner(QObject* parent) : QObject(parent) {}

SearchRunner::~SearchRunner() {
  Stop();
  Wait();
}

void SearchRunner::Run(Job job, Done done) {
  Stop();
  JoinEnded();
  const std::uint64_t generation = ++m_generation;
  Worker worker{
      {}, std::make_shared<std::atomic<bool>>(false), std::make_shared<std::atomic<bool>>(false)};
  worker.thread = std::thread([this, generation, job = std::move(job), done = std::move(done),
                               stop = worker.stop, ended = worker.ended] {
    auto outcome = std::make_shared<SearchOutcome>(job(*stop));
    // Queued to this object's thread; the destructor waits for this thread, so this is alive.
    QMetaObject::invokeMethod(
        this,
        [this, generation, done, outcome] {
          if (generation != m_generation) return;
          SetBusy(false);
          done(*outcome);
        },
        Qt::QueuedConnection);
    ended->store(true);
  });
  m_workers.push_back(std::move(worker));
  SetBusy(true);
}

void SearchRunner::Stop() {
  ++m_generation;
  for (Worker& worker : m_workers) worker.stop->store(true);
  SetBusy(false);
}

void SearchRunner::Wait() {
  for (Worker& worker : m_workers) worker.thread.join();
  m_workers.clear();
}

void SearchRunner::JoinEnded() {
  const auto ended = std::partition(m_workers.begin(), m_workers.end(),
                                    [](const Worker& worker) { return !worker.ended->load(); });
  for (auto it = ended; it != m_workers.end(); ++it) it->thread.join();
  m_workers.erase(ended, m_workers.end());
}

void SearchRunner::SetBusy(bool busy) {
  if (busy == m_busy) return;
  m_busy = busy;
  emit BusyChanged(busy);
}

}  // namespace vantrel
