#include "cloud/api_reply.h"

#include "cloud/json_text.h"
#include "cloud/text_codec.h"

namespace kz::cloud {

inline constexpr long long kResultSuccess = 100;

ApiReply::ApiReply(const std::string& replyText) {
  auto root = std::make_unique<Json::Value>();
  if (!ParseJson(replyText, *root) || !root->isObject()) return;
  root_ = std::move(root);
  long long result = 0;
  const Json::Value* member = Member(*root_, "result");
  success_ = member && ReadInteger(*member, result) && result == kResultSuccess;
  std::string message;
  if (const Json::Value* text = Member(*root_, "message"); text && ReadText(*text, message))
    message_ = Utf8ToAnsi(message);
}

long long ApiReply::IntegerMember(const std::string& name) const {
  long long number = 0;
  if (!root_) return 0;
  const Json::Value* member = Member(*root_, name);
  if (!member || !ReadInteger(*member, number)) return 0;
  return number;
}

std::string ApiReply::TextMember(const std::string& name) const {
  std::string text;
  if (!root_) return text;
  const Json::Value* member = Member(*root_, name);
  if (!member || !ReadText(*member, text)) return std::string();
  return text;
}

Json::Value ApiReply::DataMember() const {
  if (!root_) return Json::Value();
  const Json::Value* member = Member(*root_, "data");
  return member ? *member : Json::Value();
}

}  // namespace kz::cloud
