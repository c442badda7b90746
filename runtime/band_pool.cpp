// Shares the rows of one large drawing call among a few worker threads.
#include "runtime/band_pool.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace rt {
namespace {

constexpr int kRowsPerBand = 8;
// Four threads bring a heavy frame well inside its budget; more mostly add waiting when the machine
// is busy with other work.
constexpr int kMostThreads = 4;
// After a job the workers keep spinning this long before they sleep, so the next large call of
// the same frame starts at once instead of paying for waking threads.
constexpr auto kSpinTime = std::chrono::microseconds(500);

void relax() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#else
  std::this_thread::yield();
#endif
}

// One published job. Two slots alternate, and a slot is rewritten only when no worker can still
// be reading it, so a worker that wakes late never sees a half-written job.
struct Job {
  std::atomic<int> readers{0};
  RowJob run = nullptr;
  const void* context = nullptr;
  int y0 = 0, y1 = 0, bands = 0;
  std::atomic<int> next{0};
  std::atomic<int> done{0};
};

class BandPool {
 public:
  BandPool() {
    int threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMostThreads);
    // Workers live as long as the process; the pool is never destroyed, so exit needs no joining.
    for (int i = 1; i < threads; ++i) std::thread([this] { work(); }).detach();
  }

  void run(RowJob job, const void* context, int y0, int y1) {
    turn_ ^= 1;
    Job& slot = slots_[turn_];
    while (slot.readers.load() != 0) relax();
    slot.run = job;
    slot.context = context;
    slot.y0 = y0;
    slot.y1 = y1;
    slot.bands = (y1 - y0 + kRowsPerBand - 1) / kRowsPerBand;
    slot.done.store(0);
    slot.next.store(0);
    current_.store(&slot);
    generation_.fetch_add(1);
    generation_.notify_all();
    take_bands(slot);
    while (slot.done.load() < slot.bands) relax();
  }

 private:
  static void take_bands(Job& job) {
    for (;;) {
      int band = job.next.fetch_add(1);
      if (band >= job.bands) return;
      int y = job.y0 + band * kRowsPerBand;
      job.run(job.context, y, std::min(job.y1, y + kRowsPerBand));
      job.done.fetch_add(1);
    }
  }

  void work() {
    unsigned seen = generation_.load();
    for (;;) {
      auto spin_until = std::chrono::steady_clock::now() + kSpinTime;
      unsigned now;
      for (int spins = 1; (now = generation_.load()) == seen; ++spins) {
        if (spins % 64 == 0 && std::chrono::steady_clock::now() > spin_until) generation_.wait(seen);
        relax();
      }
      seen = now;
      Job* job = current_.load();
      job->readers.fetch_add(1);
      if (current_.load() == job) take_bands(*job);
      job->readers.fetch_sub(1);
    }
  }

  Job slots_[2];
  int turn_ = 0;
  std::atomic<Job*> current_{&slots_[0]};
  std::atomic<unsigned> generation_{0};
};

}  // namespace

void run_in_bands(RowJob job, const void* context, int y0, int y1) {
  if (y1 <= y0) return;
  static BandPool* pool = new BandPool;
  pool->run(job, context, y0, y1);
}

}  // namespace rt
