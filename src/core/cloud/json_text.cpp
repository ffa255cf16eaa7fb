#include "cloud/json_text.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include <json/reader.h>

namespace kz::cloud {

bool ParseJson(const std::string& text, Json::Value& root, std::string* problem) {
  Json::CharReaderBuilder builder;
  builder["failIfExtra"] = true;
  builder["stackLimit"] = 200;  // far deeper than any document of ours
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  Json::Value parsed;
  bool ok = false;
  try {
    ok = reader->parse(text.data(), text.data() + text.size(), &parsed, &errors);
  } catch (const std::exception& e) {  // the reader throws when the nesting limit is passed
    errors = e.what();
  }
  if (!ok) {
    // The reader's report spans lines; one line reads better in a message.
    std::string line;
    for (char c : errors) {
      if (c == '\n') c = ' ';
      if (!(c == ' ' && (line.empty() || line.back() == ' '))) line += c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (problem) *problem = line.empty() ? "not valid JSON" : line;
    return false;
  }
  root = std::move(parsed);
  return true;
}

bool ReadText(const Json::Value& value, std::string& text) {
  text.clear();
  switch (value.type()) {
    case Json::nullValue:
      return true;
    case Json::stringValue: {
      const char* begin = nullptr;
      const char* end = nullptr;
      if (value.getString(&begin, &end)) text.assign(begin, end);
      return true;
    }
    case Json::intValue:
      text = std::to_string(value.asLargestInt());
      return true;
    case Json::uintValue:
      text = std::to_string(value.asLargestUInt());
      return true;
    case Json::realValue: {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.17g", value.asDouble());
      text = buffer;
      return true;
    }
    case Json::booleanValue:
      text = value.asBool() ? "true" : "false";
      return true;
    default:
      return false;
  }
}

bool ReadInteger(const Json::Value& value, long long& number) {
  number = 0;
  switch (value.type()) {
    case Json::nullValue:
      return true;
    case Json::intValue:
      number = value.asLargestInt();
      return true;
    case Json::uintValue:
      if (value.asLargestUInt() > static_cast<Json::LargestUInt>(Json::Value::maxLargestInt)) return false;
      number = static_cast<long long>(value.asLargestUInt());
      return true;
    case Json::realValue: {
      const double d = std::trunc(value.asDouble());
      // 2^63 is exactly representable; everything from it on (and NaN) is out of range.
      if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return false;
      number = static_cast<long long>(d);
      return true;
    }
    case Json::booleanValue:
      number = value.asBool() ? 1 : 0;
      return true;
    default:
      return false;
  }
}

const Json::Value* Member(const Json::Value& object, std::string_view name) {
  if (!object.isObject()) return nullptr;
  return object.find(name.data(), name.data() + name.size());
}

}  // namespace kz::cloud
