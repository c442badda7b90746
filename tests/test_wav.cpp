// The WAV reader: accepted layouts, skipped chunks, truncation and the files it must refuse.
#include <gtest/gtest.h>

#include "runtime/sound.hpp"
#include "sound_test_files.hpp"

using sound_test::le32;
using sound_test::make_wav;
using sound_test::pcm16;
using sound_test::WavLayout;

namespace {
std::vector<std::uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }
}  // namespace

TEST(Wav, ReadsEveryAcceptedLayout) {
  struct Case {
    int channels, bits, rate;
    std::string data;
    int frames;
  };
  const Case cases[] = {
      {1, 16, 22050, pcm16({0, 1000, -1000, 32767, -32768}), 5},
      {2, 16, 44100, pcm16({1, 2, 3, 4, 5, 6}), 3},
      {1, 8, 11025, std::string("\x00\x80\xff\x10", 4), 4},
      {2, 8, 8000, std::string("\x01\x02\x03\x04\x05\x06", 6), 3},
  };
  for (const Case& c : cases) {
    WavLayout layout;
    layout.channels = c.channels;
    layout.bits = c.bits;
    layout.rate = c.rate;
    const auto clip = rt::decode_wav(make_wav(layout, c.data));
    ASSERT_TRUE(clip) << c.channels << " channels, " << c.bits << " bits";
    EXPECT_EQ(clip->frames, c.frames);
    EXPECT_EQ(clip->channels, c.channels);
    EXPECT_EQ(clip->bits, c.bits);
    EXPECT_EQ(clip->rate, c.rate);
    EXPECT_EQ(clip->samples, bytes_of(c.data));
  }
}

TEST(Wav, SkipsExtraFormatBytesAndChunksBeforeTheData) {
  WavLayout layout;
  layout.extra_fmt = std::string("\x02\x00\xAB\xCD", 4);
  layout.chunks_before_data = {{"LIST", std::string(7, 'x')}, {"fact", le32(3)}};
  const auto clip = rt::decode_wav(make_wav(layout, pcm16({5, 6, 7})));
  ASSERT_TRUE(clip);
  EXPECT_EQ(clip->frames, 3);
  EXPECT_EQ(clip->samples, bytes_of(pcm16({5, 6, 7})));
}

TEST(Wav, TruncatedDataKeepsTheWholeFramesThatArePresent) {
  WavLayout layout;
  layout.channels = 2;
  layout.declared_data_length = 1000;
  const std::string data = pcm16({1, 2, 3, 4, 5, 6}) + "\x07";  // three frames and a stray byte
  const auto clip = rt::decode_wav(make_wav(layout, data));
  ASSERT_TRUE(clip);
  EXPECT_EQ(clip->frames, 3);
  EXPECT_EQ(clip->samples.size(), 12u);
}

TEST(Wav, RefusesWhatItCannotPlay) {
  const std::string data = pcm16({1, 2, 3, 4});
  auto refused = [&](WavLayout layout) { return !rt::decode_wav(make_wav(layout, data)); };
  WavLayout layout;
  layout.format = 3;  // IEEE float
  EXPECT_TRUE(refused(layout));
  layout = {};
  layout.format = 0xFFFE;  // extensible
  EXPECT_TRUE(refused(layout));
  layout = {};
  layout.channels = 3;
  EXPECT_TRUE(refused(layout));
  layout = {};
  layout.channels = 0;
  EXPECT_TRUE(refused(layout));
  layout = {};
  layout.bits = 24;
  EXPECT_TRUE(refused(layout));
  layout = {};
  layout.rate = 0;
  EXPECT_TRUE(refused(layout));
  layout = {};
  EXPECT_FALSE(refused(layout));
}

TEST(Wav, RefusesDamagedStructure) {
  const std::string good = make_wav(WavLayout{}, pcm16({1, 2, 3, 4}));
  EXPECT_FALSE(rt::decode_wav(""));
  EXPECT_FALSE(rt::decode_wav("RIFF"));

  std::string bad = good;
  bad.replace(0, 4, "RIFX");
  EXPECT_FALSE(rt::decode_wav(bad)) << "not RIFF";

  bad = good;
  bad.replace(8, 4, "AVI ");
  EXPECT_FALSE(rt::decode_wav(bad)) << "not WAVE";

  // The format chunk must come at once after WAVE.
  const std::string late_fmt = "RIFF" + le32(100) + "WAVE" + "junk" + le32(0) + good.substr(12);
  EXPECT_FALSE(rt::decode_wav(late_fmt));

  bad = good;
  bad.replace(16, 4, le32(0x7FFFFFF0));
  EXPECT_FALSE(rt::decode_wav(bad)) << "format chunk longer than the file";

  bad = good;
  bad.replace(16, 4, le32(14));
  EXPECT_FALSE(rt::decode_wav(bad)) << "format chunk too short for its fields";

  WavLayout layout;
  layout.chunks_before_data = {{"LIST", "abc"}};
  bad = make_wav(layout, pcm16({1}));
  bad.replace(40, 4, le32(0xFFFFFFF0));  // the LIST chunk's length points far past the end
  EXPECT_FALSE(rt::decode_wav(bad));

  EXPECT_FALSE(rt::decode_wav(good.substr(0, 36))) << "no data chunk at all";
}

TEST(Wav, NoPrefixOrSingleByteDamageReadsPastTheFile) {
  WavLayout layout;
  layout.channels = 2;
  layout.extra_fmt = std::string(2, '\0');
  layout.chunks_before_data = {{"LIST", "abcd"}};
  const std::string good = make_wav(layout, pcm16({1, 2, 3, 4, 5, 6, 7, 8}));
  for (std::size_t n = 0; n <= good.size(); ++n) {
    const auto clip = rt::decode_wav(good.substr(0, n));
    if (clip) {
      EXPECT_EQ(clip->samples.size(), static_cast<std::size_t>(clip->frames) * 4);
      EXPECT_LE(clip->samples.size(), n);
    }
  }
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (int value : {0x00, 0x7F, 0xFF}) {
      std::string damaged = good;
      damaged[at] = static_cast<char>(value);
      const auto clip = rt::decode_wav(damaged);
      if (clip) {
        EXPECT_EQ(clip->samples.size(),
                  static_cast<std::size_t>(clip->frames) * clip->channels * clip->bits / 8);
      }
    }
  }
}
