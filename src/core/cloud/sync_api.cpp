#include "cloud/sync_api.h"

#include "cloud/api_reply.h"
#include "cloud/sync_document.h"
#include "cloud/text_codec.h"
#include "store/users.h"

#include <memory>

namespace kz::cloud {
namespace {

// The token goes into the path as it is: a login only keeps tokens made of characters a path
// carries unchanged.
ApiRequest Request(const char* path, const std::string& userName, const std::string& token, const std::string& base) {
  ApiRequest request(std::string(path) + Utf8ToAnsi(token), base);
  request << "user_name" << Utf8ToAnsi(userName);
  return request;
}

CallOutcome Perform(ApiRequest& request, Transfer* transfer, ApiReply*& reply, std::unique_ptr<ApiReply>& holder) {
  if (!request.Perform(transfer)) return CallOutcome::kNoConnection;
  holder = std::make_unique<ApiReply>(request.ReplyText());
  reply = holder.get();
  return reply->Success() ? CallOutcome::kOk : CallOutcome::kRefused;
}

}  // namespace

UploadAnswer PostDocument(const std::string& userName, const std::string& token, const std::string& documentText,
                          Transfer* transfer, const std::string& base) {
  ApiRequest request = Request("api/set/", userName, token, base);
  request << "version" << "1" << "force" << "1" << "content" << documentText;
  UploadAnswer answer;
  ApiReply* reply = nullptr;
  std::unique_ptr<ApiReply> holder;
  answer.outcome = Perform(request, transfer, reply, holder);
  if (reply) {
    answer.message = reply->Message();
    if (answer.outcome == CallOutcome::kOk) answer.version = reply->IntegerMember("version");
  }
  return answer;
}

VersionAnswer GetServiceVersion(const std::string& userName, const std::string& token, Transfer* transfer,
                                const std::string& base) {
  ApiRequest request = Request("api/get_version/", userName, token, base);
  VersionAnswer answer;
  ApiReply* reply = nullptr;
  std::unique_ptr<ApiReply> holder;
  answer.outcome = Perform(request, transfer, reply, holder);
  if (reply) {
    answer.message = reply->Message();
    if (answer.outcome == CallOutcome::kOk) answer.version = LeadingInteger(reply->TextMember("data"));
  }
  return answer;
}

DownloadAnswer GetDocument(const std::string& userName, const std::string& token, Transfer* transfer,
                           const std::string& base) {
  ApiRequest request = Request("api/get/", userName, token, base);
  DownloadAnswer answer;
  ApiReply* reply = nullptr;
  std::unique_ptr<ApiReply> holder;
  answer.outcome = Perform(request, transfer, reply, holder);
  if (reply) {
    answer.message = reply->Message();
    if (answer.outcome == CallOutcome::kOk) {
      answer.document = reply->DataMember();
      if (!answer.document.isObject()) {
        answer.outcome = CallOutcome::kRefused;
        answer.document = Json::Value();
      }
    }
  }
  return answer;
}

bool StoreSyncVersion(store::Database& db, const std::string& userName, long long version) {
  return db.Execute("update kz_user set sync_last=? where user_name=?", {version, userName});
}

bool ApplyDownloadedDocument(store::Database& db, const Json::Value& document, const std::string& userName,
                             int& activeProfile, std::string* problem) {
  const std::string named = DocumentUserName(document);
  if (named != userName) {
    if (problem) *problem = named.empty() ? "the document names no user" : "the document is of another user";
    return false;
  }
  if (!ApplySyncDocument(db, document, problem)) return false;
  store::Recordset row(db);
  if (row.Open("select * from kz_user where user_name=?", {userName}) && row.GetRecordCount() > 0) {
    row.MoveFirst();
    int profile = 0;
    if (row.GetFieldValue(9, profile)) activeProfile = profile >= 1 && profile <= store::kProfileCount ? profile : 1;
  }
  return true;
}

}  // namespace kz::cloud
