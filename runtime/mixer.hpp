// The mixer: clips started on the main thread, resampled and summed by the audio pump, no locks between.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>
#include "runtime/sound.hpp"

namespace rt {

constexpr int kOutputRate = 44100;
constexpr int kStartDelayMs = 20;

// Bits of a started clip's state word, always written whole by one aligned 32-bit atomic store.
constexpr std::uint32_t kClipOnce = 1;
constexpr std::uint32_t kClipLoop = 2;
constexpr std::uint32_t kClipPaused = 4;
constexpr std::uint32_t kClipStopped = 8;
constexpr std::uint32_t kClipEnded = 16;

// One started clip. The main thread fills it and hands it to the pump through a ring; the pump hands
// it back through the other ring once it stopped or ended, and only then may the main thread reuse it.
struct MixRecord {
  std::atomic<std::uint32_t> state{0};
  // Set by the main thread before the hand-over, read by the pump.
  const SoundClip* clip = nullptr;
  std::uint32_t start_ms = 0;
  // The pump's own while it holds the record.
  std::uint64_t position = 0;  // frames in 32.32 fixed point
  std::int64_t delay_frames = 0;
  // The main thread's own.
  std::shared_ptr<const SoundClip> keep_alive;
  std::uint32_t serial = 0;  // grows when the record comes back, so stale references see a change
  int channel_slot = 0;
};

// A single-producer single-consumer ring of record pointers.
template <std::size_t N>
class RecordRing {
 public:
  bool push(MixRecord* record) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == N) return false;
    slots_[tail % N] = record;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }
  MixRecord* pop() {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return nullptr;
    MixRecord* record = slots_[head % N];
    head_.store(head + 1, std::memory_order_release);
    return record;
  }

 private:
  std::array<MixRecord*, N> slots_{};
  alignas(64) std::atomic<std::size_t> head_{0};
  alignas(64) std::atomic<std::size_t> tail_{0};
};

class Mixer {
 public:
  static constexpr std::size_t kRingEntries = 4096;

  Mixer();

  // Main thread: starts a clip (paused or not) at clock time now_ms on behalf of a channel slot.
  MixRecord* start(std::shared_ptr<const SoundClip> clip, bool loop, bool paused, std::uint32_t now_ms,
                   int channel_slot);
  // Main thread: hands every record the pump has given back to `done`, then keeps it for reuse.
  template <typename Done>
  void collect_finished(Done&& done) {
    while (MixRecord* record = finished_.pop()) {
      done(*record);
      record->keep_alive.reset();
      record->clip = nullptr;
      ++record->serial;
      spare_.push_back(record);
    }
    flush_waiting();
  }

  // Pump: takes up the clips started since the last call, each delayed to enter the mix
  // kStartDelayMs after its start.
  void take_up_started(std::uint32_t now_ms);
  // Pump: mixes `frames` stereo frames of every playing clip into `out`.
  void mix(std::int16_t* out, int frames);
  // Pump: clips it currently holds (playing, paused or waiting out their delay).
  std::size_t active_count() const { return active_.size(); }

 private:
  void flush_waiting();
  void finish(std::size_t index);

  RecordRing<kRingEntries> started_;
  RecordRing<kRingEntries> finished_;
  // Main thread.
  std::deque<MixRecord> records_;  // a deque never moves its elements, so pointers stay valid
  std::vector<MixRecord*> spare_;
  std::deque<MixRecord*> waiting_;  // started while the ring was full
  // Pump.
  std::vector<MixRecord*> active_;
  std::vector<MixRecord*> unreturned_;  // finished while the return ring was full
  std::vector<std::int32_t> sum_;
};

}  // namespace rt
