#pragma once
// The JSON envelope the web API answers with: "result" 100 is success, "message" a text for the
// user, and call-specific members beside them.
#include <memory>
#include <string>

#include <json/value.h>

namespace kz::cloud {

class ApiReply {
 public:
  // Parses the whole reply text as one JSON document. A text that is not JSON, or whose root is
  // no object, gives a failure with an empty message and no root. A "result" that cannot be read
  // as an integer (a text such as "100", an array) is a failure too; a "message" that cannot be
  // read as text (an array, an object) reads as empty.
  explicit ApiReply(const std::string& replyText);

  bool Success() const { return success_; }
  // "message", from UTF-8 into the service's character set (Utf8ToAnsi).
  const std::string& Message() const { return message_; }
  bool HasRoot() const { return root_ != nullptr; }
  const Json::Value* Root() const { return root_.get(); }

  // root[name] as an integer; 0 without a root, without the member or when its kind cannot be
  // read as one.
  long long IntegerMember(const std::string& name) const;
  // root[name] as text; empty without a root, without the member or when its kind cannot be read
  // as text.
  std::string TextMember(const std::string& name) const;
  // A copy of root["data"]; null without a root or without the member.
  Json::Value DataMember() const;

 private:
  bool success_ = false;
  std::string message_;
  std::unique_ptr<Json::Value> root_;
};

}  // namespace kz::cloud
