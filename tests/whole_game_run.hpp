// Runs the real game routine on the scripted platform in a scratch folder, steered frame by frame.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/app.hpp"
#include "game/state.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/program.hpp"
#include "runtime/sound.hpp"
#include "scratch_folder.hpp"

namespace whole_game {

namespace fs = std::filesystem;

// The scripted platform that also counts how often the display has been opened: one per game pass.
class CountingPlatform : public rt::platform::ScriptedPlatform {
 public:
  using ScriptedPlatform::ScriptedPlatform;
  bool open_window(int width, int height, bool fullscreen, rt::platform::SurfaceKind kind) override {
    ++opens_;
    return ScriptedPlatform::open_window(width, height, fullscreen, kind);
  }
  int opens() const { return opens_; }

  void tap(int key) {
    push_event({rt::platform::EventType::KeyDown, key});
    push_event({rt::platform::EventType::KeyUp, key});
  }
  void press(int key) { push_event({rt::platform::EventType::KeyDown, key}); }
  void release(int key) { push_event({rt::platform::EventType::KeyUp, key}); }

 private:
  int opens_ = 0;
};

// A folder holding the generated pictures and sounds (linked) and a score file, made the current
// directory while the game runs in it.
class GameFolder : public scratch::Folder {
 public:
  explicit GameFolder(const std::string& run_dir) : Folder("sky_game") {
    fs::create_directory_symlink(fs::path(run_dir) / "gfx", path() / "gfx");
    fs::create_directory_symlink(fs::path(run_dir) / "sound", path() / "sound");
  }
};

using scratch::read_bytes;
using scratch::write_bytes;

// Where a game pass stands, as the driver sees it after each presented frame.
enum class Phase { Title, Playing, EndScreen, NameEntry, NameTyped, Closing };

// Steers whole games: Enter on the title, a pilot during play, Enter on every level-end screen,
// then a typed name and Enter. Level ends are seen as a frame whose level_index moved on.
class GameDriver {
 public:
  using Pilot = std::function<void(CountingPlatform&, game::GameState&)>;
  // Called after every frame with the pass number (1 for the first game) and the phase.
  using Watcher = std::function<void(int frame, int pass, Phase phase)>;

  GameDriver(CountingPlatform& platform, Pilot pilot, std::vector<int> name_keys)
      : platform_(platform), pilot_(std::move(pilot)), name_keys_(std::move(name_keys)) {}

  void watch(Watcher watcher) { watcher_ = std::move(watcher); }

  void on_frame(int frame) {
    game::GameState& s = game::state();
    if (platform_.opens() != pass_) {
      pass_ = platform_.opens();
      phase_ = Phase::Title;
      channel_at_open_ = s.music_channel;
    }
    if (watcher_) watcher_(frame, pass_, phase_);
    switch (phase_) {
      case Phase::Title:
        // Opening the display presents frames of its own, and keys sent then are lost: wait for the
        // title tune on this pass's new channel.
        if (s.music_channel != channel_at_open_ && rt::channel_playing(s.music_channel) == 1) {
          platform_.tap(rt::VK_ENTER);
          phase_ = Phase::Playing;
          level_seen_ = -1;
          pulse_seen_ = s.pulse_angle;
        }
        break;
      case Phase::Playing:
        if (level_seen_ >= 0 && s.level_index != level_seen_) {
          // A level-end screen: continue at once.
          platform_.tap(rt::VK_ENTER);
          if (s.level_index == 9) phase_ = Phase::EndScreen;
          level_seen_ = s.level_index;
          break;
        }
        level_seen_ = s.level_index;
        // Only play frames move the pad lights; the loading picture and the screens do not.
        if (s.pulse_angle == pulse_seen_) break;
        pulse_seen_ = s.pulse_angle;
        pilot_(platform_, s);
        break;
      case Phase::EndScreen:  // the end screen took its Enter; this frame is name entry's first
      case Phase::NameEntry:
        for (int key : name_keys_) platform_.tap(key);
        phase_ = Phase::NameTyped;
        break;
      case Phase::NameTyped:
        // A frame later: name entry reads Enter right after each present, before the next frame's keys.
        platform_.tap(rt::VK_ENTER);
        phase_ = Phase::Closing;
        break;
      case Phase::Closing:
        break;
    }
  }

  // The pilot calls this once it has ended the game with Esc: the name is typed on the next frame, and
  // keys typed while the last play frames run stay counted until name entry reads them.
  void game_ended() { phase_ = Phase::NameEntry; }

  int pass() const { return pass_; }
  Phase phase() const { return phase_; }

 private:
  CountingPlatform& platform_;
  Pilot pilot_;
  std::vector<int> name_keys_;
  Watcher watcher_;
  int pass_ = 0;
  Phase phase_ = Phase::Title;
  int level_seen_ = -1;
  int pulse_seen_ = 0;
  int channel_at_open_ = 0;
};

// Installs the platform, makes fatal ends and exit_program throw, and runs the game routine until a
// frame hook throws ScenarioStop (nullopt) or the program ends (its exit status).
inline std::optional<int> run_game_until_stopped() {
  rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
  try {
    game::run_game();
  } catch (const rt::platform::ScenarioStop&) {
    return std::nullopt;
  } catch (const rt::ProgramExit& exit) {
    return exit.status;
  }
  return std::nullopt;
}

}  // namespace whole_game
