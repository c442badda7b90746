// Sound building blocks shared by the effects and the songs: noise, filters, envelopes, seamless loops.
#include "tools/synth.hpp"

#include <algorithm>
#include <cmath>

namespace gen {

float Noise::next() {
  state_ = state_ * 1664525u + 1013904223u;
  std::uint32_t x = state_ ^ (state_ >> 16);
  x *= 0x7feb352du;
  x ^= x >> 15;
  return static_cast<float>(x >> 8) / 8388608.0f - 1.0f;
}

float LowPass::run(float x, float cutoff) {
  float a = 1.0f - std::exp(static_cast<float>(-kTwoPi) * cutoff / kSampleRate);
  y_ += a * (x - y_);
  return y_;
}

float Resonant::run(float x, float cutoff, float resonance) {
  float f = 2.0f * std::sin(static_cast<float>(kTwoPi / 2) * std::min(cutoff, 12000.0f) / kSampleRate);
  float q = 1.0f - std::clamp(resonance, 0.0f, 0.95f);
  low_ += f * band_;
  float high = x - low_ - q * band_;
  band_ += f * high;
  return low_;
}

float pluck_envelope(double t, double attack, double decay) {
  if (t < 0) return 0;
  if (t < attack) return static_cast<float>(t / attack);
  return static_cast<float>(std::exp(-(t - attack) / decay));
}

float hold_envelope(double t, double length, double attack, double release) {
  if (t < 0 || t > length + release) return 0;
  float a = t < attack ? static_cast<float>(t / attack) : 1.0f;
  if (t > length) a *= static_cast<float>(1.0 - (t - length) / release);
  return a;
}

void close_loop(StereoBuffer& buffer, std::size_t loop_frames, std::size_t fade_frames) {
  for (std::size_t i = 0; i < fade_frames && loop_frames + i < buffer.frames(); ++i) {
    float w = static_cast<float>(i) / fade_frames;
    buffer.left[i] = buffer.left[i] * w + buffer.left[loop_frames + i] * (1 - w);
    buffer.right[i] = buffer.right[i] * w + buffer.right[loop_frames + i] * (1 - w);
  }
  buffer.left.resize(loop_frames);
  buffer.right.resize(loop_frames);
}

void soften_ends(StereoBuffer& buffer, std::size_t frames) {
  std::size_t n = std::min(frames, buffer.frames() / 2);
  for (std::size_t i = 0; i < n; ++i) {
    float w = static_cast<float>(i) / n;
    buffer.left[i] *= w;
    buffer.right[i] *= w;
    buffer.left[buffer.frames() - 1 - i] *= w;
    buffer.right[buffer.frames() - 1 - i] *= w;
  }
}

void normalise(StereoBuffer& buffer, float peak) {
  float loudest = 1e-9f;
  for (std::size_t i = 0; i < buffer.frames(); ++i) {
    loudest = std::max({loudest, std::fabs(buffer.left[i]), std::fabs(buffer.right[i])});
  }
  float g = peak / loudest;
  for (std::size_t i = 0; i < buffer.frames(); ++i) {
    buffer.left[i] *= g;
    buffer.right[i] *= g;
  }
}

}  // namespace gen
