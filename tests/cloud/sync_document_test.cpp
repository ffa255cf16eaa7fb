// The sync document against real databases: what building carries, how applying reads it, and
// that an apply is all or nothing.
#include "cloud/sync_document.h"
#include "heavy_user.h"
#include "store/database.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <json/value.h>

namespace {

using namespace kz::cloud;
using kz::store::Database;
using kz::store::Recordset;
using kztest::RowContent;
using kztest::UserRows;

Json::Value Parse(const std::string& text) {
  Json::Value document;
  std::string problem;
  EXPECT_TRUE(ParseSyncDocument(text, document, &problem)) << problem << "\n" << text;
  return document;
}

// Every row of every table of the document, of every user, IDs included.
std::map<std::string, std::vector<RowContent>> Everything(Database& db) {
  std::map<std::string, std::vector<RowContent>> all;
  for (const char* table : kztest::kDocumentTables) {
    Recordset rs(db);
    EXPECT_TRUE(rs.Open(std::string("select * from ") + table + " order by ID"));
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
      RowContent row;
      for (int i = 0; i < rs.GetFieldCount(); ++i) {
        std::string text;
        rs.GetFieldValue(i, text);
        row[rs.GetFieldName(i)] = text + (std::holds_alternative<std::monostate>(rs.GetValue(i)) ? "<NULL>" : "");
      }
      all[table].push_back(row);
    }
  }
  return all;
}

class SyncDocument : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(kztest::MakeDatabase(dir_ / "kzdb.mdb", db_)); }

  void AddUser(const std::string& name, const std::string& password = "pw") {
    ASSERT_TRUE(db_.Execute("insert into kz_user (user_name,user_pwd,mouse_left,profile_active,sync_last) "
                            "values (?,?,12,3,7)",
                            {name, password}));
  }
  void AddMacro(const std::string& user, const std::string& set, const std::string& guid, const std::string& name) {
    ASSERT_TRUE(db_.Execute("insert into macro_set_detail2 (user_name,mset_guid,macro_guid,macro_name,macro_value) "
                            "values (?,?,?,?,?)",
                            {user, set, guid, name, "65,1,10;65,0,10;"}));
  }
  void AddFewRows(const std::string& user) {
    AddUser(user);
    ASSERT_TRUE(db_.Execute("insert into main2 (user_name,profile_id,dpi_1,btn3_marco_id) values (?,1,1600,'{M1}')",
                            {user}));
    ASSERT_TRUE(db_.Execute("insert into macro_set2 (user_name,mset_name,mset_guid) values (?,'Games',?)",
                            {user, "{S-" + user + "}"}));
    AddMacro(user, "{S-" + user + "}", "{M1-" + user + "}", "copy");
    AddMacro(user, "{S-" + user + "}", "{M2-" + user + "}", "paste");
    ASSERT_TRUE(db_.Execute("insert into kz_honor (user_name,honor_type,honor_level,create_time) values (?,3,1,99)",
                            {user}));
  }
  Json::Value Build(const std::string& user) {
    Json::Value document;
    std::string problem;
    EXPECT_TRUE(BuildSyncDocument(db_, user, document, &problem)) << problem;
    return document;
  }
  // Applies and expects a refusal that changed nothing at all.
  void ExpectRefused(const std::string& text, const std::string& why) {
    SCOPED_TRACE(why);
    const auto before = Everything(db_);
    std::string problem;
    EXPECT_FALSE(ApplySyncDocument(db_, Parse(text), &problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_EQ(Everything(db_), before);
  }

  kztest::TempDir dir_;
  Database db_;
};

TEST_F(SyncDocument, CarriesTheColumnsFromTheirPositionOnAsTexts) {
  AddFewRows("alice");
  AddFewRows("bob");
  const Json::Value doc = Build("alice");
  ASSERT_TRUE(doc["kz_user"].isObject());
  // kz_user from position 3: the key, the name and the password never leave.
  EXPECT_EQ(doc["kz_user"].size(), 17u);
  for (const char* hidden : {"ID", "user_name", "user_pwd"}) EXPECT_FALSE(doc["kz_user"].isMember(hidden)) << hidden;
  EXPECT_EQ(doc["kz_user"]["mouse_left"], "12");
  EXPECT_EQ(doc["kz_user"]["sync_last"], "7");
  EXPECT_EQ(doc["kz_user"]["online_time_min"], "0");  // a migrated column, at its default
  // The other tables from position 2.
  ASSERT_TRUE(doc["main"].isArray());
  ASSERT_EQ(doc["main"].size(), 1u);
  EXPECT_EQ(doc["main"][0].size(), 79u);
  EXPECT_FALSE(doc["main"][0].isMember("ID"));
  EXPECT_FALSE(doc["main"][0].isMember("user_name"));
  EXPECT_EQ(doc["main"][0]["profile_id"], "1");
  EXPECT_EQ(doc["main"][0]["dpi_1"], "1600");
  EXPECT_EQ(doc["main"][0]["btn3_marco_id"], "{M1}");
  // A column never stored goes as the marks that keep it so.
  EXPECT_EQ(doc["main"][0]["dpi_2"], "-9999");
  EXPECT_EQ(doc["main"][0]["btn4_marco_id"], "null");
  ASSERT_EQ(doc["macro_set_detail"].size(), 2u);
  EXPECT_EQ(doc["macro_set_detail"][0]["macro_name"], "copy");  // table order
  EXPECT_EQ(doc["macro_set_detail"][1]["macro_name"], "paste");
  EXPECT_EQ(doc["macro_set_detail"][0]["macro_repeat"], "1");
  EXPECT_EQ(doc["macro_set"][0]["mset_guid"], "{S-alice}");
  EXPECT_EQ(doc["kz_honor"][0]["honor_type"], "3");
  EXPECT_EQ(doc["kz_honor"][0]["create_time"], "99");
  // Every value is a JSON string.
  for (const char* key : {"main", "macro_set", "macro_set_detail", "kz_honor"})
    for (const Json::Value& row : doc[key])
      for (const std::string& name : row.getMemberNames()) EXPECT_TRUE(row[name].isString()) << key << "." << name;
}

TEST_F(SyncDocument, AColumnNeverStoredStaysUnstoredThroughARoundTrip) {
  AddFewRows("alice");  // its profile row holds three columns; the rest are NULL
  const auto before = UserRows(db_, "main2", "alice");
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(before[0].at("light1_rgb"), "<NULL>");
  Json::Value doc = Build("alice");
  doc["kz_user"]["user_name"] = "alice";
  ASSERT_TRUE(ApplySyncDocument(db_, doc));
  EXPECT_EQ(UserRows(db_, "main2", "alice"), before);
}

TEST_F(SyncDocument, TablesWithoutRowsAreNullAndAUserWithoutARowHasNoKzUser) {
  AddUser("alice");
  const Json::Value doc = Build("alice");
  for (const char* key : {"main", "macro_set", "macro_set_detail", "kz_honor"}) {
    EXPECT_TRUE(doc.isMember(key)) << key;
    EXPECT_TRUE(doc[key].isNull()) << key;
  }
  const Json::Value nobody = Build("nobody");
  EXPECT_FALSE(nobody.isMember("kz_user"));
  EXPECT_TRUE(nobody.isMember("main"));
}

TEST_F(SyncDocument, IsWrittenWithTheStyledWriterInNameOrder) {
  AddUser("alice");
  std::string text;
  ASSERT_TRUE(BuildSyncDocumentText(db_, "alice", text));
  EXPECT_EQ(text.rfind("{\n   \"kz_honor\" : null,\n   \"kz_user\" : {\n      \"invite_count\" : \"0\",\n", 0), 0u)
      << text;
  const std::string tail = "   },\n   \"macro_set\" : null,\n   \"macro_set_detail\" : null,\n   \"main\" : null\n}\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail) << text;
  EXPECT_EQ(Parse(text), Build("alice"));
}

TEST_F(SyncDocument, NonAsciiTextsTravelAsJsonEscapesAndComeBack) {
  AddUser("alice");
  ASSERT_TRUE(db_.Execute("insert into macro_set2 (user_name,mset_name,mset_guid) values ('alice',?,'{G}')",
                          {"\xE6\xB8\xB8\xE6\x88\x8F \"q\" \\"}));
  std::string text;
  ASSERT_TRUE(BuildSyncDocumentText(db_, "alice", text));
  for (unsigned char c : text) EXPECT_LT(c, 0x80);
  Json::Value doc = Parse(text);
  doc["kz_user"]["user_name"] = "alice";
  ASSERT_TRUE(ApplySyncDocument(db_, doc));
  std::vector<RowContent> sets = UserRows(db_, "macro_set2", "alice");
  ASSERT_EQ(sets.size(), 1u);
  EXPECT_EQ(sets[0]["mset_name"], "text:\xE6\xB8\xB8\xE6\x88\x8F \"q\" \\");
}

TEST_F(SyncDocument, ApplyReadsIntegersByTheirLeadingNumberAndKeepsDefaultsForTheMarks) {
  AddUser("carol", "local secret");
  ASSERT_TRUE(ApplySyncDocument(db_, Parse(R"({
    "kz_user": {"user_name": "carol", "user_pwd": "from the document", "ID": "999",
                "mouse_left": "-9999", "profile_active": "", "sync_last": "abc", "my_score": "12abc",
                "my_level": 7, "wheel_up": "-5", "login_time": "99999999999", "online_time_min": true,
                "no_such_column": "x"},
    "macro_set_detail": [
      {"mset_guid": "{S}", "macro_guid": "{A}", "macro_name": "a", "macro_value": "null",
       "repeat_sel": "-9999"},
      {"mset_guid": "{S}", "macro_guid": "{B}", "macro_name": "b", "macro_value": "", "macro_repeat": "3",
       "user_name": "mallory"}]})")));
  std::vector<RowContent> user = UserRows(db_, "kz_user", "carol");
  ASSERT_EQ(user.size(), 1u);
  EXPECT_EQ(user[0]["user_pwd"], "text:local secret");      // the local password stays
  EXPECT_EQ(user[0]["mouse_left"], "int:0");                // "-9999": the table default
  EXPECT_EQ(user[0]["mouse_right"], "int:0");               // missing: the default
  EXPECT_EQ(user[0]["profile_active"], "int:0");            // an empty text reads as 0
  EXPECT_EQ(user[0]["sync_last"], "int:0");                 // no leading number: 0
  EXPECT_EQ(user[0]["my_score"], "int:12");
  EXPECT_EQ(user[0]["my_level"], "int:7");                  // JSON numbers are read too
  EXPECT_EQ(user[0]["wheel_up"], "int:-5");
  EXPECT_EQ(user[0]["login_time"], "int:" + std::to_string(INT_MAX));  // 4-byte columns
  EXPECT_EQ(user[0]["online_time_min"], "int:0");           // "true" has no leading number
  std::vector<RowContent> macros = UserRows(db_, "macro_set_detail2", "carol");
  ASSERT_EQ(macros.size(), 2u);
  EXPECT_EQ(macros[0]["macro_value"], "<NULL>");            // "null": the default
  EXPECT_EQ(macros[0]["macro_repeat"], "int:1");            // missing: the default
  EXPECT_EQ(macros[0]["repeat_sel"], "int:0");
  EXPECT_EQ(macros[1]["macro_value"], "text:");
  EXPECT_EQ(macros[1]["macro_repeat"], "int:3");
  EXPECT_TRUE(UserRows(db_, "macro_set_detail2", "mallory").empty());  // rows belong to the named user
}

TEST_F(SyncDocument, ApplyReplacesOnlyTheNamedUsersRows) {
  AddFewRows("alice");
  AddFewRows("bob");
  const auto bobBefore = kztest::UserRowCounts(db_, "bob");
  // No "kz_honor" member and null macros: the user's honors and macros go.
  ASSERT_TRUE(ApplySyncDocument(db_, Parse(R"({"kz_user": {"user_name": "alice", "mouse_left": "5"},
                                               "main": [{"profile_id": "2"}, {"profile_id": "4"}],
                                               "macro_set": null, "macro_set_detail": null})")));
  const std::map<std::string, int> alice{
      {"kz_user", 1}, {"main2", 2}, {"macro_set2", 0}, {"macro_set_detail2", 0}, {"kz_honor", 0}};
  EXPECT_EQ(kztest::UserRowCounts(db_, "alice"), alice);
  EXPECT_EQ(kztest::UserRowCounts(db_, "bob"), bobBefore);
  EXPECT_EQ(UserRows(db_, "kz_user", "alice")[0]["user_pwd"], "text:pw");
  EXPECT_EQ(UserRows(db_, "main2", "alice")[1]["profile_id"], "int:4");
}

TEST_F(SyncDocument, AUserNewToThisDatabaseGetsAnEmptyPassword) {
  ASSERT_TRUE(ApplySyncDocument(db_, Parse(R"({"kz_user": {"user_name": "dave"}})")));
  std::vector<RowContent> user = UserRows(db_, "kz_user", "dave");
  ASSERT_EQ(user.size(), 1u);
  EXPECT_EQ(user[0]["user_pwd"], "text:");
  EXPECT_EQ(user[0]["profile_active"], "int:1");  // defaults
  EXPECT_EQ(user[0]["sync_last"], "int:1");
}

TEST_F(SyncDocument, ARefusedDocumentChangesNothing) {
  AddFewRows("alice");
  AddFewRows("bob");
  ExpectRefused("{}", "no kz_user");
  ExpectRefused(R"({"kz_user": {}, "main": null})", "no user_name");
  ExpectRefused(R"({"kz_user": {"user_name": ""}})", "an empty user_name");
  ExpectRefused(R"({"kz_user": "alice"})", "kz_user is no object");
  ExpectRefused(R"({"kz_user": {"user_name": ["alice"]}})", "user_name is a list");
  ExpectRefused(R"({"kz_user": {"user_name": "alice", "mouse_left": {"n": 1}}})", "an object as a value");
  ExpectRefused(R"({"kz_user": {"user_name": "alice"}, "main": {"profile_id": "1"}})", "main is no list");
  ExpectRefused(R"({"kz_user": {"user_name": "alice"}, "main": ["row"]})", "a row that is no object");
  ExpectRefused(R"({"kz_user": {"user_name": "alice"}, "main": [{"profile_id": "1"}, {"dpi_1": [1]}]})",
                "a list as a value in the second row");
  // The third writer (macro sets) fails after the first two replaced their tables: the unique
  // set identity is given twice.
  ExpectRefused(R"({"kz_user": {"user_name": "alice", "mouse_left": "1"}, "main": [{"profile_id": "5"}],
                    "macro_set": [{"mset_name": "a", "mset_guid": "{X}"}, {"mset_name": "b", "mset_guid": "{X}"}],
                    "macro_set_detail": null})",
                "the third writer fails");
  ExpectRefused(R"({"kz_user": {"user_name": "alice"}, "macro_set_detail": [{"mset_guid": "{S}", "macro_guid": "{Z}"}]})",
                "a macro without its name");
  ExpectRefused(R"({"kz_user": {"user_name": "alice"}, "macro_set": [{"mset_name": "a", "mset_guid": "{S-bob}"}]})",
                "a set identity another user holds");
}

TEST_F(SyncDocument, TheCallersTransactionIsNotMixedWith) {
  AddFewRows("alice");
  const auto before = Everything(db_);
  ASSERT_TRUE(db_.BeginTransaction());
  std::string problem;
  EXPECT_FALSE(ApplySyncDocument(db_, Parse(R"({"kz_user": {"user_name": "alice"}})"), &problem));
  EXPECT_FALSE(problem.empty());
  ASSERT_TRUE(db_.RollbackTransaction());
  EXPECT_EQ(Everything(db_), before);
}

TEST_F(SyncDocument, ABackupGoesToTheUserItIsRestoredFor) {
  AddFewRows("alice");
  AddFewRows("bob");
  Json::Value doc = Build("alice");
  doc["kz_user"]["user_name"] = "alice";
  const auto aliceBefore = UserRows(db_, "macro_set_detail2", "alice", {"user_name"});
  ASSERT_TRUE(db_.Execute("delete from macro_set_detail2 where user_name='alice'"));
  ASSERT_TRUE(db_.Execute("delete from macro_set2 where user_name='alice'"));
  ASSERT_TRUE(ApplySyncDocumentTo(db_, doc, "erin"));
  EXPECT_EQ(UserRows(db_, "macro_set_detail2", "erin", {"user_name"}), aliceBefore);
  EXPECT_TRUE(UserRows(db_, "macro_set_detail2", "alice").empty());
}

TEST_F(SyncDocument, ColumnsAddedLaterTravelByName) {
  AddFewRows("alice");
  ASSERT_TRUE(db_.Execute("alter table main2 add column glow int null default 4"));
  ASSERT_TRUE(db_.Execute("update main2 set glow=9 where user_name='alice'"));
  Json::Value doc = Build("alice");
  EXPECT_EQ(doc["main"][0]["glow"], "9");
  doc["kz_user"]["user_name"] = "alice";
  ASSERT_TRUE(ApplySyncDocument(db_, doc));
  EXPECT_EQ(UserRows(db_, "main2", "alice")[0]["glow"], "int:9");
  doc["main"][0].removeMember("glow");
  ASSERT_TRUE(ApplySyncDocument(db_, doc));
  EXPECT_EQ(UserRows(db_, "main2", "alice")[0]["glow"], "int:4");

  // A database without the column takes the rest of the row.
  kztest::TempDir other;
  Database older;
  ASSERT_TRUE(kztest::MakeDatabase(other / "kzdb.mdb", older));
  doc["main"][0]["glow"] = "9";
  ASSERT_TRUE(ApplySyncDocument(older, doc));
  EXPECT_EQ(UserRows(older, "main2", "alice")[0]["dpi_1"], "int:1600");
}

TEST_F(SyncDocument, AUserRoundTripsByContent) {
  ASSERT_TRUE(kztest::AddHeavyUser(db_, "frank", "secret", {2, 3, 40, 60}));
  AddFewRows("bob");
  std::string text;
  ASSERT_TRUE(BuildSyncDocumentText(db_, "frank", text));
  Json::Value doc = Parse(text);
  doc["kz_user"]["user_name"] = "frank";

  kztest::TempDir other;
  Database second;
  ASSERT_TRUE(kztest::MakeDatabase(other / "kzdb.mdb", second));
  ASSERT_TRUE(second.Execute("insert into kz_user (user_name,user_pwd) values ('frank','elsewhere')"));
  ASSERT_TRUE(second.Execute("insert into macro_set2 (user_name,mset_name,mset_guid) values ('frank','old','{OLD}')"));
  ASSERT_TRUE(ApplySyncDocument(second, doc));
  for (const char* table : kztest::kDocumentTables) {
    SCOPED_TRACE(table);
    EXPECT_EQ(UserRows(second, table, "frank", {"user_pwd"}), UserRows(db_, table, "frank", {"user_pwd"}));
  }
  EXPECT_EQ(UserRows(second, "kz_user", "frank")[0]["user_pwd"], "text:elsewhere");
  EXPECT_EQ(UserRows(second, "macro_set_detail2", "frank").size(), 40u);
}

}  // namespace
