#include "search_runner.h"

#include <algorithm>

namespace vantrel {

SearchRunner::SearchRunner(QObject* parent) : QObject(parent) {}

SearchRunner::~SearchRunner() {
  Stop();
  Wait();
}

void SearchRunner::Run(Job job, Done done, Counted counted) {
  Stop();
  JoinEnded();
  const std::uint64_t generation = ++m_generation;
  Worker worker{
      {}, std::make_shared<std::atomic<bool>>(false), std::make_shared<std::atomic<bool>>(false)};
  worker.thread =
      std::thread([this, generation, job = std::move(job), done = std::move(done),
                   counted = std::move(counted), stop = worker.stop, ended = worker.ended] {
        auto outcome = std::make_shared<SearchOutcome>(job(*stop));
        // Taken out first: the outcome is the window's once it is handed on.
        const auto count = std::move(outcome->count);
        outcome->count = nullptr;
        const bool counting = count && counted;
        // Queued to this object's thread; the destructor waits for this thread, so this is alive.
        QMetaObject::invokeMethod(
            this,
            [this, generation, done, outcome, counting] {
              if (generation != m_generation) return;
              m_counting = counting;
              if (!counting) SetBusy(false);
              done(*outcome);
            },
            Qt::QueuedConnection);
        if (counting && !*stop) {
          auto status = std::make_shared<const std::string>(count(*stop));
          QMetaObject::invokeMethod(
              this,
              [this, generation, counted, status] {
                if (generation != m_generation) return;
                m_counting = false;
                SetBusy(false);
                counted(*status);
              },
              Qt::QueuedConnection);
        }
        ended->store(true);
      });
  m_workers.push_back(std::move(worker));
  SetBusy(true);
}

void SearchRunner::Stop() {
  ++m_generation;
  m_counting = false;
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
