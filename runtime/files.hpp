// Files: byte streams with line reading and CR LF line writing.
#pragma once
#include "runtime/text.hpp"

namespace rt {

int open_read_file(const String& path);
int open_write_file(const String& path);
String read_line(int stream);
int write_line(int stream, const String& s);
int at_end_of_stream(int stream);
void close_stream(int stream);

}  // namespace rt
