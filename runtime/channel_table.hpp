// Channel handles: 4095 slots with generation counts, and taking back channels no longer reachable.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <functional>

namespace rt {

class ChannelTable {
 public:
  static constexpr int kSlots = 4096;  // slot 0 is never a channel
  static constexpr int kSlotBits = 12;
  // The game only ever reaches the channels of its latest title and world setup, at most 12 made
  // since any of them, and it never releases one. So a channel left untouched while this many newer
  // channels were made is out of its reach for good, and its slot (and any clip it holds) is taken
  // back. That keeps the table and the mixer's list short however many games are played.
  static constexpr std::uint64_t kReclaimAge = 256;

  // Called with the slot number just before a slot is taken back.
  using Reclaim = std::function<void(int slot)>;
  explicit ChannelTable(Reclaim on_reclaim);

  // A new channel's handle, or 0 when every slot is in recent use.
  int take();
  // The slot a handle names, 0 for 0 or a handle to an earlier use of its slot. Counts as a use.
  int use(int handle);
  void release(int slot);
  int in_use() const { return in_use_; }

 private:
  struct Slot {
    std::uint32_t generation = 0;
    bool used = false;
    std::uint64_t last_use = 0;  // channels made when it was last made or used
    int prev = 0, next = 0;      // the list of used slots, least recently used first; slot 0 anchors it
  };
  void unlink(int slot);
  void append(int slot);

  Reclaim on_reclaim_;
  std::array<Slot, kSlots> slots_{};
  std::deque<int> free_;  // oldest freed first, so a slot's generations turn over slowly
  std::uint64_t made_ = 0;
  int in_use_ = 0;
};

}  // namespace rt
