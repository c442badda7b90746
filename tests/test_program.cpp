// Program start and end: fatal messages, exit status, exit actions and the program folder.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "runtime/program.hpp"

namespace {
struct ChildResult {
  std::string err;
  int exit_status = -1000;
};

// Runs body in a child process with stderr captured; the child must end through the runtime.
ChildResult run_child(const std::function<void()>& body) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    dup2(fds[1], 2);
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

TEST(Program, FatalSignalBecomesReceivedSignal) {
  const ChildResult r = run_child([] {
    rt::program_start();
    rt::register_exit_action([] { std::fputs("!", stderr); });
    std::raise(SIGTERM);
  });
  EXPECT_EQ(r.err, "Received Signal!");
  EXPECT_EQ(r.exit_status, 255);
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
