#include "api_routes.h"

#include <json/json.h>

#include <memory>
#include <sstream>

#include "base_url.h"
#include "messages.h"

namespace kzsvc {
namespace {

constexpr char kJsonType[] = "application/json; charset=utf-8";

// Compact, and bytes of 0x80 and above go out as they came in: the documents hold the client's
// texts in its character set, which must come back unchanged.
std::string WriteJson(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

void Reply(httplib::Response& res, const Json::Value& envelope) { res.set_content(WriteJson(envelope), kJsonType); }

void Refuse(httplib::Response& res, const Answer& answer) {
  Json::Value envelope(Json::objectValue);
  envelope["result"] = static_cast<int>(answer.refusal);
  envelope["message"] = answer.message;
  Reply(res, envelope);
}

Json::Value Success() {
  Json::Value envelope(Json::objectValue);
  envelope["result"] = 100;
  return envelope;
}

std::string Param(const httplib::Params& params, const char* name) {
  const auto it = params.find(name);
  return it == params.end() ? std::string() : it->second;
}
std::string Param(const httplib::Request& req, const char* name) { return Param(req.params, name); }

// A parser that takes one JSON value and nothing after it, with nesting bounded so a hostile
// document cannot exhaust the stack.
bool ParseJson(const std::string& text, Json::Value& root) {
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  builder["allowComments"] = false;
  builder["failIfExtra"] = true;
  builder["strictRoot"] = true;
  builder["stackLimit"] = 64;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  try {
    return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
  } catch (const Json::Exception&) {
    return false;  // the nesting limit is reported by throwing
  }
}

// Resolves the token of the path (and the user_name field, when sent) or answers the refusal.
bool OpenSession(Accounts& accounts, const httplib::Request& req, const httplib::Params& fields,
                 httplib::Response& res, Account& account) {
  const std::string token = req.matches.size() > 1 ? std::string(req.matches[1]) : std::string();
  const std::string claimed = Param(fields, "user_name");
  const Answer answer = accounts.Session(token, fields.count("user_name") ? &claimed : nullptr, account);
  if (!answer.ok()) Refuse(res, answer);
  return answer.ok();
}

// The library parses a form body only up to 8 KiB and answers 413 past that; a sync document is
// far larger, so the upload route reads its body itself. False when it is over `limit`.
bool ReadForm(const httplib::ContentReader& reader, std::size_t limit, httplib::Params& fields) {
  std::string body;
  bool tooLarge = false;
  const bool read = reader([&](const char* data, std::size_t length) {
    if (body.size() + length > limit) {
      tooLarge = true;
      return false;
    }
    body.append(data, length);
    return true;
  });
  if (tooLarge || !read) return false;
  httplib::detail::parse_query_text(body, fields);
  return true;
}

}  // namespace

void AddApiRoutes(httplib::Server& server, Accounts& accounts, Store& store, const ServiceConfig& config) {
  server.Post(R"(/api/login/?)", [&accounts](const httplib::Request& req, httplib::Response& res) {
    LoginGrant grant;
    const Answer answer = accounts.Login(Param(req, "user_name"), Param(req, "password"), req.remote_addr, grant);
    if (!answer.ok()) return Refuse(res, answer);
    Json::Value envelope = Success();
    envelope["token"] = grant.token;
    envelope["version"] = std::to_string(grant.version);
    envelope["login_time"] = static_cast<Json::Int64>(grant.loginTime);
    Reply(res, envelope);
  });

  // Plain text, the whole body being the address: the client opens it as it is.
  const auto page = [&config](const char* name) {
    return [&config, name](const httplib::Request& req, httplib::Response& res) {
      res.set_content(BaseUrl(req, config.publicUrl) + name, "text/plain; charset=utf-8");
    };
  };
  server.Post(R"(/api/get_reg_url/?)", page("register"));
  server.Get(R"(/api/get_reg_url/?)", page("register"));
  server.Post(R"(/api/get_forget_url/?)", page("forget"));
  server.Get(R"(/api/get_forget_url/?)", page("forget"));

  server.Post(R"(/api/set/([^/]*)/?)", [&accounts, &store, &config](const httplib::Request& req,
                                                                   httplib::Response& res,
                                                                   const httplib::ContentReader& reader) {
    httplib::Params fields;
    // Percent-encoding can triple a document on the wire.
    if (!ReadForm(reader, config.maxDocument * 3 + 64 * 1024, fields)) {
      return Refuse(res, Answer::Refuse(Refusal::BadDocument, msg::kDocumentTooLarge));
    }
    Account account;
    if (!OpenSession(accounts, req, fields, res, account)) return;
    if (!fields.count("content")) return Refuse(res, Answer::Refuse(Refusal::BadDocument, msg::kDocumentMissing));
    const std::string content = Param(fields, "content");
    if (content.size() > config.maxDocument) {
      return Refuse(res, Answer::Refuse(Refusal::BadDocument, msg::kDocumentTooLarge));
    }
    Json::Value root;
    if (!ParseJson(content, root) || !root.isObject()) {
      return Refuse(res, Answer::Refuse(Refusal::BadDocument, msg::kDocumentNotJson));
    }
    // "user_name" is put into "kz_user" when the document goes out again, which needs an object.
    if (root.isMember("kz_user") && !root["kz_user"].isObject() && !root["kz_user"].isNull()) {
      return Refuse(res, Answer::Refuse(Refusal::BadDocument, msg::kDocumentBadUser));
    }
    // "force" and "version" of the request are not looked at: an upload always replaces the
    // stored copy and makes the next version.
    std::int64_t version = 0;
    if (!store.StoreDocument(account.id, content, accounts.Now(), version)) {
      return Refuse(res, Answer::Refuse(Refusal::ServerFault, msg::kServerFault));
    }
    Json::Value envelope = Success();
    envelope["version"] = static_cast<Json::Int64>(version);
    Reply(res, envelope);
  });

  server.Post(R"(/api/get_version/([^/]*)/?)", [&accounts, &store](const httplib::Request& req,
                                                                  httplib::Response& res) {
    Account account;
    if (!OpenSession(accounts, req, req.params, res, account)) return;
    std::int64_t version = 0;
    if (!store.ReadVersion(account.id, version)) {
      return Refuse(res, Answer::Refuse(Refusal::ServerFault, msg::kServerFault));
    }
    Json::Value envelope = Success();
    envelope["data"] = std::to_string(version);
    Reply(res, envelope);
  });

  server.Post(R"(/api/get/([^/]*)/?)", [&accounts, &store](const httplib::Request& req, httplib::Response& res) {
    Account account;
    if (!OpenSession(accounts, req, req.params, res, account)) return;
    std::optional<std::string> content;
    std::int64_t version = 0;
    if (!store.ReadDocument(account.id, content, version)) {
      return Refuse(res, Answer::Refuse(Refusal::ServerFault, msg::kServerFault));
    }
    if (!content) return Refuse(res, Answer::Refuse(Refusal::NoDocument, msg::kNoDocument));
    Json::Value document;
    if (!ParseJson(*content, document) || !document.isObject() ||
        !(document["kz_user"].isObject() || document["kz_user"].isNull())) {
      return Refuse(res, Answer::Refuse(Refusal::ServerFault, msg::kDocumentDamaged));
    }
    // The applying side takes the name of the user whose rows it replaces from here; it is
    // always the token's user, whatever the uploaded document said.
    if (document["kz_user"].isNull()) document["kz_user"] = Json::Value(Json::objectValue);
    document["kz_user"]["user_name"] = account.name;
    Json::Value envelope = Success();
    envelope["data"] = std::move(document);
    Reply(res, envelope);
  });
}

}  // namespace kzsvc
