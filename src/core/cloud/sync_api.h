#pragma once
// The three calls that keep the local rows and the service in step, as plain blocking functions
// (the sync threads and the command-line tool call them), and the small database steps around
// them, which run on the thread that owns the database.
#include <string>

#include <json/value.h>

#include "cloud/api_request.h"
#include "store/database.h"

namespace kz::cloud {

namespace text {
// A refused sync after a write the user asked for.
inline constexpr const char* kSyncFailed = "同步数据失败，请重新登录";
// A failed download.
inline constexpr const char* kSyncFailedQuit = "同步数据失败，请退出重新登录";
}  // namespace text

enum class CallOutcome { kNoConnection, kRefused, kOk };

struct UploadAnswer {
  CallOutcome outcome = CallOutcome::kNoConnection;
  long long version = 0;  // kOk: the service's new data version
  std::string message;    // kRefused: the service's message (may be empty)
};
// "api/set/TOKEN" with "user_name", "version" = "1", "force" = "1", "content" = the document.
UploadAnswer PostDocument(const std::string& userName, const std::string& token, const std::string& documentText,
                          Transfer* transfer = nullptr, const std::string& base = ApiBase());

struct VersionAnswer {
  CallOutcome outcome = CallOutcome::kNoConnection;
  long long version = 0;  // kOk: leading integer of "data"
  std::string message;
};
// "api/get_version/TOKEN" with "user_name".
VersionAnswer GetServiceVersion(const std::string& userName, const std::string& token, Transfer* transfer = nullptr,
                                const std::string& base = ApiBase());

struct DownloadAnswer {
  CallOutcome outcome = CallOutcome::kNoConnection;
  Json::Value document;  // kOk: "data", a JSON object
  std::string message;
};
// "api/get/TOKEN" with "user_name". A success whose "data" is no object counts as refused.
DownloadAnswer GetDocument(const std::string& userName, const std::string& token, Transfer* transfer = nullptr,
                           const std::string& base = ApiBase());

// "update kz_user set sync_last=? where user_name=?".
bool StoreSyncVersion(store::Database& db, const std::string& userName, long long version);

// Applies a downloaded document as one transaction and reads the user's active profile from the
// row it left (1 for 0 or a value outside 1..5; `activeProfile` is kept when the row cannot be
// read). Refused when the document names another user than `userName`: the service answers
// for the token's user, and rows of another name would land beside the user's own. False with
// the reason in `problem`; the rows are then as they were.
bool ApplyDownloadedDocument(store::Database& db, const Json::Value& document, const std::string& userName,
                             int& activeProfile, std::string* problem = nullptr);

}  // namespace kz::cloud
