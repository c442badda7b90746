// Reading and writing text lines the way the score file needs them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/files.hpp"

namespace {
class Files : public ::testing::Test {
 protected:
  std::string path(const char* name) { return ::testing::TempDir() + "sky_files_" + name; }
  rt::String upath(const char* name) { return rt::from_latin1(path(name)); }
  void write_bytes(const char* name, const std::string& bytes) {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string read_bytes(const char* name) {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }
};
}  // namespace

TEST_F(Files, LineEndsOfEveryKindAndAnUnterminatedLastLine) {
  write_bytes("ends", std::string("crlf\r\nlf\nnul\0mid\rdle\r\n\nL\xe4st", 28));
  const int s = rt::open_read_file(upath("ends"));
  ASSERT_NE(s, 0);
  EXPECT_EQ(rt::read_line(s), u"crlf");
  EXPECT_EQ(rt::read_line(s), u"lf");
  EXPECT_EQ(rt::read_line(s), u"nul");
  EXPECT_EQ(rt::read_line(s), u"middle") << "a carriage return anywhere is dropped";
  EXPECT_EQ(rt::at_end_of_stream(s), 0);
  EXPECT_EQ(rt::read_line(s), u"");
  EXPECT_EQ(rt::at_end_of_stream(s), 0);
  EXPECT_EQ(rt::read_line(s), u"L\u00e4st");
  EXPECT_EQ(rt::at_end_of_stream(s), 1);
  EXPECT_EQ(rt::read_line(s), u"");
  rt::close_stream(s);
  rt::close_stream(s);
  EXPECT_EQ(rt::read_line(s), u"") << "a closed stream reads nothing";
}

TEST_F(Files, EmptyFileIsAtItsEndAtOnce) {
  write_bytes("empty", "");
  const int s = rt::open_read_file(upath("empty"));
  ASSERT_NE(s, 0);
  EXPECT_EQ(rt::at_end_of_stream(s), 1);
  EXPECT_EQ(rt::read_line(s), u"");
  rt::close_stream(s);
}

TEST_F(Files, WriteLineWritesLowBytesAndCrLf) {
  const int s = rt::open_write_file(upath("out"));
  ASSERT_NE(s, 0);
  EXPECT_EQ(rt::write_line(s, u"\u00e4 1200"), 1);
  EXPECT_EQ(rt::write_line(s, u""), 1);
  EXPECT_EQ(rt::at_end_of_stream(s), 1) << "size follows the position while writing";
  rt::close_stream(s);
  EXPECT_EQ(read_bytes("out"), "\xe4 1200\r\n\r\n");
}

TEST_F(Files, WriteTruncatesAnExistingFile) {
  write_bytes("trunc", "old content that is long\r\n");
  const int s = rt::open_write_file(upath("trunc"));
  rt::write_line(s, u"new");
  rt::close_stream(s);
  EXPECT_EQ(read_bytes("trunc"), "new\r\n");
}

TEST_F(Files, BackslashesAreFolderSeparators) {
  write_bytes("slash", "x\n");
  std::string windows_style = path("slash");
  for (char& c : windows_style) {
    if (c == '/') c = '\\';
  }
  const int s = rt::open_read_file(rt::from_latin1(windows_style));
  ASSERT_NE(s, 0);
  EXPECT_EQ(rt::read_line(s), u"x");
  rt::close_stream(s);
}

TEST_F(Files, MissingFileAndUnknownHandlesAreHarmless) {
  EXPECT_EQ(rt::open_read_file(upath("does_not_exist")), 0);
  EXPECT_EQ(rt::open_write_file(u"/no/such/folder/scores.txt"), 0);
  EXPECT_EQ(rt::read_line(0), u"");
  EXPECT_EQ(rt::write_line(0, u"x"), 0);
  EXPECT_EQ(rt::at_end_of_stream(12345), 1);
  rt::close_stream(0);
}

TEST_F(Files, OnlyRegularFilesOpenForReadingAndAFailedReadIsReported) {
  EXPECT_EQ(rt::open_read_file(rt::from_latin1(::testing::TempDir())), 0) << "a folder";
  EXPECT_EQ(rt::open_read_file(u"/dev/zero"), 0) << "a device";
  // A named pipe with no writer: refused at once by both readers rather than waited on.
  const std::string pipe = path("pipe");
  ::unlink(pipe.c_str());
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const auto refused_at_once = [&](auto read) {
    auto reading = std::async(std::launch::async, read);
    const bool at_once = reading.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    // A writer lets a waiting open return, so that a failure here does not hang the test.
    if (!at_once) ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
    return !reading.get() && at_once;
  };
  EXPECT_TRUE(refused_at_once([&] { return rt::open_read_file(upath("pipe")) != 0; })) << "a named pipe";
  EXPECT_TRUE(refused_at_once([&] { return rt::read_whole_file(pipe).has_value(); })) << "a named pipe";
  // A process's own memory reads as a file, and fails at address 0.
  const int s = rt::open_read_file(u"/proc/self/mem");
  ASSERT_NE(s, 0);
  EXPECT_EQ(rt::stream_failed(s), 0);
  EXPECT_EQ(rt::read_line(s), u"");
  EXPECT_EQ(rt::stream_failed(s), 1);
  EXPECT_EQ(rt::at_end_of_stream(s), 1);
  rt::close_stream(s);
}

TEST_F(Files, FileCutShortWhileReadEndsWhereItsBytesEnd) {
  write_bytes("shrinks", "ab\ncd\nef\n");
  const int s = rt::open_read_file(upath("shrinks"));
  ASSERT_NE(s, 0);
  write_bytes("shrinks", "ab\nc");
  EXPECT_EQ(rt::read_line(s), u"ab");
  EXPECT_EQ(rt::read_line(s), u"c");
  EXPECT_EQ(rt::at_end_of_stream(s), 1);
  EXPECT_EQ(rt::stream_failed(s), 0);
  rt::close_stream(s);
}
