#pragma once
// The small text tools of the web API: form encoding, the character set the service is spoken to
// in, the password digest and the leading-number reading of version texts.
#include <string>
#include <string_view>

namespace kz::cloud {

// Every byte except the ASCII digits and letters and ~ ! * ( ) ' becomes "%" and two lower-case
// hexadecimal digits ("a b" gives "a%20b", "-" gives "%2d", 0xC4 gives "%c4").
std::string PercentEncode(std::string_view bytes);

// The character set texts are handed to the service in: the one of the environment's locale
// (LC_ALL / LC_CTYPE / LANG), read without touching the process's own locale. The plain C locale
// names no character set a user chose (it only means none was set up), so it counts as UTF-8,
// as ASCII is a part of it.
const std::string& AnsiCharset();

// `wide` in the locale's character set; a character it cannot hold becomes "?".
std::string ToAnsi(std::wstring_view wide);
// UTF-8 bytes in the locale's character set; a character it cannot hold, and every byte that is
// not valid UTF-8, becomes "?". The program's own texts are UTF-8, so this is also the way
// they go to the service.
std::string Utf8ToAnsi(std::string_view utf8);
// The same into a named character set (iconv's names); an unknown set gives the text with every
// byte past ASCII as "?".
std::string Utf8ToCharset(std::string_view utf8, const std::string& charset);

// The MD5 digest (RFC 1321) of the bytes as 32 lower-case hexadecimal digits.
std::string Md5Hex(std::string_view bytes);

// The decimal integer a text starts with, after blanks, with an optional sign ("42abc" gives 42,
// " -7" gives -7); 0 when it starts with none. Past the range of long long it stops at the
// nearest end of the range.
long long LeadingInteger(std::string_view text);

}  // namespace kz::cloud
