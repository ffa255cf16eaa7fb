#pragma once
// Checks and transformations of the texts that reach the service from outside.
#include <cstddef>
#include <string>

namespace kzsvc {

inline constexpr std::size_t kMaxUserNameLength = 30;

bool IsValidUtf8(const std::string& text);
// Length in UTF-16 units, the way the client counts the characters of its wide texts; valid
// UTF-8 expected.
std::size_t Utf16Length(const std::string& utf8);
// Blanks, tabs and line breaks removed at both ends, as the client trims a typed user name.
std::string TrimWhite(const std::string& text);
// Empty when `name` may name a new account, else the message that says why not.
std::string UserNameProblem(const std::string& name);
// Text and attribute values for HTML: & < > " ' escaped.
std::string HtmlEscape(const std::string& text);

}  // namespace kzsvc
