// Text: the runtime's 16-bit string type and the string operations the game calls.
#pragma once
#include <string>
#include <string_view>

namespace rt {

using String = std::u16string;

String string_from_char(int code);
String string_from_int(int value);
String string_concat(const String& a, const String& b);
int string_to_int(const String& s);
String substring(const String& s, int pos, int count);

// Conversions for file names, messages and tests: one byte per character (Latin-1).
String from_latin1(std::string_view bytes);
std::string to_latin1(const String& s);

}  // namespace rt
