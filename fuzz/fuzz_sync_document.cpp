// A downloaded or imported sync document is outside input that replaces a user's rows. Whatever
// it holds: a refused document changes no row at all, an accepted one changes only the rows of the
// user it names (keeping the local password), and what it left behind builds and applies again.
#include "cloud/sync_document.h"
#include "fuzz_check.h"
#include "store/database.h"
#include "store/schema.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using kz::store::Database;
using kz::store::Recordset;

namespace {

constexpr const char* kTables[] = {"kz_user", "main2", "macro_set2", "macro_set_detail2", "kz_honor"};

Database& Db() {
  static Database* db = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kz-fuzz-sync-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    const std::string path = pattern + "/kzdb.mdb";
    auto* opened = new Database;
    KZ_FUZZ_CHECK(kz::store::CreateDatabase(path, "1.17", "0.3"));
    KZ_FUZZ_CHECK(opened->Open(path));
    KZ_FUZZ_CHECK(kz::store::Migrate(*opened));
    return opened;
  }();
  return *db;
}

// The rows every input starts from: two users with a few rows each.
void Seed(Database& db) {
  for (const char* table : kTables) KZ_FUZZ_CHECK(db.Execute(std::string("delete from ") + table));
  for (const char* user : {"alice", "bob"}) {
    const std::string u = user;
    KZ_FUZZ_CHECK(db.Execute("insert into kz_user (user_name,user_pwd,mouse_left) values (?,?,5)", {u, "pw-" + u}));
    KZ_FUZZ_CHECK(db.Execute("insert into main2 (user_name,profile_id,dpi_1) values (?,1,800)", {u}));
    KZ_FUZZ_CHECK(db.Execute("insert into macro_set2 (user_name,mset_name,mset_guid) values (?,'s',?)", {u, "{S-" + u + "}"}));
    KZ_FUZZ_CHECK(db.Execute(
        "insert into macro_set_detail2 (user_name,mset_guid,macro_guid,macro_name,macro_value) values (?,?,?,'m','65,1,5;')",
        {u, "{S-" + u + "}", "{M-" + u + "}"}));
    KZ_FUZZ_CHECK(db.Execute("insert into kz_honor (user_name,honor_type,honor_level) values (?,1,1)", {u}));
  }
}

// Every row of the document's tables as text, by table; with `user` only that user's, without it
// those of everyone else.
std::map<std::string, std::vector<std::string>> Rows(Database& db, const std::string& user, bool only) {
  std::map<std::string, std::vector<std::string>> rows;
  for (const char* table : kTables) {
    Recordset rs(db);
    KZ_FUZZ_CHECK(rs.Open(std::string("select * from ") + table + " order by ID"));
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
      std::string owner;
      rs.GetFieldValue("user_name", owner);
      if ((owner == user) != only) continue;
      std::string row;
      for (int i = 0; i < rs.GetFieldCount(); ++i) {
        std::string text;
        rs.GetFieldValue(i, text);
        row += text + (rs.GetValue(i).index() == 0 ? "<NULL>|" : "|");
      }
      rows[table].push_back(row);
    }
  }
  return rows;
}

std::string Password(Database& db, const std::string& user) {
  Recordset rs(db);
  KZ_FUZZ_CHECK(rs.Open("select * from kz_user where user_name=?", {user}));
  std::string password;
  if (rs.GetRecordCount() > 0) rs.GetFieldValue("user_pwd", password);
  return password;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  Json::Value document;
  if (!kz::cloud::ParseSyncDocument(text, document)) return 0;
  Database& db = Db();
  Seed(db);

  const std::string user = kz::cloud::DocumentUserName(document);
  const auto everything = Rows(db, "", false);
  const auto others = Rows(db, user, false);
  const std::string password = Password(db, user);
  std::string problem;
  if (!kz::cloud::ApplySyncDocument(db, document, &problem)) {
    KZ_FUZZ_CHECK(!problem.empty());
    KZ_FUZZ_CHECK(Rows(db, "", false) == everything);
    return 0;
  }
  // Nobody else's rows moved, and the local password stayed.
  KZ_FUZZ_CHECK(!user.empty());
  KZ_FUZZ_CHECK(Rows(db, user, false) == others);
  KZ_FUZZ_CHECK(Password(db, user) == password);

  // What the document left behind builds into a document that applies again. One round may still
  // change it (a NULL integer column reads as "" and comes back as 0); from then on build and
  // apply give the very same document.
  Json::Value built;
  for (int round = 0; round < 2; ++round) {
    KZ_FUZZ_CHECK(kz::cloud::BuildSyncDocument(db, user, built, &problem));
    built[kz::cloud::kDocumentUser][kz::cloud::kDocumentUserName] = user;
    KZ_FUZZ_CHECK(kz::cloud::ApplySyncDocument(db, built, &problem));
  }
  Json::Value again;
  KZ_FUZZ_CHECK(kz::cloud::BuildSyncDocument(db, user, again, &problem));
  again[kz::cloud::kDocumentUser][kz::cloud::kDocumentUserName] = user;
  KZ_FUZZ_CHECK(again == built);
  return 0;
}
