// Replies of the web service come from the network: any bytes at all must give an envelope that
// reads safely, and success only with a whole JSON object whose "result" is the number 100.
#include "cloud/api_reply.h"
#include "cloud/json_text.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>

using kz::cloud::ApiReply;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const ApiReply reply(text);

  Json::Value root;
  const bool object = kz::cloud::ParseJson(text, root) && root.isObject();
  KZ_FUZZ_CHECK(reply.HasRoot() == object);
  if (!reply.HasRoot()) {
    KZ_FUZZ_CHECK(!reply.Success());
    KZ_FUZZ_CHECK(reply.Message().empty());
    KZ_FUZZ_CHECK(reply.DataMember().isNull());
    KZ_FUZZ_CHECK(reply.IntegerMember("result") == 0);
    KZ_FUZZ_CHECK(reply.TextMember("token").empty());
    return 0;
  }
  if (reply.Success()) {
    KZ_FUZZ_CHECK(reply.IntegerMember("result") == 100);
    KZ_FUZZ_CHECK(!root["result"].isString());
  }
  // Every member reads as text and as an integer without throwing, whatever its kind.
  for (const std::string& name : root.getMemberNames()) {
    (void)reply.TextMember(name);
    (void)reply.IntegerMember(name);
  }
  (void)reply.DataMember();
  return 0;
}
