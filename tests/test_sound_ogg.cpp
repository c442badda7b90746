// Ogg Vorbis decoding and the order in which load_sound tries its decoders.
#include <gtest/gtest.h>

#include <cmath>

#include "runtime/sound.hpp"
#include "sound_test_files.hpp"

namespace {

std::vector<float> sine(int frames, int channels, int rate, double hz) {
  std::vector<float> samples;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      samples.push_back(static_cast<float>(0.5 * std::sin(2 * M_PI * hz * (c + 1) * i / rate)));
    }
  }
  return samples;
}

std::int16_t sample16(const rt::SoundClip& clip, std::size_t index) {
  return static_cast<std::int16_t>(clip.samples[2 * index] | clip.samples[2 * index + 1] << 8);
}

}  // namespace

TEST(Ogg, DecodesToTheEncodedLengthRateAndShape) {
  for (const int channels : {1, 2}) {
    const int rate = channels == 1 ? 22050 : 32000;
    const int frames = rate + 123;
    const std::vector<float> source = sine(frames, channels, rate, 440.0);
    const auto clip = rt::decode_ogg(sound_test::make_ogg(source, channels, rate));
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->frames, frames);
    EXPECT_EQ(clip->rate, rate);
    EXPECT_EQ(clip->channels, channels);
    EXPECT_EQ(clip->bits, 16);
    ASSERT_EQ(clip->samples.size(), static_cast<std::size_t>(frames) * channels * 2);
    // Lossy, but each channel's tone must come through in its place; compare away from the edges.
    double error = 0, power = 0;
    for (std::size_t i = 2000 * channels; i < source.size() - 2000 * channels; ++i) {
      const double expected = source[i] * 32768.0;
      error += std::pow(sample16(*clip, i) - expected, 2);
      power += expected * expected;
    }
    EXPECT_LT(error / power, 0.01) << channels << " channels";
  }
}

TEST(Ogg, RefusesDamagedAndForeignStreams) {
  const std::string good = sound_test::make_ogg(sine(4000, 1, 22050, 200.0), 1, 22050);
  EXPECT_FALSE(rt::decode_ogg(""));
  EXPECT_FALSE(rt::decode_ogg("OggS but nothing of the sort"));
  EXPECT_FALSE(rt::decode_ogg(sound_test::make_wav(sound_test::WavLayout{}, sound_test::pcm16({1, 2}))));
  EXPECT_FALSE(rt::decode_ogg(good.substr(0, 40))) << "cut inside the headers";
  for (std::size_t cut = 0; cut <= good.size(); cut += 97) {
    const auto clip = rt::decode_ogg(good.substr(0, cut));
    if (clip) {
      EXPECT_EQ(clip->samples.size(), static_cast<std::size_t>(clip->frames) * 2);
    }
  }
}

TEST(SoundLoading, TriesWavFirstThenOggWhateverTheFileIsCalled) {
  rt::reset_sound();
  const std::string wav_named_ogg = sound_test::write_temp_file(
      "really_wav.ogg", sound_test::make_wav(sound_test::WavLayout{}, sound_test::pcm16({1, 2, 3})));
  const std::string ogg_named_wav =
      sound_test::write_temp_file("really_ogg.wav", sound_test::make_ogg(sine(5000, 1, 11025, 100.0), 1, 11025));
  EXPECT_EQ(rt::load_sound(rt::from_latin1(wav_named_ogg), 0), 0) << "no decoders registered yet";

  rt::register_sound_decoders();
  const int wav = rt::load_sound(rt::from_latin1(wav_named_ogg), 0);
  const int ogg = rt::load_sound(rt::from_latin1(ogg_named_wav), 1);
  ASSERT_NE(wav, 0);
  ASSERT_NE(ogg, 0);
  EXPECT_EQ(rt::sound_clip(wav).frames, 3);
  EXPECT_EQ(rt::sound_clip(ogg).frames, 5000);
  EXPECT_EQ(rt::sound_clip(ogg).rate, 11025);
  EXPECT_TRUE(rt::sound_loops(ogg));

  std::string backslashed = wav_named_ogg;
  for (char& c : backslashed) {
    if (c == '/') c = '\\';
  }
  EXPECT_NE(rt::load_sound(rt::from_latin1(backslashed), 1), 0) << "backslashes separate folders too";
}
