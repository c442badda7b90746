// Program start and end: fatal messages, signals and faults, exit status, exit actions and the program folder.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/platform/platform.hpp"
#include "runtime/program.hpp"
#include "runtime/screen.hpp"
#include "runtime/timer.hpp"

namespace {
struct ChildResult {
  std::string err;
  int exit_status = -1000;
};

// Runs body in a child process with stderr captured; the child must end through the runtime, and is
// stopped after ten seconds when it does not.
ChildResult run_child(const std::function<void()>& body) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    dup2(fds[1], 2);
    alarm(10);
    rt::set_exit_handler([](int status) { std::exit(status); });
    body();
    _exit(77);
  }
  close(fds[1]);
  ChildResult result;
  char buffer[256];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) result.err.append(buffer, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  return result;
}
}  // namespace

TEST(Program, FatalErrorWritesLatinOneWithoutLineEndAndExitsWithMinusOne) {
  const ChildResult r = run_child([] { rt::runtime_error(u"L\u00e4skiks meni! :^("); });
  EXPECT_EQ(r.err, "L\xe4skiks meni! :^(");
  EXPECT_EQ(r.exit_status, 255);
}

TEST(Program, ExitActionsRunInReverseOrderAfterTheMessage) {
  const ChildResult r = run_child([] {
    rt::register_exit_action([] { std::fputs("1", stderr); });
    rt::register_exit_action([] { std::fputs("2", stderr); });
    rt::runtime_error(u"x");
  });
  EXPECT_EQ(r.err, "x21");
  EXPECT_EQ(r.exit_status, 255);
}

TEST(Program, ExitProgramEndsWithStatusZero) {
  const ChildResult r = run_child([] {
    rt::register_exit_action([] { std::fputs("closed", stderr); });
    rt::exit_program();
  });
  EXPECT_EQ(r.err, "closed");
  EXPECT_EQ(r.exit_status, 0);
}

// A main thread waiting for events or sleeping is woken to end: the exit action ("!") only runs when it
// is, before the one-second watchdog would end the process without it. The signal comes a moment later,
// from elsewhere, so that it finds the main thread already waiting.
TEST(Program, EndRequestWakesTheMainThreadIntoTheFatalError) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  auto ask_to_end = [](int sig) {
    rt::program_start();
    rt::platform::install(rt::platform::make_sdl_platform());
    rt::register_exit_action([] { std::fputs("!", stderr); });
    std::thread([sig] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      kill(getpid(), sig);
    }).detach();
  };
  const ChildResult waiting = run_child([&] {
    ask_to_end(SIGTERM);
    rt::wait_timer(rt::create_timer(0.05f, 0));  // ticks every 20 s
  });
  EXPECT_EQ(waiting.err, "Received Signal!");
  EXPECT_EQ(waiting.exit_status, 255);
  const ChildResult sleeping = run_child([&] {
    ask_to_end(SIGINT);
    rt::platform::current().sleep_ms(20000);
    rt::process_events();
  });
  EXPECT_EQ(sleeping.err, "Received Signal!");
  EXPECT_EQ(sleeping.exit_status, 255);
}

// A fault says so and ends with status -1: the exit actions run only for a fault of the main thread, and
// a hung one is cut short by the watchdog.
TEST(Program, FaultsEndWithTheMessageAndStatusMinusOne) {
  const ChildResult main_thread = run_child([] {
    rt::program_start();
    rt::register_exit_action([] { std::fputs("!", stderr); });
    std::raise(SIGSEGV);
  });
  EXPECT_EQ(main_thread.err, "Received Signal!");
  EXPECT_EQ(main_thread.exit_status, 255);
  const ChildResult other_thread = run_child([] {
    rt::program_start();
    rt::register_exit_action([] { std::fputs("!", stderr); });
    std::thread([] { std::raise(SIGFPE); }).join();
  });
  EXPECT_EQ(other_thread.err, "Received Signal");
  EXPECT_EQ(other_thread.exit_status, 255);
  const ChildResult hung_action = run_child([] {
    rt::program_start();
    rt::register_exit_action([] {
      for (;;) pause();
    });
    std::abort();
  });
  EXPECT_EQ(hung_action.err, "Received Signal");
  EXPECT_EQ(hung_action.exit_status, 255);
}

// Whatever calls exit, the screen's exit action still finds the platform its window was opened on.
TEST(Program, ExitFromElsewhereStillClosesTheScreenQuietly) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  const ChildResult r = run_child([] {
    rt::program_start();
    rt::platform::install(rt::platform::make_sdl_platform());
    rt::select_graphics_driver(rt::d3d7_renderer_2d(), 2);
    if (rt::open_screen(640, 480, 0, 0, 0) == 1) std::exit(0);
  });
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exit_status, 0);
}

TEST(Program, StartMakesTheProgramFolderCurrent) {
  const ChildResult r = run_child([] {
    if (chdir("/") != 0) _exit(2);
    rt::program_start();
    char cwd[4096];
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    std::string folder(exe);
    folder.resize(folder.rfind('/'));
    std::fputs(getcwd(cwd, sizeof cwd) != nullptr && folder == cwd ? "same" : cwd, stderr);
    rt::exit_program();
  });
  EXPECT_EQ(r.err, "same");
}

TEST(Program, ExitHandlerLetsScriptedRunsUnwindAndActionsRunOnce) {
  std::vector<int> order;
  rt::register_exit_action([&] { order.push_back(1); });
  rt::register_exit_action([&] { order.push_back(2); });
  rt::set_exit_handler([](int status) { throw rt::ProgramExit{status}; });
  try {
    rt::exit_program();
  } catch (const rt::ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  try {
    rt::runtime_error(u"again");
  } catch (const rt::ProgramExit& e) {
    EXPECT_EQ(e.status, -1);
  }
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
}
