// Program start and end: the program folder as current directory, fatal errors, exit actions.
#pragma once
#include <functional>
#include "runtime/text.hpp"

namespace rt {

// Makes the folder of the running program the current directory and installs the fatal-signal handlers.
void program_start();
// Starts the system services: the 1 ms clock resolution and the exit action that ends it.
void start_system_services();

[[noreturn]] void runtime_error(const String& message);
[[noreturn]] void exit_program();

// Exit actions run in reverse order of registration at every end of the program.
void register_exit_action(std::function<void()> action);

// How the process finally ends: the real program calls std::exit; scripted runs throw ProgramExit.
struct ProgramExit {
  int status;
};
using ExitHandler = std::function<void(int status)>;
void set_exit_handler(ExitHandler handler);

}  // namespace rt
