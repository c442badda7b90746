// Whole-game runs on the scripted platform: a folder of their own with the generated assets and a
// "scores.txt" of the test's choosing, and the real game routine run until it ends or is stopped.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/app.hpp"
#include "game/state.hpp"
#include "runtime/platform/scripted_platform.hpp"
#include "runtime/program.hpp"
#include "tests/runtime_setup.hpp"
#include "tests/scratch_folder.hpp"

namespace scenario {

namespace fs = std::filesystem;

// The scripted platform, counting how often the display opened and able to press keys just
// before the display opens or closes.
class GamePlatform : public rt::platform::ScriptedPlatform {
 public:
  bool open_window(int width, int height, bool fullscreen, rt::platform::SurfaceKind kind) override {
    for (int key : keys_before_open_) tap(key);
    keys_before_open_.clear();
    ++opens;
    pass_frames = 0;
    return ScriptedPlatform::open_window(width, height, fullscreen, kind);
  }
  void close_window() override {
    for (int key : keys_before_close_) tap(key);
    keys_before_close_.clear();
    ScriptedPlatform::close_window();
  }
  void hide_pointer() override {
    for (int key : keys_when_pointer_hidden_) tap(key);
    keys_when_pointer_hidden_.clear();
    ScriptedPlatform::hide_pointer();
  }
  void tap(int key) {
    push_event(rt::platform::Event{rt::platform::EventType::KeyDown, key});
    push_event(rt::platform::Event{rt::platform::EventType::KeyUp, key});
  }
  void press_before_next_open(std::vector<int> keys) { keys_before_open_ = std::move(keys); }
  void press_before_next_close(std::vector<int> keys) { keys_before_close_ = std::move(keys); }
  // Keys pressed once the display is open, while the title loads.
  void press_when_pointer_hidden(std::vector<int> keys) { keys_when_pointer_hidden_ = std::move(keys); }

  int opens = 0;
  // Frames presented since this pass hid the pointer: the title's, then the game's. The screen's
  // own presents while it opens are not counted.
  int pass_frames = 0;

 private:
  std::vector<int> keys_before_open_;
  std::vector<int> keys_before_close_;
  std::vector<int> keys_when_pointer_hidden_;
};

// A scratch folder that becomes the current directory, holding links to the generated assets.
class RunFolder : public scratch::Folder {
 public:
  RunFolder() : Folder("sky_game") {
    for (const char* sub : {"gfx", "sound"}) {
      const fs::path assets = fs::path(SKY_RUN_DIR) / sub;
      if (fs::exists(assets)) fs::create_directory_symlink(assets, path() / sub);
    }
  }
  static bool assets_available() { return fs::exists(fs::path(SKY_RUN_DIR) / "gfx" / "misc" / "startup.png"); }
  void write_scores(const std::string& bytes) const { scratch::write_bytes(path() / "scores.txt", bytes); }
};

// How a run ended: the program's exit status, or stopped by the test.
struct Outcome {
  std::optional<int> exit_status;
  bool stopped = false;
};

class GameRun {
 public:
  GameRun() {
    platform_ = &runtime_setup::install_platform<GamePlatform>();
    runtime_setup::throw_program_exits();
  }
  GamePlatform& platform() { return *platform_; }
  RunFolder& folder() { return folder_; }

  // Taps a key once the given frame of the given pass has been presented.
  void tap_after_frame(int frame, int key, int pass = 1) { taps_.push_back({pass, frame, key}); }

  // Runs the game routine; the hook sees every frame of a pass (counted from 1) and may stop the run.
  Outcome run(std::function<void(int frame)> hook = {}) {
    platform_->on_present([this, hook](int) {
      GamePlatform& p = *platform_;
      if (!p.pointer_hidden()) return;
      ++p.pass_frames;
      for (const Tap& t : taps_) {
        if (t.pass == p.opens && t.frame == p.pass_frames) p.tap(t.key);
      }
      if (hook) hook(p.pass_frames);
    });
    Outcome outcome;
    try {
      game::run_game();
    } catch (const rt::ProgramExit& e) {
      outcome.exit_status = e.status;
    } catch (const rt::platform::ScenarioStop&) {
      outcome.stopped = true;
    }
    return outcome;
  }

 private:
  struct Tap {
    int pass, frame, key;
  };
  std::vector<Tap> taps_;
  RunFolder folder_;
  GamePlatform* platform_ = nullptr;
};

// Ends the first game as soon as it is under way: Esc leaves the play and Enter the name entry.
class FirstGameEnder {
 public:
  explicit FirstGameEnder(GamePlatform& platform) : platform_(platform) {}
  void operator()() {
    if (done_ || platform_.opens != 1 || game::state().sound_enabled != 1) return;
    platform_.tap(27);
    platform_.tap(13);
    done_ = true;
  }

 private:
  GamePlatform& platform_;
  bool done_ = false;
};

// A hook that stops the run at the given frame.
inline std::function<void(int)> stop_at(int frame) {
  return [frame](int f) {
    if (f >= frame) throw rt::platform::ScenarioStop{};
  };
}

// "scores.txt" as the game writes it: CR LF after every line.
inline std::string written_table(const std::vector<std::pair<int, std::string>>& rows) {
  std::string out;
  for (const auto& [score, name] : rows) out += std::to_string(score) + "\r\n" + name + "\r\n";
  return out;
}

}  // namespace scenario

// Scenario tests need the generated pictures and sounds beside the programs.
#define REQUIRE_GAME_ASSETS()                                                              \
  do {                                                                                     \
    if (!scenario::RunFolder::assets_available()) GTEST_SKIP() << "assets not generated"; \
  } while (0)
