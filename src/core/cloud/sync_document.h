#pragma once
// The sync document: one user's rows of kz_user, main2, macro_set2, macro_set_detail2 and
// kz_honor as a JSON object, every value a JSON string. Built for upload or export, applied after
// a download or import. Both run on the thread that owns the database.
#include <string>

#include <json/value.h>

#include "store/database.h"

namespace kz::cloud {

// The members of the document, and the member inside "kz_user" that names the user of a document
// to be applied (documents built here do not carry it; the service adds it).
inline constexpr const char* kDocumentUser = "kz_user";
inline constexpr const char* kDocumentUserName = "user_name";

// The rows of `userName`: "kz_user" (columns from the fourth on; absent without a row) and
// "main", "macro_set", "macro_set_detail", "kz_honor" (columns from the third on; null without
// rows), every value as the text the database layer reads it as, a NULL as the mark that keeps
// the column's default where the document is applied ("-9999" or "null"). All tables are read in one
// snapshot. False when a query fails (a partial document would erase the missing rows wherever it
// is applied), with the reason in `problem`.
bool BuildSyncDocument(store::Database& db, const std::string& userName, Json::Value& document,
                       std::string* problem = nullptr);
// The same written with the styled writer (indented, members in ascending byte order).
bool BuildSyncDocumentText(store::Database& db, const std::string& userName, std::string& text,
                           std::string* problem = nullptr);
std::string WriteSyncDocument(const Json::Value& document);

// Parses a document text: exactly one JSON object. False with the reason otherwise.
bool ParseSyncDocument(const std::string& text, Json::Value& document, std::string* problem = nullptr);
// document["kz_user"]["user_name"] as text; empty when either is missing or not readable as text.
std::string DocumentUserName(const Json::Value& document);

// Replaces the rows of the user the document names (DocumentUserName) with the document's. All
// or nothing: the writers run in one transaction, and any failure (no user named, no "kz_user"
// object, a member of the wrong kind, a row the database refuses) rolls all of them back and
// returns false with the reason in `problem`; the local rows are then as they were. The local
// password (kz_user.user_pwd) is kept. It must not run inside a transaction of the caller's.
bool ApplySyncDocument(store::Database& db, const Json::Value& document, std::string* problem = nullptr);
// The same for `userName`, whatever user the document names (restoring a backup).
bool ApplySyncDocumentTo(store::Database& db, const Json::Value& document, const std::string& userName,
                         std::string* problem = nullptr);

}  // namespace kz::cloud
