// Inputs that once broke a file reader, kept under tests/fuzz_regressions/<reader>/ and read again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/readers.hpp"

namespace fuzz {
void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }
}  // namespace fuzz

namespace {

namespace fs = std::filesystem;

std::string file_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FuzzRegressions : public testing::TestWithParam<fuzz::Target> {};

TEST_P(FuzzRegressions, EveryKeptInputIsReadSafely) {
  const fs::path folder = fs::path(SKY_SOURCE_DIR) / "tests" / "fuzz_regressions" / GetParam().name;
  if (!fs::exists(folder)) GTEST_SKIP() << "no inputs kept for " << GetParam().name;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const std::string bytes = file_bytes(entry.path());
    ASSERT_FALSE(bytes.empty()) << entry.path();
    EXPECT_TRUE(GetParam().read(bytes)) << entry.path();
  }
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzRegressions, testing::ValuesIn(fuzz::kTargets),
                         [](const testing::TestParamInfo<fuzz::Target>& info) {
                           return std::string(info.param.name);
                         });

// The kept inputs only guard anything if the readers still take well-formed files.
TEST(FuzzReaders, AcceptTheGeneratedFiles) {
  const fs::path run_dir(SKY_RUN_DIR);
  const std::string scores = file_bytes(run_dir / "scores.txt");
  ASSERT_FALSE(scores.empty());
  EXPECT_TRUE(fuzz::reader_named("scores")(scores));
  EXPECT_TRUE(rt::decode_png(file_bytes(run_dir / "gfx" / "misc" / "alusta.png")));
  EXPECT_TRUE(rt::decode_ogg(file_bytes(run_dir / "sound" / "song2.ogg")));
  EXPECT_EQ(fuzz::reader_named("no such reader"), nullptr);
}

}  // namespace
