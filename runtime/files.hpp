// Files: byte streams with line reading and CR LF line writing.
#pragma once
#include <optional>
#include <string>
#include "runtime/text.hpp"

namespace rt {

// Opens a regular file only: a folder or a device never gives a stream to read.
int open_read_file(const String& path);
int open_write_file(const String& path);
// A read that fails ends the stream, as the end of the file does.
String read_line(int stream);
int write_line(int stream, const String& s);
int at_end_of_stream(int stream);
// 1 once a read or a write on the stream has failed, else 0.
int stream_failed(int stream);
void close_stream(int stream);

// The whole file at once (for the decoders); none when it cannot be opened or read. Safe on any thread.
std::optional<std::string> read_whole_file(const std::string& name);

}  // namespace rt
