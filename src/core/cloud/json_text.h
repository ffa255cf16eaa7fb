#pragma once
// Reading JSON from outside (replies of the web service, sync documents) without trusting it:
// one whole document per text, and members read as text or integer only where their kind allows.
#include <string>
#include <string_view>

#include <json/value.h>

namespace kz::cloud {

// Parses `text` as exactly one JSON document (trailing bytes other than white space are refused;
// nesting is limited so that a hostile text cannot exhaust the stack). False with the reader's
// reason in `problem` (when given).
bool ParseJson(const std::string& text, Json::Value& root, std::string* problem = nullptr);

// A value as text: strings as they are, integers in decimal, real numbers as "%.17g" prints
// them, true and false as words, null as an empty text. False (and `text` empty) for arrays and
// objects.
bool ReadText(const Json::Value& value, std::string& text);
// A value as an integer: numbers (a real one cut to its whole part), true as 1, false and null as
// 0. False (and 0) for texts, arrays, objects and numbers past the range of long long.
bool ReadInteger(const Json::Value& value, long long& number);

// The member `name` of an object, or nullptr when `object` is no object or lacks it.
const Json::Value* Member(const Json::Value& object, std::string_view name);

}  // namespace kz::cloud
