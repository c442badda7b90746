// The effects and loops of the play: engine, crash, gear, landing, chimes, background, rain and wind.
#include "tools/sounds.hpp"

#include <cmath>

#include "tools/synth.hpp"

namespace gen {

namespace {

std::size_t frames_of(double seconds) { return static_cast<std::size_t>(seconds * kSampleRate); }

// Engine: a hum whose partials fit the loop exactly, under filtered roar.
StereoBuffer engine(double base_hz, float roar, float roar_cutoff, float level, std::uint32_t seed) {
  const double seconds = 2.0;
  const std::size_t loop = frames_of(seconds), fade = frames_of(0.25);
  StereoBuffer b;
  b.resize(loop + fade);
  Noise noise(seed);
  LowPass lp1, lp2, lp3;
  for (std::size_t i = 0; i < b.frames(); ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    double wobble = 1 + 0.25 * std::sin(kTwoPi * 15.0 * t);
    float hum = static_cast<float>(0.5 * std::sin(kTwoPi * base_hz * t) + 0.3 * std::sin(kTwoPi * base_hz * 2 * t + 1) +
                                   0.15 * std::sin(kTwoPi * base_hz * 3 * t + 2));
    float n = noise.next();
    float rumble = lp2.run(lp1.run(n, roar_cutoff), roar_cutoff);
    float hiss = n - lp3.run(n, 3000);
    float v = level * (hum * 0.5f * static_cast<float>(wobble) + roar * (rumble * 3.0f + hiss * 0.12f));
    b.left[i] = v;
    b.right[i] = v;
  }
  close_loop(b, loop, fade);
  return b;
}

// A washed noise bed, optionally swept through a band, that loops seamlessly.
StereoBuffer noise_bed(double seconds, float cutoff_low, float cutoff_high, int sweeps, float level, std::uint32_t seed) {
  const std::size_t loop = frames_of(seconds), fade = frames_of(0.5);
  StereoBuffer b;
  b.resize(loop + fade);
  Noise nl(seed), nr(seed + 1);
  Resonant fl, fr;
  for (std::size_t i = 0; i < b.frames(); ++i) {
    double phase = kTwoPi * sweeps * static_cast<double>(i) / loop;
    float sweep = static_cast<float>(0.5 + 0.5 * std::sin(phase));
    float cutoff = cutoff_low + (cutoff_high - cutoff_low) * sweep;
    fl.run(nl.next(), cutoff, 0.6f);
    fr.run(nr.next(), cutoff * 1.1f, 0.6f);
    float gust = 0.6f + 0.4f * sweep;
    b.left[i] = level * gust * fl.band();
    b.right[i] = level * gust * fr.band();
  }
  close_loop(b, loop, fade);
  return b;
}

void add_tone(StereoBuffer& b, double start, double freq, double decay, float level, double shape = 0) {
  std::size_t first = frames_of(start);
  for (std::size_t i = first; i < b.frames(); ++i) {
    double t = static_cast<double>(i - first) / kSampleRate;
    float env = pluck_envelope(t, 0.004, decay);
    if (env < 1e-4f && t > 0.01) break;
    double s = std::sin(kTwoPi * freq * t);
    double v = shape > 0 ? s + shape * std::sin(kTwoPi * freq * 2 * t) * 0.5 + shape * std::sin(kTwoPi * freq * 3 * t) * 0.25 : s;
    b.left[i] += static_cast<float>(v) * env * level;
    b.right[i] += static_cast<float>(v) * env * level;
  }
}

// Servo whirr gliding between two pitches, closed by a clunk.
StereoBuffer gear(double from_hz, double to_hz) {
  StereoBuffer b;
  b.resize(frames_of(0.45));
  double phase = 0;
  LowPass lp;
  for (std::size_t i = 0; i < b.frames(); ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    double k = std::min(1.0, t / 0.3);
    double f = from_hz + (to_hz - from_hz) * k;
    phase += kTwoPi * f / kSampleRate;
    float saw = static_cast<float>(std::fmod(phase / kTwoPi, 1.0) * 2 - 1);
    float env = t < 0.3 ? 0.5f : 0.0f;
    float v = lp.run(saw, 1800) * env * 0.5f;
    b.left[i] = v;
    b.right[i] = v;
  }
  add_tone(b, 0.3, 90, 0.05, 0.7, 0.8);
  Noise click(7);
  for (std::size_t i = frames_of(0.3); i < frames_of(0.34); ++i) {
    float v = click.next() * 0.3f * (1 - static_cast<float>(i - frames_of(0.3)) / frames_of(0.04));
    b.left[i] += v;
    b.right[i] += v;
  }
  soften_ends(b, 64);
  normalise(b, 0.6f);
  return b;
}

}  // namespace

StereoBuffer motor() { return engine(110, 1.0f, 700, 0.7f, 11); }
StereoBuffer motor_idle() { return engine(55, 0.35f, 300, 0.5f, 12); }

StereoBuffer crash() {
  StereoBuffer b;
  b.resize(frames_of(0.8));
  Noise noise(21);
  LowPass lp;
  double phase = 0;
  for (std::size_t i = 0; i < b.frames(); ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    float burst = pluck_envelope(t, 0.002, 0.12);
    float n = noise.next();
    phase += kTwoPi * (40 + 110 * std::exp(-t / 0.08)) / kSampleRate;
    float thump = static_cast<float>(std::sin(phase)) * pluck_envelope(t, 0.003, 0.18);
    float v = lp.run(n, 2500) * burst * 1.4f + thump;
    b.left[i] = v;
    b.right[i] = v * 0.9f;
  }
  for (double f : {523.0, 741.0, 1187.0}) add_tone(b, 0.0, f, 0.16, 0.12);
  soften_ends(b, 64);
  normalise(b, 0.85f);
  return b;
}

StereoBuffer gear_in() { return gear(520, 260); }
StereoBuffer gear_out() { return gear(260, 520); }

StereoBuffer landing() {
  StereoBuffer b;
  b.resize(frames_of(0.5));
  Noise noise(31);
  LowPass lp;
  for (std::size_t i = 0; i < b.frames(); ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    float v = lp.run(noise.next(), 900) * pluck_envelope(t, 0.01, 0.12) * 2.0f;
    b.left[i] = v;
    b.right[i] = v;
  }
  add_tone(b, 0.0, 70, 0.09, 0.6);
  soften_ends(b, 64);
  normalise(b, 0.6f);
  return b;
}

StereoBuffer background_noise() { return noise_bed(6.0, 120, 380, 2, 0.35f, 41); }

StereoBuffer rain() {
  StereoBuffer b = noise_bed(4.0, 2500, 5000, 1, 0.25f, 51);
  // Drops: short bright ticks scattered over the loop, placed so none straddles the seam.
  Noise pick(52);
  for (int d = 0; d < 90; ++d) {
    double start = (pick.next() * 0.5 + 0.5) * 3.9;
    double freq = 1800 + 1500 * (pick.next() * 0.5 + 0.5);
    add_tone(b, start, freq, 0.008, 0.08f);
  }
  return b;
}

StereoBuffer wind() { return noise_bed(5.0, 250, 900, 2, 0.6f, 61); }

StereoBuffer delivery_chime() {
  StereoBuffer b;
  b.resize(frames_of(0.9));
  const double notes[] = {523.25, 659.25, 783.99, 1046.5};
  for (int i = 0; i < 4; ++i) add_tone(b, i * 0.08, notes[i], 0.35, 0.3f, 0.3);
  soften_ends(b, 64);
  normalise(b, 0.6f);
  return b;
}

StereoBuffer pickup_chime() {
  StereoBuffer b;
  b.resize(frames_of(0.4));
  add_tone(b, 0.0, 880, 0.12, 0.3f, 0.5);
  add_tone(b, 0.07, 1318.5, 0.15, 0.3f, 0.5);
  soften_ends(b, 64);
  normalise(b, 0.55f);
  return b;
}

}  // namespace gen
