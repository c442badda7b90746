// Real programs under test: a private X server, a program started in a folder of its own, its screen,
// keys, signals and exit status.
#pragma once
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern "C" char** environ;

namespace real_program {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void write_file(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline bool on_path(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}


// The X server and xdotool run without libraries preloaded for the programs under test (a sanitizer
// runtime, for one, stops Xvfb from starting).
constexpr const char* kNoPreload = "LD_PRELOAD";

inline std::string variable_name(const std::string& setting) { return setting.substr(0, setting.find('=')); }

// Starts a child with the given arguments and our environment changed by `env_changes` ("NAME=value" sets,
// a bare "NAME" removes); stdout and stderr go to `log`. Everything the child needs is built before the fork.
inline pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env_changes, const fs::path& log,
            int keep_fd = -1) {
  std::vector<std::string> env;
  for (const std::string& change : env_changes)
    if (change.find('=') != std::string::npos) env.push_back(change);
  for (char** entry = environ; *entry; ++entry) {
    const std::string setting = *entry;
    bool changed = false;
    for (const std::string& change : env_changes) changed = changed || variable_name(change) == variable_name(setting);
    if (!changed) env.push_back(setting);
  }
  std::vector<char*> envp, argv;
  for (std::string& setting : env) envp.push_back(setting.data());
  envp.push_back(nullptr);
  std::vector<std::string> arg_copies = args;
  for (std::string& arg : arg_copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string log_path = log.string();

  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int out = open(log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (out >= 0) {
    dup2(out, 1);
    dup2(out, 2);
  }
  for (int fd = 3; fd < 256; ++fd)
    if (fd != keep_fd) close(fd);
  execvpe(argv[0], argv.data(), envp.data());
  _exit(127);
}

// A private X server, so that windows opened by tests running alongside never take the keyboard focus.
class XServer {
 public:
  explicit XServer(const fs::path& log) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                 {kNoPreload}, log, fds[1]);
    close(fds[1]);
    // Xvfb writes the display number it chose once it accepts connections.
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&ready, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
  }
  ~XServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  const std::string& display() const { return display_; }

  // Takes the server away at once, as a crash or a logout would.
  void kill_now() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Reads the whole screen back, to tell which of the game's screens is up.
class ScreenWatch {
 public:
  explicit ScreenWatch(const std::string& display) : x_(XOpenDisplay(display.c_str())) {}
  ~ScreenWatch() {
    if (x_) XCloseDisplay(x_);
  }
  ScreenWatch(const ScreenWatch&) = delete;
  ScreenWatch& operator=(const ScreenWatch&) = delete;

  // A digest of the screen's pixels; 0 while it is all black (a screen still opening).
  std::uint64_t digest() const {
    if (!x_) return 0;
    const Window root = DefaultRootWindow(x_);
    XWindowAttributes size;
    XGetWindowAttributes(x_, root, &size);
    XImage* image = XGetImage(x_, root, 0, 0, size.width, size.height, AllPlanes, ZPixmap);
    if (!image) return 0;
    std::uint64_t hash = 1469598103934665603ull;
    bool lit = false;
    // Only the colour bits count: the spare byte of a 32-bit pixel holds whatever the driver left there.
    const unsigned long colour = image->red_mask | image->green_mask | image->blue_mask;
    for (int y = 0; y < image->height; ++y) {
      for (int x = 0; x < image->width; ++x) {
        const unsigned long pixel = XGetPixel(image, x, y) & colour;
        lit = lit || pixel != 0;
        hash = (hash ^ pixel) * 1099511628211ull;
      }
    }
    XDestroyImage(image);
    return lit ? hash : 0;
  }

 private:
  Display* x_;
};

constexpr int kRunning = -1000;

// Why a real-program test cannot run here, or an empty string when it can; SKIP_WITHOUT skips the test.
#define SKIP_WITHOUT(program) \
  if (const std::string missing = real_program::missing_for(program); !missing.empty()) GTEST_SKIP() << missing
inline std::string missing_for(const std::string& program) {
  if (!on_path("Xvfb") || !on_path("xdotool")) return "Needs Xvfb and xdotool (scripts/setup installs both).";
  if (!fs::exists(fs::path(SKY_RUN_DIR) / program) || !fs::exists(fs::path(SKY_RUN_DIR) / "gfx/misc/startup.png"))
    return program + " or the generated assets are not built in " SKY_RUN_DIR;
  return "";
}

// How a program is started: extra environment changes ("NAME=value" sets, a bare "NAME" removes), a
// command put in front of it (to run it as another user, say), whether it gets an X server, and a step
// that prepares its folder before it starts.
struct Launch {
  std::vector<std::string> env;
  std::vector<std::string> prefix;
  bool x_server = true;
  std::function<void(const fs::path& folder)> prepare;
};

// Permissions do not bind root, so a test of what an ordinary player may do runs the program as the user
// nobody when the tests run as root, and as they are otherwise.
inline bool tests_run_as_root() { return geteuid() == 0; }

// Gives a file or folder (a symbolic link itself, not what it names) to the player the program runs as.
inline void give_to_player(const fs::path& path) {
  if (!tests_run_as_root()) return;
  const passwd* user = getpwnam("nobody");
  const group* users = getgrnam("nogroup");
  if (user != nullptr && users != nullptr) lchown(path.c_str(), user->pw_uid, users->gr_gid);
}

// The launch of a program run by an ordinary player who owns its folder and "scores.txt"; the prepare
// step given runs after that, to take rights away again.
inline Launch as_unprivileged_player(Launch launch = {}) {
  if (tests_run_as_root()) launch.prefix = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
  launch.prepare = [prepare = launch.prepare](const fs::path& folder) {
    give_to_player(folder);
    give_to_player(folder / "scores.txt");
    if (prepare) prepare(folder);
  };
  return launch;
}

// One program run from a folder of its own holding the program, its assets and a prepared "scores.txt".
class ProgramRun {
 public:
  ProgramRun(const std::string& program, const std::string& scores, const Launch& launch = {}) {
    char pattern[] = "/tmp/sky_real_XXXXXX";
    folder_ = mkdtemp(pattern);
    const fs::path build = SKY_RUN_DIR;
    fs::copy(build / program, folder_ / program);
    fs::copy(build / "gfx", folder_ / "gfx", fs::copy_options::recursive);
    fs::copy(build / "sound", folder_ / "sound", fs::copy_options::recursive);
    write_file(folder_ / "scores.txt", scores);
    if (launch.prepare) launch.prepare(folder_);
    std::vector<std::string> env = {"SDL_AUDIODRIVER=dummy"};
    if (launch.x_server) {
      server_ = std::make_unique<XServer>(folder_ / "xvfb.log");
      if (server_->display().empty()) return;
      screen_ = std::make_unique<ScreenWatch>(server_->display());
      env.push_back("DISPLAY=" + server_->display());
    }
    env.insert(env.end(), launch.env.begin(), launch.env.end());
    std::vector<std::string> args = launch.prefix;
    // Started from elsewhere: the program makes its own folder the current one.
    args.push_back((folder_ / program).string());
    pid_ = spawn(args, env, folder_ / "program.log");
  }
  ~ProgramRun() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    screen_.reset();
    server_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  void send_signal(int sig) const { kill(pid_, sig); }
  // Our own connection goes first, so that only the program sees its display die.
  void kill_x_server() {
    screen_.reset();
    if (server_) server_->kill_now();
  }
  const fs::path& folder() const { return folder_; }
  std::string scores() const { return read_file(folder_ / "scores.txt"); }
  std::string log() const { return read_file(folder_ / "program.log"); }

  // A digest of the whole screen; 0 while it is all black.
  std::uint64_t screen_digest() const { return screen_ ? screen_->digest() : 0; }

  // The program's visible window, or an empty string when it has none.
  std::string window() const {
    const std::string ids = xdotool("search --onlyvisible --pid " + std::to_string(pid_));
    return ids.substr(0, ids.find('\n'));
  }

  std::string wait_for_window_other_than(const std::string& previous, std::chrono::seconds limit) const {
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(100ms)) {
      const std::string id = window();
      if (!id.empty() && id != previous) return id;
    }
    return "";
  }

  // SDL reports a focus gain a moment late and the game then clears every key count, so a window gets
  // the focus well before its first key press.
  void focus(const std::string& window) const {
    xdotool("windowfocus --sync " + window);
    std::this_thread::sleep_for(500ms);
  }

  // Real key events (XTest) into the focused window; letters are named by their lower-case key symbols.
  void press(const std::string& keys) const { xdotool("key --delay 80 " + keys); }

  // Waits for `text` in scores.txt, pressing `nudge` again every so often; false at the limit or once the
  // program has ended.
  bool wait_for_scores_containing(const std::string& text, const std::string& nudge, std::chrono::seconds limit) {
    auto next_nudge = Clock::now() + 15s;
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(100ms)) {
      if (scores().find(text) != std::string::npos) return true;
      if (wait_for_exit(0s) != kRunning) return false;
      if (Clock::now() >= next_nudge) {
        press(nudge);
        next_nudge = Clock::now() + 15s;
      }
    }
    return false;
  }

  // The title waits for a key and draws the same picture every frame, so the first picture that stays
  // put once a window is open is the title; by then the program counts key presses. 0 at the limit.
  std::uint64_t wait_for_title(std::chrono::seconds limit) const {
    std::uint64_t previous = 0;
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(300ms)) {
      const std::uint64_t now = screen_->digest();
      if (now != 0 && now == previous) return now;
      previous = now;
    }
    return 0;
  }

  // Waits for a screen that changes at every look, as play does, where one screen merely giving way to
  // the next changes once; false at the limit.
  bool wait_for_moving_screen(std::chrono::seconds limit) const {
    std::uint64_t previous = screen_->digest();
    int changes = 0;
    for (const auto end = Clock::now() + limit; Clock::now() < end && changes < 3;) {
      std::this_thread::sleep_for(150ms);
      const std::uint64_t now = screen_->digest();
      changes = now != 0 && now != previous ? changes + 1 : 0;
      previous = now;
    }
    return changes == 3;
  }

  // Starts a game from the title: Enter is pressed again until play runs, as a focus gain reported late
  // may clear the first press (and an Esc meant for play must never reach the title). The title and the
  // loading picture stand still and play never does. False when play never starts.
  bool start_play() const {
    for (int attempt = 0; attempt < 3; ++attempt) {
      press("Return");
      if (wait_for_moving_screen(15s)) return true;
    }
    return false;
  }

  // Presses the keys until the program ends; its exit status, or kRunning when it never does.
  int press_until_exit(const std::string& keys) {
    for (int attempt = 0; attempt < 4; ++attempt) {
      press(keys);
      if (const int status = wait_for_exit(5s); status != kRunning) return status;
    }
    return kRunning;
  }

  // The exit status (a signal as its negative number), or kRunning while the program runs at the limit.
  int wait_for_exit(std::chrono::seconds limit) {
    const auto end = Clock::now() + limit;
    while (!exited_) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
      } else if (Clock::now() >= end) {
        return kRunning;
      } else {
        std::this_thread::sleep_for(100ms);
      }
    }
    return status_;
  }

 private:
  std::string xdotool(const std::string& args) const {
    const std::string command = "DISPLAY=" + server_->display() + " env -u " + std::string(kNoPreload) + " timeout 10 xdotool " + args + " 2>/dev/null";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[256];
      while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
      pclose(pipe);
    }
    return out;
  }

  fs::path folder_;
  std::unique_ptr<XServer> server_;
  std::unique_ptr<ScreenWatch> screen_;
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
};

// Fifteen rows of score 0 named ROW1 to ROW15, with LF line ends as an editor might leave them.
inline std::string named_table() {
  std::string table;
  for (int row = 1; row <= 15; ++row) table += "0\nROW" + std::to_string(row) + "\n";
  return table;
}

// The file as the program writes it, from the fifteen rows' scores and names.
inline std::string written_table(const std::vector<std::pair<int, std::string>>& rows) {
  std::string file;
  for (const auto& [score, name] : rows) file += std::to_string(score) + "\r\n" + name + "\r\n";
  return file;
}

// What a game of score 0 saves over named_table(): the new name first (a score equal to the best goes
// above it), the old rows one down and the last gone.
inline std::string named_table_after(const std::string& name) {
  std::vector<std::pair<int, std::string>> rows = {{0, name}};
  for (int row = 1; row <= 14; ++row) rows.push_back({0, "ROW" + std::to_string(row)});
  return written_table(rows);
}

}  // namespace real_program
