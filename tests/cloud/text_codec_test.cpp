// The text tools of the web API: form encoding, the character set conversion, the password
// digest and the leading-integer rule of version texts.
#include "cloud/text_codec.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace kz::cloud;

TEST(PercentEncode, KeepsOnlyDigitsLettersAndSixMarks) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"a b", "a%20b"},
      {"Az09~!*()'", "Az09~!*()'"},
      {"-_.", "%2d%5f%2e"},
      {"a=b&c", "a%3db%26c"},
      {"%+/?#", "%25%2b%2f%3f%23"},
      {"\n\t\r", "%0a%09%0d"},
      {std::string("\0x", 2), "%00x"},
      {"\xC4\x80\xFF", "%c4%80%ff"},
      {"\xE5\xBC\xA0\xE4\xB8\x89", "%e5%bc%a0%e4%b8%89"},  // a two-character name in UTF-8
  };
  for (const auto& c : cases) EXPECT_EQ(PercentEncode(c.in), c.out) << c.in;
}

TEST(Md5Hex, IsTheLowerCaseDigestOfTheBytes) {
  EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5Hex(" pass word "), Md5Hex(" pass word "));
  EXPECT_NE(Md5Hex(" pass word "), Md5Hex("pass word"));  // white space is part of the password
}

TEST(LeadingInteger, ReadsTheNumberATextStartsWith) {
  const struct {
    std::string in;
    long long out;
  } cases[] = {
      {"7", 7},
      {"42abc", 42},
      {"  -9999", -9999},
      {"+5", 5},
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"1.5", 1},
      {"0012", 12},
      {"9223372036854775807", LLONG_MAX},
      {"9223372036854775808", LLONG_MAX},
      {"-9223372036854775808", LLONG_MIN},
      {"-99999999999999999999", LLONG_MIN},
      {"99999999999999999999999", LLONG_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(LeadingInteger(c.in), c.out) << c.in;
}

TEST(AnsiConversion, ConvertsIntoTheNamedSetAndReplacesWhatItCannotHold) {
  EXPECT_EQ(Utf8ToCharset("caf\xC3\xA9", "ISO-8859-1"), "caf\xE9");
  EXPECT_EQ(Utf8ToCharset("\xE5\xBC\xA0" "a", "ISO-8859-1"), "?a");  // no such letter in Latin-1
  EXPECT_EQ(Utf8ToCharset("\xE5\xBC\xA0", "GB18030"), "\xD5\xC5");
  EXPECT_EQ(Utf8ToCharset("a\xFF" "b\xC3", "UTF-8"), "a?b?");      // bytes that are no UTF-8
  EXPECT_EQ(Utf8ToCharset("x\xC3\xA9", "NO-SUCH-SET"), "x?");
  EXPECT_EQ(Utf8ToCharset("", "ISO-8859-1"), "");
}

TEST(AnsiConversion, TheLocaleSetIsNeverPlainAscii) {
  // The C locale of a program started without one must not turn every non-ASCII name into "?".
  EXPECT_NE(AnsiCharset(), "ANSI_X3.4-1968");
  EXPECT_FALSE(AnsiCharset().empty());
  if (AnsiCharset() == "UTF-8") {
    EXPECT_EQ(Utf8ToAnsi("\xE5\xBC\xA0\xE4\xB8\x89"), "\xE5\xBC\xA0\xE4\xB8\x89");
    EXPECT_EQ(ToAnsi(L"\u5F20\u4E09 a"), "\xE5\xBC\xA0\xE4\xB8\x89 a");
  }
  EXPECT_EQ(ToAnsi(L"plain"), "plain");
}

}  // namespace
