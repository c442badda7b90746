// The WAV reader: accepted layouts, skipped chunks, truncation and the files it must refuse.
#include <gtest/gtest.h>

#include "runtime/sound.hpp"
#include "sound_test_files.hpp"

using sound_test::le32;
using sound_test::make_wav;
using sound_test::pcm16;
using sound_test::WavLayout;

namespace {
WavLayout layout_of(int format, int channels = 1, int bits = 16, int rate = 44100) {
  WavLayout layout;
  layout.format = format;
  layout.channels = channels;
  layout.bits = bits;
  layout.rate = rate;
  return layout;
}
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
    const WavLayout layout = layout_of(1, c.channels, c.bits, c.rate);
    const auto clip = rt::decode_wav(make_wav(layout, c.data));
    ASSERT_TRUE(clip) << c.channels << " channels, " << c.bits << " bits";
    EXPECT_EQ(clip->frames, c.frames);
    EXPECT_EQ(clip->channels, c.channels);
    EXPECT_EQ(clip->bits, c.bits);
    EXPECT_EQ(clip->rate, c.rate);
    EXPECT_EQ(std::string(clip->samples.begin(), clip->samples.end()), c.data);
  }
}

TEST(Wav, SkipsExtraFormatBytesAndChunksAndRefusesDataShorterThanItsHeaderSays) {
  WavLayout layout;
  layout.channels = 2;
  layout.extra_fmt = std::string("\x02\x00\xAB\xCD", 4);
  layout.chunks_before_data = {{"LIST", std::string(7, 'x')}, {"fact", le32(3)}};
  auto clip = rt::decode_wav(make_wav(layout, pcm16({5, 6, 7, 8})));
  ASSERT_TRUE(clip);
  EXPECT_EQ(clip->frames, 2);
  EXPECT_EQ(clip->samples[0], 5);

  layout.declared_data_length = 13;
  clip = rt::decode_wav(make_wav(layout, pcm16({1, 2, 3, 4, 5, 6}) + "\x07"));
  ASSERT_TRUE(clip) << "three frames and a stray byte, as the header says";
  EXPECT_EQ(clip->frames, 3);
  EXPECT_EQ(clip->samples.size(), 12u);

  layout.declared_data_length = 1000;
  EXPECT_FALSE(rt::decode_wav(make_wav(layout, pcm16({1, 2, 3, 4, 5, 6}) + "\x07")))
      << "13 bytes where 1000 were promised";
}

TEST(Wav, RefusesWhatItCannotPlayAndDamagedStructure) {
  const std::string data = pcm16({1, 2, 3, 4});
  for (const WavLayout& layout : {layout_of(3), layout_of(0xFFFE), layout_of(1, 3), layout_of(1, 0), layout_of(1, 1, 24),
                                  layout_of(1, 1, 16, 0)}) {
    EXPECT_FALSE(rt::decode_wav(make_wav(layout, data)))
        << "format " << layout.format << ", " << layout.channels << " channels, " << layout.bits << " bits";
  }
  const std::string good = make_wav(WavLayout{}, data);
  ASSERT_TRUE(rt::decode_wav(good));
  auto damaged = [&](std::size_t at, const std::string& bytes) { return std::string(good).replace(at, bytes.size(), bytes); };
  EXPECT_FALSE(rt::decode_wav(damaged(0, "RIFX")));
  EXPECT_FALSE(rt::decode_wav(damaged(8, "AVI ")));
  EXPECT_FALSE(rt::decode_wav(damaged(12, "junk"))) << "the format chunk must follow WAVE at once";
  EXPECT_FALSE(rt::decode_wav(damaged(16, le32(0x7FFFFFF0)))) << "format chunk longer than the file";
  EXPECT_FALSE(rt::decode_wav(damaged(16, le32(14)))) << "format chunk too short for its fields";
  EXPECT_FALSE(rt::decode_wav(good.substr(0, 36))) << "no data chunk";

  WavLayout layout;
  layout.chunks_before_data = {{"LIST", "abc"}};
  const std::string far_chunk = make_wav(layout, data).replace(40, 4, le32(0xFFFFFFF0));
  EXPECT_FALSE(rt::decode_wav(far_chunk)) << "a chunk length pointing past the end";
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
    }
  }
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (int value : {0x00, 0x7F, 0xFF}) {
      std::string damaged = good;
      damaged[at] = static_cast<char>(value);
      if (const auto clip = rt::decode_wav(damaged)) {
        EXPECT_EQ(clip->samples.size(), static_cast<std::size_t>(clip->frames) * clip->channels * clip->bits / 8);
      }
    }
  }
}
