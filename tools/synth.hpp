// Sound building blocks shared by the effects and the songs: noise, filters, envelopes, seamless loops.
#pragma once
#include <cstdint>
#include "tools/wav_writer.hpp"

namespace gen {

constexpr double kTwoPi = 6.283185307179586;

// Deterministic white noise in -1..1.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed * 747796405u + 2891336453u) {}
  float next();

 private:
  std::uint32_t state_;
};

// One-pole low-pass; cutoff in Hz.
class LowPass {
 public:
  float run(float x, float cutoff);

 private:
  float y_ = 0;
};

// Two-pole resonant filter (state variable); returns the low-pass, band-pass keeps the band.
class Resonant {
 public:
  float run(float x, float cutoff, float resonance);
  float band() const { return band_; }

 private:
  float low_ = 0, band_ = 0;
};

// Attack then exponential decay, in seconds.
float pluck_envelope(double t, double attack, double decay);
// Linear attack, sustain, linear release over the note's length.
float hold_envelope(double t, double length, double attack, double release);

// Turns a buffer of loop_frames plus a tail into a seamless loop: the tail is cross-faded over the start.
void close_loop(StereoBuffer& buffer, std::size_t loop_frames, std::size_t fade_frames);
// Fades the first and last frames to silence so a one-shot starts and ends without a click.
void soften_ends(StereoBuffer& buffer, std::size_t frames);
// Scales the buffer so that its loudest sample reaches peak.
void normalise(StereoBuffer& buffer, float peak);

}  // namespace gen
