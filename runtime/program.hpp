// Program start and end: the program folder as current directory, fatal errors, exit actions.
#pragma once
#include <functional>
#include "runtime/text.hpp"

namespace rt {

// Makes the folder of the running program the current directory and installs the fatal-signal handlers.
void program_start();
// SIGTERM, SIGINT and SIGHUP ask the program to end: the main thread ends with the fatal error "Received
// Signal" at its next safe point (an event pump, a present, the end of a wait or sleep), the one that calls
// this. Should it not get there within a second, the process ends without its exit actions.
void end_if_asked();
// The platform's way to wake a main thread waiting for events or sleeping; called once, from another thread,
// when the program is asked to end.
void set_main_thread_waker(void (*wake)());
// Starts the system services: the 1 ms clock resolution and the exit action that ends it.
void start_system_services();

[[noreturn]] void runtime_error(const String& message);
[[noreturn]] void exit_program();
// Writes the message and ends the process with status -1 at once, running no exit action: for ends where
// those could hang or would touch what is gone.
[[noreturn]] void end_at_once(const char* message);

// Exit actions run in reverse order of registration at every end of the program.
void register_exit_action(std::function<void()> action);

// How the process finally ends: the real program calls std::exit; scripted runs throw ProgramExit.
struct ProgramExit {
  int status;
};
using ExitHandler = std::function<void(int status)>;
void set_exit_handler(ExitHandler handler);

}  // namespace rt
