#pragma once

// Windows-1252 is the code page of every outside byte: table files, SQL text, hashed passwords,
// mails. Inside the program every string is UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tellvaro::text {

// The character a Windows-1252 byte stands for. The five bytes the code page leaves undefined
// (81, 8D, 8F, 90, 9D) map to the C1 control of the same value, as MariaDB's latin1 does.
char32_t cp1252_to_char(std::uint8_t byte);

// The byte for a character, or nothing when Windows-1252 cannot hold it.
std::optional<std::uint8_t> char_to_cp1252(char32_t c);

std::string cp1252_to_utf8(std::string_view bytes);

// Characters Windows-1252 cannot hold become `replacement`.
std::string utf8_to_cp1252(std::string_view utf8, char replacement = '?');

// The distinct characters of a UTF-8 text that Windows-1252 cannot hold, in order of first
// appearance, each as its own UTF-8 text.
std::vector<std::string> chars_outside_cp1252(std::string_view utf8);

// Decodes one character of UTF-8 at `pos` and advances it. Malformed bytes decode as U+FFFD,
// one byte at a time, so no input stops a caller.
char32_t next_char(std::string_view utf8, std::size_t& pos);

void append_utf8(std::string& out, char32_t c);

// Number of characters (not bytes) of a UTF-8 text.
std::size_t char_count(std::string_view utf8);

// The first `n` characters of a UTF-8 text.
std::string_view first_chars(std::string_view utf8, std::size_t n);

}  // namespace tellvaro::text
