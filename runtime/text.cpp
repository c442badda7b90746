// Text: building, converting and cutting the runtime's 16-bit strings.
#include "runtime/text.hpp"

#include <cstdint>

namespace rt {

String string_from_char(int code) { return String(1, static_cast<char16_t>(code & 0xFFFF)); }

String string_from_int(int value) {
  // Work on the magnitude as unsigned so that the most negative value has a magnitude too.
  std::uint32_t magnitude = value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  String digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits.insert(digits.begin(), u'-');
  return digits;
}

String string_concat(const String& a, const String& b) { return a + b; }

namespace {
int digit_value(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return 99;
}
}  // namespace

int string_to_int(const String& s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || (s[i] >= 9 && s[i] <= 13))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  std::uint32_t base = 10;
  if (i < s.size() && s[i] == u'%') {
    base = 2;
    ++i;
  } else if (i < s.size() && s[i] == u'$') {
    base = 16;
    ++i;
  }
  // Unsigned arithmetic gives the 32-bit wrap-around the value is defined by.
  std::uint32_t value = 0;
  for (; i < s.size(); ++i) {
    const int d = digit_value(s[i]);
    if (d >= static_cast<int>(base)) break;
    value = value * base + static_cast<std::uint32_t>(d);
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

String substring(const String& s, int pos, int count) {
  const int length = static_cast<int>(s.size());
  if (pos > length) return String();
  int start = pos - 1;
  if (count < 0) return start < 0 ? s : s.substr(static_cast<std::size_t>(start));
  if (start < 0) {
    count += start;
    start = 0;
  }
  if (start + count > length) count = length - start;
  if (count <= 0) return String();
  return s.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
}

String from_latin1(std::string_view bytes) {
  String s;
  s.reserve(bytes.size());
  for (char c : bytes) s.push_back(static_cast<unsigned char>(c));
  return s;
}

std::string to_latin1(const String& s) {
  std::string bytes;
  bytes.reserve(s.size());
  for (char16_t c : s) bytes.push_back(static_cast<char>(c & 0xFF));
  return bytes;
}

}  // namespace rt
