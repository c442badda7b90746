// Program start and end: the program's folder as current directory, fatal errors and exit actions.
#include "runtime/program.hpp"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace rt {
namespace {
std::vector<std::function<void()>>& exit_actions() {
  static std::vector<std::function<void()>> actions;
  return actions;
}

ExitHandler& exit_handler() {
  static ExitHandler handler = [](int status) { std::exit(status); };
  return handler;
}

// Each action is taken off the list before it runs, so an exit from inside one cannot run it twice.
void run_exit_actions() {
  while (!exit_actions().empty()) {
    std::function<void()> action = std::move(exit_actions().back());
    exit_actions().pop_back();
    action();
  }
}

[[noreturn]] void end_program(int status) {
  run_exit_actions();
  exit_handler()(status);
  std::exit(status);
}

constexpr int kFatalSignals[] = {SIGILL, SIGSEGV, SIGBUS, SIGFPE, SIGABRT, SIGTERM};

void on_fatal_signal(int) {
  // A second fault while ending must not loop back here.
  for (int sig : kFatalSignals) std::signal(sig, SIG_DFL);
  runtime_error(u"Received Signal");
}

void make_program_folder_current() {
  std::vector<char> path(4096);
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return;
  std::string folder(path.data(), static_cast<std::size_t>(length));
  const std::size_t slash = folder.rfind('/');
  if (slash == std::string::npos) return;
  folder.resize(slash == 0 ? 1 : slash);
  if (chdir(folder.c_str()) != 0) std::perror("chdir to the program's folder");
}
}  // namespace

void program_start() {
  make_program_folder_current();
  for (int sig : kFatalSignals) std::signal(sig, on_fatal_signal);
  // Whatever ends the process through exit still closes the screen and the audio device. The list is
  // made first so that it outlives the atexit call.
  exit_actions();
  std::atexit(run_exit_actions);
}

// Linux clocks, sleeps and timers already work to the millisecond: there is no resolution to set.
void start_system_services() {}

void runtime_error(const String& message) {
  const std::string bytes = to_latin1(message);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
  end_program(-1);
}

void exit_program() { end_program(0); }

void register_exit_action(std::function<void()> action) { exit_actions().push_back(std::move(action)); }

void set_exit_handler(ExitHandler handler) { exit_handler() = std::move(handler); }

}  // namespace rt
