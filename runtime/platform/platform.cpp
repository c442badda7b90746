// Holds the one installed platform that the runtime talks to.
#include "runtime/platform/platform.hpp"

#include <cstdio>
#include <cstdlib>

namespace rt::platform {
namespace {
// Never destroyed: exit actions that run while the process exits still find the platform that opened
// their window, rather than one already torn down.
std::unique_ptr<Platform>& slot() {
  static auto* platform = new std::unique_ptr<Platform>;
  return *platform;
}
}  // namespace

Platform& current() {
  if (!slot()) {
    std::fputs("runtime used before a platform was installed\n", stderr);
    std::abort();
  }
  return *slot();
}

void install(std::unique_ptr<Platform> platform) { slot() = std::move(platform); }

bool installed() { return slot() != nullptr; }

}  // namespace rt::platform
