// Mixing cost of 16 clips playing at once, each resampled to 44100 Hz, as a share of one core in real time.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "runtime/audio_output.hpp"
#include "runtime/mixer.hpp"

namespace {

std::shared_ptr<rt::SoundClip> make_clip(int rate, int channels, int bits, double seconds) {
  auto clip = std::make_shared<rt::SoundClip>();
  clip->rate = rate;
  clip->channels = channels;
  clip->bits = bits;
  clip->frames = static_cast<int>(rate * seconds);
  for (int i = 0; i < clip->frames * channels; ++i) {
    const double v = std::sin(i * 0.01) * 0.4;
    if (bits == 8) {
      clip->samples.push_back(static_cast<std::uint8_t>(128 + std::lround(v * 127)));
    } else {
      const auto s = static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(v * 32767)));
      clip->samples.push_back(static_cast<std::uint8_t>(s & 0xff));
      clip->samples.push_back(static_cast<std::uint8_t>(s >> 8));
    }
  }
  return clip;
}

}  // namespace

int main() {
  rt::Mixer mixer;
  rt::AudioOutput output(mixer);
  const int rates[] = {22050, 11025, 32000, 48000, 8000, 16000, 24000, 22050};
  for (int i = 0; i < 16; ++i) {
    mixer.start(make_clip(rates[i % 8], 1 + i % 2, i % 4 == 3 ? 8 : 16, 1.7 + i * 0.1), true, false, 0, i + 1);
  }

  // One minute of output: the device takes a fragment, the pump mixes one more to keep its lead.
  const int fragments = 60 * rt::kOutputRate / rt::AudioOutput::kFragmentFrames;
  std::vector<std::int16_t> device(rt::AudioOutput::kFragmentFrames * 2);
  output.pump(0);
  std::chrono::steady_clock::duration mixing{};
  for (int i = 0; i < fragments; ++i) {
    output.pull(device.data(), rt::AudioOutput::kFragmentFrames);
    const auto start = std::chrono::steady_clock::now();
    output.pump(0);
    mixing += std::chrono::steady_clock::now() - start;
  }
  if (mixer.active_count() != 16 || !output.playing()) {
    std::fprintf(stderr, "the 16 clips did not all play\n");
    return 1;
  }
  const double audio_seconds = static_cast<double>(fragments) * rt::AudioOutput::kFragmentFrames / rt::kOutputRate;
  const double percent = std::chrono::duration<double>(mixing).count() / audio_seconds * 100.0;
  std::printf("mix16_cpu_percent %.3f %%\n", percent);
  return 0;
}
