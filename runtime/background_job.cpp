// Background jobs: a queue served by detached worker threads that live as long as the process.
#include "runtime/background_job.hpp"

#include <algorithm>
#include <deque>
#include <system_error>
#include <thread>

namespace rt {
namespace {

struct WorkerPool {
  std::mutex mutex;
  std::condition_variable work_waiting;
  std::deque<std::shared_ptr<BackgroundJob>> queue;
  unsigned workers = 0;
};

// Never destroyed: workers still wait on it while the process ends.
WorkerPool& pool() {
  static WorkerPool& p = *new WorkerPool;
  return p;
}

unsigned most_workers() {
  static const unsigned most = std::clamp(std::thread::hardware_concurrency(), 2u, 8u) - 1;
  return most;
}

[[noreturn]] void serve(WorkerPool& p) {
  for (;;) {
    std::shared_ptr<BackgroundJob> job;
    {
      std::unique_lock lock(p.mutex);
      p.work_waiting.wait(lock, [&p] { return !p.queue.empty(); });
      job = std::move(p.queue.front());
      p.queue.pop_front();
    }
    job->run_if_unclaimed();
  }
}

}  // namespace

bool BackgroundJob::claim() {
  std::lock_guard lock(mutex_);
  if (claimed_) return false;
  claimed_ = true;
  return true;
}

void BackgroundJob::run_if_unclaimed() {
  if (!claim()) return;
  std::exception_ptr error;
  try {
    run();
  } catch (...) {
    error = std::current_exception();
  }
  {
    std::lock_guard lock(mutex_);
    error_ = error;
    done_ = true;
  }
  done_signal_.notify_all();
}

void BackgroundJob::finish() {
  run_if_unclaimed();
  std::unique_lock lock(mutex_);
  done_signal_.wait(lock, [this] { return done_; });
  if (error_) std::rethrow_exception(error_);
}

void start_in_background(std::shared_ptr<BackgroundJob> job) {
  WorkerPool& p = pool();
  {
    std::lock_guard lock(p.mutex);
    p.queue.push_back(std::move(job));
    if (p.workers < most_workers()) {
      // A thread that cannot be made leaves its jobs to the callers that finish them.
      try {
        std::thread([&p] { serve(p); }).detach();
        ++p.workers;
      } catch (const std::system_error&) {
      }
    }
  }
  p.work_waiting.notify_one();
}

void start_largest_first(std::vector<SizedJob> jobs) {
  std::stable_sort(jobs.begin(), jobs.end(), [](const SizedJob& a, const SizedJob& b) { return a.first > b.first; });
  for (SizedJob& job : jobs) start_in_background(std::move(job.second));
}

}  // namespace rt
