// Channel slots: handle encoding, least-recently-used order and reclamation of abandoned channels.
#include "runtime/channel_table.hpp"

namespace rt {
namespace {
// Handles stay positive: 12 bits of slot under 19 bits of generation.
constexpr std::uint32_t kGenerationLimit = 1u << 19;
}  // namespace

ChannelTable::ChannelTable(Reclaim on_reclaim) : on_reclaim_(std::move(on_reclaim)) {
  for (int slot = 1; slot < kSlots; ++slot) free_.push_back(slot);
}

void ChannelTable::unlink(int slot) {
  Slot& s = slots_[slot];
  slots_[s.prev].next = s.next;
  slots_[s.next].prev = s.prev;
}

void ChannelTable::append(int slot) {
  Slot& s = slots_[slot];
  s.prev = slots_[0].prev;
  s.next = 0;
  slots_[s.prev].next = slot;
  slots_[0].prev = slot;
}

int ChannelTable::take() {
  for (int oldest = slots_[0].next; oldest != 0 && made_ - slots_[oldest].last_use >= kReclaimAge;
       oldest = slots_[0].next) {
    on_reclaim_(oldest);
    release(oldest);
  }
  if (free_.empty()) return 0;
  const int slot = free_.front();
  free_.pop_front();
  Slot& s = slots_[slot];
  s.generation = s.generation + 1 < kGenerationLimit ? s.generation + 1 : 1;
  s.used = true;
  s.last_use = ++made_;
  append(slot);
  ++in_use_;
  return static_cast<int>(s.generation << kSlotBits) | slot;
}

int ChannelTable::use(int handle) {
  if (handle <= 0) return 0;
  const int slot = handle & (kSlots - 1);
  Slot& s = slots_[slot];
  if (slot == 0 || !s.used || s.generation != static_cast<std::uint32_t>(handle) >> kSlotBits) return 0;
  s.last_use = made_;
  unlink(slot);
  append(slot);
  return slot;
}

void ChannelTable::release(int slot) {
  Slot& s = slots_[slot];
  if (!s.used) return;
  unlink(slot);
  s.used = false;
  free_.push_back(slot);
  --in_use_;
}

}  // namespace rt
