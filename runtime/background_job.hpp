// Background jobs: work handed to a few worker threads, whose result a caller collects when it needs it.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace rt {

class BackgroundJob {
 public:
  virtual ~BackgroundJob() = default;
  // Runs the job on the calling thread when no worker has started it yet, else waits until it is
  // done; either way the job is done on return. What the job threw is thrown again here.
  void finish();
  // Runs the job unless someone else already has it (the workers' side).
  void run_if_unclaimed();

 protected:
  // Touches nothing but the job's own members: it may run on any thread.
  virtual void run() = 0;

 private:
  bool claim();

  std::mutex mutex_;
  std::condition_variable done_signal_;
  bool claimed_ = false;
  bool done_ = false;
  std::exception_ptr error_;
};

// A job that makes one value, taken once by whoever needs it.
template <class T>
class ResultJob final : public BackgroundJob {
 public:
  explicit ResultJob(std::function<T()> make) : make_(std::move(make)) {}
  T take() {
    finish();
    return std::move(result_);
  }

 private:
  void run() override { result_ = make_(); }

  std::function<T()> make_;
  T result_{};
};

// Queues the job for the worker threads, started on first use: one fewer than the machine's cores,
// since the thread that waits for a result runs unstarted jobs itself.
void start_in_background(std::shared_ptr<BackgroundJob> job);

// Queues jobs by the size of the file each decodes, larger first: they take longest, and the small
// ones fill the gaps at the end.
using SizedJob = std::pair<std::uintmax_t, std::shared_ptr<BackgroundJob>>;
void start_largest_first(std::vector<SizedJob> jobs);

}  // namespace rt
