// Program start and end: the program's folder as current directory, fatal errors and exit actions.
#include "runtime/program.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
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

// Signals that ask the program to end, and faults of the running code. A handler may only use
// async-signal-safe calls: anything that takes a lock (SDL, Mesa, stdio, malloc) could wait for ever on a
// lock the interrupted thread holds.
constexpr int kEndRequests[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kFaults[] = {SIGILL, SIGSEGV, SIGBUS, SIGFPE, SIGABRT};
constexpr char kSignalMessage[] = "Received Signal";
constexpr char kEndRequested = 'E', kFaulted = 'F';
// Longer than the main thread takes to reach a safe point and run the exit actions, short enough that a
// hung end never outlives the signal by more than a second.
constexpr auto kGrace = std::chrono::seconds(1);
constexpr std::size_t kFaultStackBytes = 512 * 1024;

int g_ending_pipe[2] = {-1, -1};
pid_t g_main_thread = 0;
std::atomic<bool> g_end_asked{false};
std::atomic<bool> g_signal_message_written{false};
std::atomic<bool> g_fault_taken{false};
std::atomic<void (*)()> g_waker{nullptr};

void write_signal_message_once() {
  if (!g_signal_message_written.exchange(true)) (void)!write(2, kSignalMessage, sizeof kSignalMessage - 1);
}

void tell_ending_thread(char what) {
  const int saved = errno;
  (void)!write(g_ending_pipe[1], &what, 1);
  errno = saved;
}

void on_end_request(int) { tell_ending_thread(kEndRequested); }

// The exit actions are main-thread code, so only a fault of the main thread tries them, with the ending
// thread as the watchdog; a fault while handling one ends the process at once.
void on_fault(int) {
  if (g_fault_taken.exchange(true)) _exit(255);
  write_signal_message_once();
  tell_ending_thread(kFaulted);
  if (static_cast<pid_t>(syscall(SYS_gettid)) == g_main_thread) run_exit_actions();
  _exit(255);
}

// Waits for the first signal; an end request is handed to the main thread and woken into, then the
// process gets its grace time and no more.
void run_ending_thread() {
  char what = 0;
  while (read(g_ending_pipe[0], &what, 1) != 1) {
  }
  if (what == kEndRequested) {
    g_end_asked.store(true);
    if (void (*wake)() = g_waker.load()) wake();
  }
  std::this_thread::sleep_for(kGrace);
  write_signal_message_once();
  _exit(255);
}

// A fault from running out of stack still needs a stack to be reported on; the guard page below it turns
// an overflow of this one into a second fault rather than corrupted memory.
void give_main_thread_a_fault_stack() {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  void* memory = mmap(nullptr, kFaultStackBytes + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return;
  mprotect(memory, page, PROT_NONE);
  stack_t stack{};
  stack.ss_sp = static_cast<char*>(memory) + page;
  stack.ss_size = kFaultStackBytes;
  sigaltstack(&stack, nullptr);
}

void install_signal_handlers() {
  if (pipe2(g_ending_pipe, O_CLOEXEC) != 0) return;
  // A flood of signals must never block a handler on a full pipe.
  fcntl(g_ending_pipe[1], F_SETFL, O_NONBLOCK);
  g_main_thread = static_cast<pid_t>(syscall(SYS_gettid));
  std::thread(run_ending_thread).detach();
  give_main_thread_a_fault_stack();

  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  action.sa_handler = on_end_request;
  for (int sig : kEndRequests) sigaction(sig, &action, nullptr);
  // SA_NODEFER lets a fault inside the handler come back to it instead of killing the process unreported.
  action.sa_flags = SA_ONSTACK | SA_NODEFER;
  action.sa_handler = on_fault;
  for (int sig : kFaults) sigaction(sig, &action, nullptr);
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
  static bool started = false;
  if (started) return;
  started = true;
  make_program_folder_current();
  install_signal_handlers();
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

void end_if_asked() {
  if (!g_end_asked.exchange(false)) return;
  // The ending thread may have written the message already, giving up on this thread.
  runtime_error(from_latin1(g_signal_message_written.exchange(true) ? "" : kSignalMessage));
}

void set_main_thread_waker(void (*wake)()) { g_waker.store(wake); }

void end_at_once(const char* message) {
  (void)!write(2, message, std::strlen(message));
  _exit(255);
}

void register_exit_action(std::function<void()> action) { exit_actions().push_back(std::move(action)); }

void set_exit_handler(ExitHandler handler) { exit_handler() = std::move(handler); }

}  // namespace rt
