// A libFuzzer target for one file reader, chosen at build time by SKY_FUZZ_TARGET.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/readers.hpp"

namespace {
const fuzz::Reader reader = fuzz::reader_named(SKY_FUZZ_TARGET);
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (reader == nullptr || !reader(std::string(reinterpret_cast<const char*>(data), size))) std::abort();
  return 0;
}
