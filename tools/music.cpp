// The songs: a small sequencer with a handful of instruments, one song per world, the title tune
// and the two jingles.
#include "tools/music.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "tools/synth.hpp"

namespace gen {

namespace {

enum class Inst { Bass, Lead, Pad, Pluck, Bell, Kick, Snare, Hat, Clap, Dum, Tek, Acid, Shaker };

struct Note {
  double beat, length;
  int midi;
  float velocity;
  Inst inst;
};

struct Song {
  double bpm;
  double beats;
  bool loops;
  std::vector<Note> notes;

  void add(Inst inst, double beat, double length, int midi, float velocity = 1.0f) {
    notes.push_back({beat, length, midi, velocity, inst});
  }
  // A phrase written as "E4:0.5 F4:0.5 -:1 ..." ('-' rests), starting at the given beat; returns its end.
  double phrase(Inst inst, double beat, const std::string& text, float velocity = 1.0f, int transpose = 0);
};

int midi_of(const std::string& name) {
  static const int steps[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int n = steps[name[0] - 'A'];
  std::size_t i = 1;
  if (i < name.size() && name[i] == '#') n += 1, ++i;
  if (i < name.size() && name[i] == 'b') n -= 1, ++i;
  int octave = std::stoi(name.substr(i));
  return 12 * (octave + 1) + n;
}

double Song::phrase(Inst inst, double beat, const std::string& text, float velocity, int transpose) {
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    std::size_t colon = token.find(':');
    std::string name = token.substr(0, colon);
    double length = std::stod(token.substr(colon + 1));
    if (name != "-") add(inst, beat, length, midi_of(name) + transpose, velocity);
    beat += length;
  }
  return beat;
}

double hz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

struct Voice {
  float level, pan;  // pan -1 left .. 1 right
};

Voice voice_of(Inst inst) {
  switch (inst) {
    case Inst::Bass: return {0.55f, 0.0f};
    case Inst::Lead: return {0.22f, 0.2f};
    case Inst::Pad: return {0.12f, 0.0f};
    case Inst::Pluck: return {0.5f, -0.25f};
    case Inst::Bell: return {0.22f, 0.3f};
    case Inst::Kick: return {0.9f, 0.0f};
    case Inst::Snare: return {0.4f, 0.05f};
    case Inst::Hat: return {0.12f, 0.3f};
    case Inst::Clap: return {0.35f, -0.05f};
    case Inst::Dum: return {0.7f, -0.1f};
    case Inst::Tek: return {0.3f, 0.15f};
    case Inst::Acid: return {0.3f, 0.0f};
    case Inst::Shaker: return {0.08f, -0.35f};
  }
  return {0, 0};
}

// Renders one note into a mono scratch buffer; returns it.
std::vector<float> render_note(const Note& n, double seconds, std::uint32_t seed) {
  const double f = hz(n.midi);
  double release = 0.08;
  switch (n.inst) {
    case Inst::Pad: release = 0.9; break;
    case Inst::Bell: release = 1.6; break;
    case Inst::Pluck: release = 1.2; break;
    case Inst::Lead: release = 0.15; break;
    default: break;
  }
  const bool percussive = n.inst == Inst::Kick || n.inst == Inst::Snare || n.inst == Inst::Hat || n.inst == Inst::Clap ||
                          n.inst == Inst::Dum || n.inst == Inst::Tek || n.inst == Inst::Shaker;
  double total = percussive ? 0.6 : seconds + release;
  std::vector<float> out(static_cast<std::size_t>(total * kSampleRate));
  Noise noise(seed);
  LowPass lp, lp2;
  Resonant res;
  double phase = 0, phase2 = 0, phase3 = 0;
  // Plucked strings: a delay line of noise, averaged as it goes round.
  std::vector<float> string_line;
  std::size_t string_pos = 0;
  if (n.inst == Inst::Pluck) {
    string_line.resize(std::max<std::size_t>(2, static_cast<std::size_t>(kSampleRate / f)));
    LowPass shape;
    for (float& s : string_line) s = shape.run(noise.next(), 3000);
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    double t = static_cast<double>(i) / kSampleRate;
    float v = 0;
    switch (n.inst) {
      case Inst::Bass: {
        phase += f / kSampleRate;
        float saw = static_cast<float>(std::fmod(phase, 1.0) * 2 - 1);
        float sub = static_cast<float>(std::sin(kTwoPi * phase));
        float env = hold_envelope(t, seconds, 0.005, release);
        v = (lp.run(saw, 300 + 1500 * pluck_envelope(t, 0.002, 0.08)) * 0.7f + sub * 0.6f) * env;
        break;
      }
      case Inst::Lead: {
        double vib = t > 0.15 ? 0.006 * std::sin(kTwoPi * 5.5 * t) : 0;
        phase += f * (1 + vib) / kSampleRate;
        float sq = std::fmod(phase, 1.0) < 0.3 ? 1.0f : -1.0f;
        v = lp.run(sq, 2600) * hold_envelope(t, seconds, 0.01, release);
        break;
      }
      case Inst::Pad: {
        phase += f * 1.003 / kSampleRate;
        phase2 += f * 0.997 / kSampleRate;
        phase3 += f * 0.5 / kSampleRate;
        float s = static_cast<float>((std::fmod(phase, 1.0) + std::fmod(phase2, 1.0) + std::fmod(phase3, 1.0)) * 2 - 3) / 3;
        v = lp2.run(lp.run(s, 1100), 1100) * hold_envelope(t, seconds, 0.35, release);
        break;
      }
      case Inst::Pluck: {
        std::size_t next = (string_pos + 1) % string_line.size();
        float s = string_line[string_pos];
        string_line[string_pos] = 0.996f * 0.5f * (s + string_line[next]);
        string_pos = next;
        v = s * hold_envelope(t, seconds + 0.6, 0.001, release);
        break;
      }
      case Inst::Bell: {
        float env = pluck_envelope(t, 0.002, 0.9);
        double mod = 2.2 * env * std::sin(kTwoPi * f * 3.5 * t);
        v = static_cast<float>(std::sin(kTwoPi * f * t + mod)) * env;
        break;
      }
      case Inst::Kick: {
        phase += (45 + 110 * std::exp(-t / 0.04)) / kSampleRate;
        v = static_cast<float>(std::sin(kTwoPi * phase)) * pluck_envelope(t, 0.001, 0.22);
        break;
      }
      case Inst::Snare: {
        float nz = noise.next();
        v = (nz - lp.run(nz, 1200)) * pluck_envelope(t, 0.001, 0.1) +
            static_cast<float>(std::sin(kTwoPi * 190 * t)) * pluck_envelope(t, 0.001, 0.05) * 0.6f;
        break;
      }
      case Inst::Hat: {
        float nz = noise.next();
        v = (nz - lp.run(nz, 7000)) * pluck_envelope(t, 0.0005, n.length > 0.4 ? 0.15 : 0.035);
        break;
      }
      case Inst::Shaker: {
        float nz = noise.next();
        v = (nz - lp.run(nz, 5000)) * pluck_envelope(t, 0.01, 0.05);
        break;
      }
      case Inst::Clap: {
        res.run(noise.next(), 1300, 0.5f);
        float bursts = 0;
        for (double d : {0.0, 0.011, 0.022}) bursts += pluck_envelope(t - d, 0.0005, d < 0.02 ? 0.008 : 0.09);
        v = res.band() * bursts * 1.5f;
        break;
      }
      case Inst::Dum: {
        phase += (80 + 50 * std::exp(-t / 0.03)) / kSampleRate;
        v = static_cast<float>(std::sin(kTwoPi * phase)) * pluck_envelope(t, 0.001, 0.2);
        break;
      }
      case Inst::Tek: {
        res.run(noise.next(), 2500, 0.7f);
        v = res.band() * pluck_envelope(t, 0.0005, 0.03) * 2 +
            static_cast<float>(std::sin(kTwoPi * 420 * t)) * pluck_envelope(t, 0.0005, 0.03) * 0.4f;
        break;
      }
      case Inst::Acid: {
        phase += f / kSampleRate;
        float saw = static_cast<float>(std::fmod(phase, 1.0) * 2 - 1);
        float cutoff = 250 + 2600 * n.velocity * pluck_envelope(t, 0.002, 0.09);
        v = res.run(saw, cutoff, 0.82f) * hold_envelope(t, seconds, 0.003, 0.03);
        break;
      }
    }
    out[i] = v * n.velocity;
  }
  return out;
}

StereoBuffer render(const Song& song) {
  const double beat_seconds = 60.0 / song.bpm;
  const std::size_t length = static_cast<std::size_t>(song.beats * beat_seconds * kSampleRate);
  const std::size_t tail = static_cast<std::size_t>(3.0 * kSampleRate);
  StereoBuffer b;
  b.resize(length + tail);
  std::uint32_t seed = 1;
  for (const Note& n : song.notes) {
    Voice voice = voice_of(n.inst);
    std::vector<float> mono = render_note(n, n.length * beat_seconds, seed++);
    std::size_t start = static_cast<std::size_t>(n.beat * beat_seconds * kSampleRate);
    float gl = voice.level * (1 - std::max(0.0f, voice.pan)), gr = voice.level * (1 + std::min(0.0f, voice.pan));
    for (std::size_t i = 0; i < mono.size() && start + i < b.frames(); ++i) {
      b.left[start + i] += mono[i] * gl;
      b.right[start + i] += mono[i] * gr;
    }
  }
  if (song.loops) {
    // What rings on past the end is folded over the start, so the loop plays on without a seam.
    for (std::size_t i = 0; i < tail; ++i) {
      b.left[i] += b.left[length + i];
      b.right[i] += b.right[length + i];
    }
    b.left.resize(length);
    b.right.resize(length);
  } else {
    // A jingle ends where its last note has died away.
    std::size_t end = b.frames();
    while (end > 1 && std::fabs(b.left[end - 1]) < 1e-4f && std::fabs(b.right[end - 1]) < 1e-4f) --end;
    b.left.resize(end);
    b.right.resize(end);
    soften_ends(b, 256);
  }
  normalise(b, 0.85f);
  return b;
}

void drums_four(Song& s, double from, double to, bool clap, bool snare) {
  for (double b = from; b < to; b += 1) {
    s.add(Inst::Kick, b, 0.2, 36);
    s.add(Inst::Hat, b + 0.5, 0.1, 42, 0.9f);
    if (clap && static_cast<int>(b) % 2 == 1) s.add(Inst::Clap, b, 0.2, 39);
    if (snare && static_cast<int>(b) % 2 == 1) s.add(Inst::Snare, b, 0.2, 38);
  }
}

}  // namespace

StereoBuffer title_song() {
  Song s{120, 64, true, {}};
  const int roots[] = {48, 43, 45, 41};  // C G Am F
  const int chords[4][3] = {{60, 64, 67}, {59, 62, 67}, {60, 64, 69}, {60, 65, 69}};
  for (int bar = 0; bar < 16; ++bar) {
    int k = bar % 4;
    for (int e = 0; e < 8; ++e) s.add(Inst::Bass, bar * 4 + e * 0.5, 0.4, roots[k] - 12 + (e % 4 == 3 ? 12 : 0), 0.9f);
    for (int note : chords[k]) s.add(Inst::Pad, bar * 4, 4, note, 0.8f);
    s.add(Inst::Kick, bar * 4, 0.2, 36);
    s.add(Inst::Kick, bar * 4 + 2, 0.2, 36);
    s.add(Inst::Kick, bar * 4 + 2.5, 0.2, 36, 0.7f);
    s.add(Inst::Snare, bar * 4 + 1, 0.2, 38);
    s.add(Inst::Snare, bar * 4 + 3, 0.2, 38);
    for (int e = 0; e < 8; ++e) s.add(Inst::Hat, bar * 4 + e * 0.5, 0.1, 42, e % 2 ? 0.6f : 1.0f);
  }
  const std::string melody =
      "E5:0.5 G5:0.5 C6:1 B5:0.5 G5:0.5 E5:1 "
      "D5:0.5 G5:0.5 B5:1 A5:0.5 G5:0.5 D5:1 "
      "C5:0.5 E5:0.5 A5:1 G5:0.5 E5:0.5 C5:1 "
      "F5:1 A5:1 G5:1 -:1 "
      "E5:0.5 G5:0.5 C6:1 D6:0.5 C6:0.5 B5:1 "
      "B5:0.5 A5:0.5 G5:1 D5:1 G5:1 "
      "A5:1 C6:1 B5:0.5 A5:0.5 G5:1 "
      "F5:0.5 A5:0.5 G5:0.5 F5:0.5 E5:1 D5:1";
  s.phrase(Inst::Lead, 0, melody);
  s.phrase(Inst::Lead, 32, melody);
  s.phrase(Inst::Bell, 32, melody, 0.6f, -12);
  return render(s);
}

StereoBuffer desert_song() {
  Song s{96, 64, true, {}};
  for (int bar = 0; bar < 16; ++bar) {
    double b = bar * 4;
    s.add(Inst::Pad, b, 4, midi_of("E2"), 0.9f);
    s.add(Inst::Pad, b, 4, midi_of("B2"), 0.7f);
    // A dum-tek pattern on the hand drum.
    s.add(Inst::Dum, b, 0.2, 36);
    s.add(Inst::Tek, b + 0.5, 0.1, 38);
    s.add(Inst::Tek, b + 1.5, 0.1, 38, 0.7f);
    s.add(Inst::Dum, b + 2, 0.2, 36);
    s.add(Inst::Tek, b + 3, 0.1, 38);
    s.add(Inst::Tek, b + 3.5, 0.1, 38, 0.5f);
    s.add(Inst::Shaker, b + 0.75, 0.1, 42);
    s.add(Inst::Shaker, b + 2.75, 0.1, 42);
    s.add(Inst::Bass, b, 1.5, midi_of("E2"));
    s.add(Inst::Bass, b + 2.5, 0.5, bar % 2 ? midi_of("F2") : midi_of("E2"), 0.8f);
  }
  const std::string a = "E4:0.5 F4:0.5 G#4:1 F4:0.5 E4:0.5 -:1 F4:0.5 G#4:0.5 A4:0.5 G#4:0.5 F4:1 E4:1";
  const std::string b = "B4:1 A4:0.5 G#4:0.5 A4:0.5 B4:0.5 C5:1 B4:0.5 A4:0.5 G#4:0.5 F4:0.5 E4:2";
  const std::string c = "E5:1 D5:0.5 C5:0.5 B4:1 A4:1 G#4:0.5 A4:0.5 B4:0.5 C5:0.5 B4:2";
  const std::string d = "A4:0.5 G#4:0.5 F4:0.5 G#4:0.5 A4:1 B4:1 G#4:1 F4:1 E4:2";
  double beat = 16;
  for (const std::string* p : {&a, &b, &a, &b, &c, &d, &c, &d}) beat = s.phrase(Inst::Pluck, beat, *p);
  double end = s.phrase(Inst::Pluck, 0, a, 0.6f);
  s.phrase(Inst::Pluck, end, b, 0.6f);
  s.phrase(Inst::Lead, 48, c + " " + d, 0.5f, 12);
  return render(s);
}

StereoBuffer winter_song() {
  Song s{80, 64, true, {}};
  const int chords[4][3] = {{62, 65, 69}, {58, 62, 65}, {53, 57, 60}, {60, 64, 67}};  // Dm Bb F C
  const int roots[] = {38, 34, 41, 36};
  for (int bar = 0; bar < 16; ++bar) {
    int k = bar % 4;
    double b = bar * 4;
    for (int note : chords[k]) s.add(Inst::Pad, b, 4, note - 12, 0.9f);
    s.add(Inst::Pluck, b, 2, roots[k], 0.8f);
    s.add(Inst::Pluck, b + 2, 2, roots[k] + 7, 0.6f);
    if (bar % 2 == 0 || bar >= 8) {
      for (int e = 0; e < 8; ++e) {
        int note = chords[k][e % 3] + 12 + (e >= 3 && e < 6 ? 12 : 0);
        s.add(Inst::Bell, b + e * 0.5, 0.5, note, 0.45f);
      }
    }
    if (bar >= 4) {
      for (int e = 0; e < 8; ++e) s.add(Inst::Shaker, b + e * 0.5, 0.1, 42, e % 2 ? 0.6f : 1.0f);
    }
  }
  const std::string melody = "D5:2 F5:1 E5:1 D5:1 C5:1 Bb4:2 A4:2 C5:1 F5:1 E5:4 "
                             "D5:2 F5:1 A5:1 G5:1 F5:1 D5:2 C5:1 A4:1 C5:2 D5:4";
  s.phrase(Inst::Lead, 32, melody, 0.7f);
  return render(s);
}

StereoBuffer city_song() {
  Song s{128, 96, true, {}};
  drums_four(s, 0, 96, true, false);
  const char* pattern[16] = {"A1", "A1", "A2", "A1", "C2", "A1", "A2", "G1", "A1", "A1", "E2", "A1", "G2", "A1", "C2", "D2"};
  const int shift[6] = {0, 0, -4, -4, -2, -2};  // Am Am F F G G over pairs of bars
  for (int bar = 0; bar < 24; ++bar) {
    int k = (bar / 2) % 6;
    for (int step = 0; step < 16; ++step) {
      float accent = step % 4 == 0 ? 1.0f : step % 3 == 0 ? 0.8f : 0.5f;
      s.add(Inst::Acid, bar * 4 + step * 0.25, 0.2, midi_of(pattern[step]) + shift[k], accent);
    }
    if (bar >= 8) {
      const int stab[3][3] = {{57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
      int c = shift[k] == 0 ? 0 : shift[k] == -4 ? 1 : 2;
      for (int note : stab[c]) {
        s.add(Inst::Pad, bar * 4, 4, note, 0.7f);
        s.add(Inst::Lead, bar * 4 + 1.5, 0.25, note + 12, 0.5f);
        s.add(Inst::Lead, bar * 4 + 3.5, 0.25, note + 12, 0.4f);
      }
      if (bar >= 16) {
        for (int e = 0; e < 16; ++e) s.add(Inst::Bell, bar * 4 + e * 0.25, 0.25, stab[c][e % 3] + 24 - (e % 6 >= 3 ? 12 : 0), 0.35f);
      }
    }
  }
  return render(s);
}

StereoBuffer level_done_jingle() {
  Song s{130, 8, false, {}};
  s.phrase(Inst::Lead, 0, "C5:0.25 E5:0.25 G5:0.25 C6:0.75 G5:0.25 C6:2", 1.0f);
  s.phrase(Inst::Bell, 0, "C5:0.25 E5:0.25 G5:0.25 C6:0.75 G5:0.25 C6:2", 0.6f);
  for (int note : {60, 64, 67}) s.add(Inst::Pad, 1.75, 3, note, 1.0f);
  s.add(Inst::Bass, 1.75, 2.5, 36);
  s.add(Inst::Kick, 1.75, 0.2, 36);
  s.add(Inst::Hat, 1.75, 1.0, 46, 1.0f);
  return render(s);
}

StereoBuffer game_over_jingle() {
  Song s{90, 8, false, {}};
  s.phrase(Inst::Lead, 0, "G4:0.5 F#4:0.5 F4:0.5 E4:2.5", 0.9f);
  s.phrase(Inst::Bell, 0, "G5:0.5 F#5:0.5 F5:0.5 E5:2.5", 0.4f);
  for (int note : {48, 51, 55}) s.add(Inst::Pad, 1.5, 3, note, 1.0f);
  s.add(Inst::Bass, 1.5, 3, 36);
  s.add(Inst::Dum, 1.5, 0.2, 36);
  return render(s);
}

}  // namespace gen
