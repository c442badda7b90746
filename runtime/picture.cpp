// Gives every decoded picture its own id, so renderers can cache one texture per picture.
#include "runtime/picture.hpp"

#include <atomic>

namespace rt {

void assign_picture_id(Picture& picture) {
  static std::atomic<std::uint64_t> next_id{1};
  picture.id = next_id.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace rt
