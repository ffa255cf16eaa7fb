#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sys/stat.h>

#include "base/notify.h"
#include "base/paths.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/users.h"
#include "support/test_support.h"

using kz::store::Database;
using kz::store::Recordset;
using kz::store::Value;

namespace {

// A database made the way a first start makes it, at schema "1.0" or migrated to "1.1".
struct StoreFixture : ::testing::Test {
  kztest::TempDir dir;
  std::string path = dir / "kzdb.mdb";
  Database db;

  void SetUp() override {
    ASSERT_TRUE(kz::store::CreateDatabase(path, "1.17", "0.3"));
    ASSERT_TRUE(db.Open(path));
  }

  std::vector<std::string> Columns(const std::string& table) {
    Recordset rs(db);
    EXPECT_TRUE(rs.Open(table));
    std::vector<std::string> names;
    for (int i = 0; i < rs.GetFieldCount(); ++i) names.push_back(rs.GetFieldName(i));
    return names;
  }

  std::string Text(const std::string& sql, const std::vector<Value>& params = {}) {
    Recordset rs(db);
    EXPECT_TRUE(rs.Open(sql, params));
    std::string value;
    rs.GetFieldValue(0, value);
    return value;
  }

  long long Number(const std::string& sql, const std::vector<Value>& params = {}) {
    Recordset rs(db);
    EXPECT_TRUE(rs.Open(sql, params));
    long long value = -1;
    rs.GetFieldValue(0, value);
    return value;
  }
};

TEST_F(StoreFixture, NewDatabaseHasSchemaOneZeroAndTheSeedRow) {
  EXPECT_EQ(Number("select count(*) from sqlite_master where type='table' and name<>'sqlite_sequence'"), 5);
  EXPECT_EQ(Columns("kz_user").size(), 13u);
  Recordset global(db);
  ASSERT_TRUE(global.Open("kz_global"));
  ASSERT_EQ(global.GetRecordCount(), 1);
  std::string kzVer, hardVer, dbVer, lastUser;
  global.GetFieldValue("kz_ver", kzVer);
  global.GetFieldValue("hard_ver", hardVer);
  global.GetFieldValue("db_ver", dbVer);
  global.GetFieldValue("last_user", lastUser);
  EXPECT_EQ(kzVer, "1.17");
  EXPECT_EQ(hardVer, "0.3");
  EXPECT_EQ(dbVer, "1.0");
  EXPECT_EQ(lastUser, "");
}

TEST_F(StoreFixture, MigratedSchemaHasEveryColumnInOrderWithItsType) {
  ASSERT_TRUE(kz::store::Migrate(db));
  EXPECT_EQ(Text("select db_ver from kz_global"), "1.1");
  const std::vector<std::string> user = {
      "ID", "user_name", "user_pwd", "mouse_left", "mouse_right", "mouse_middle", "wheel_up", "wheel_down",
      "move_distance", "profile_active", "sync_last", "my_score", "my_level", "online_time_min", "login_time",
      "login_days", "signin_count", "update_time", "share_count", "invite_count"};
  EXPECT_EQ(Columns("kz_user"), user);
  EXPECT_EQ(Columns("kz_honor"), (std::vector<std::string>{"ID", "user_name", "honor_type", "honor_level", "create_time"}));
  EXPECT_EQ(Columns("macro_set2"), (std::vector<std::string>{"ID", "user_name", "mset_name", "mset_guid"}));
  EXPECT_EQ(Columns("macro_set_detail2"), (std::vector<std::string>{"ID", "user_name", "mset_guid", "macro_guid",
                                                                    "macro_name", "macro_value", "macro_repeat",
                                                                    "repeat_sel"}));
  EXPECT_EQ(Columns("kz_global"), (std::vector<std::string>{"ID", "kz_ver", "hard_ver", "db_ver", "last_user"}));

  // main2: positions are read by number, so the whole order is checked.
  std::vector<std::string> main2 = {"ID", "user_name", "profile_id", "dpi_active"};
  for (int i = 1; i <= 4; ++i) {
    main2.push_back("dpi_" + std::to_string(i));
    main2.push_back("dpi_" + std::to_string(i) + "c");
  }
  main2.push_back("report_rate");
  for (int l = 1; l <= 2; ++l)
    for (const char* c : {"clrtype", "preset", "rgb", "on", "breath", "speed"})
      main2.push_back("light" + std::to_string(l) + "_" + c);
  for (int b = 1; b <= 12; ++b)
    for (const char* c : {"", "_keycode", "_extra", "_marco_id"}) main2.push_back("btn" + std::to_string(b) + c);
  for (const char* c : {"doubleClick", "Sense", "sensitivity", "sensitivity_x", "sensitivity_y", "vertical_scroll_page",
                        "vertical_scroll_speed", "mouse_point_speed"})
    main2.push_back(c);
  ASSERT_EQ(main2.size(), 81u);
  EXPECT_EQ(Columns("main2"), main2);

  Recordset rs(db);
  ASSERT_TRUE(rs.Open("main2"));
  for (int i = 0; i < rs.GetFieldCount(); ++i) {
    kz::store::FieldInfo info;
    ASSERT_TRUE(rs.GetFieldInfo(i, info));
    bool text = info.name == "user_name" || info.name.find("_marco_id") != std::string::npos;
    EXPECT_EQ(info.type, text ? kz::store::kTypeText : kz::store::kTypeInteger) << info.name;
  }
}

TEST_F(StoreFixture, DefaultsAndUniqueIndexesHold) {
  ASSERT_TRUE(kz::store::Migrate(db));
  ASSERT_TRUE(db.Execute("insert into kz_user(user_name) values (?)", {std::string("a")}));
  Recordset user(db);
  ASSERT_TRUE(user.Open("select * from kz_user where user_name=?", {std::string("a")}));
  int profile = 0, syncLast = 0, online = -1;
  user.GetFieldValue("profile_active", profile);
  user.GetFieldValue("sync_last", syncLast);
  user.GetFieldValue("online_time_min", online);
  EXPECT_EQ(profile, 1);
  EXPECT_EQ(syncLast, 1);
  EXPECT_EQ(online, 0);
  EXPECT_FALSE(db.Execute("insert into kz_user(user_name) values (?)", {std::string("a")}));
  EXPECT_NE(db.GetLastErrorString().find("UNIQUE"), std::string::npos);

  const std::string g = kz::store::NewGuidText();
  EXPECT_TRUE(db.Execute("insert into macro_set2(user_name,mset_name,mset_guid) values ('u','s',?)", {g}));
  EXPECT_FALSE(db.Execute("insert into macro_set2(user_name,mset_name,mset_guid) values ('u','t',?)", {g}));
  const char* detail = "insert into macro_set_detail2(user_name,mset_guid,macro_guid,macro_name) values ('u',?,?,'m')";
  EXPECT_TRUE(db.Execute(detail, {g, kz::store::NewGuidText()}));
  EXPECT_TRUE(db.Execute(detail, {g, kz::store::NewGuidText()}));  // a set holds many macros
  const std::string m = kz::store::NewGuidText();
  EXPECT_TRUE(db.Execute(detail, {g, m}));
  EXPECT_FALSE(db.Execute(detail, {g, m}));
  Recordset rs(db);
  ASSERT_TRUE(rs.Open("select * from macro_set_detail2 where macro_guid=?", {m}));
  int repeat = 0, sel = -1;
  rs.GetFieldValue("macro_repeat", repeat);
  rs.GetFieldValue("repeat_sel", sel);
  EXPECT_EQ(repeat, 1);
  EXPECT_EQ(sel, 0);
}

TEST_F(StoreFixture, FailedMigrationRollsBackAndRunsAgainLater) {
  // A table in the way makes the first statement fail: nothing of the migration may remain.
  ASSERT_TRUE(db.Execute("create table kz_honor(x int)"));
  EXPECT_FALSE(kz::store::Migrate(db));
  EXPECT_FALSE(db.GetLastErrorString().empty());
  EXPECT_EQ(Text("select db_ver from kz_global"), "1.0");
  EXPECT_EQ(Columns("kz_user").size(), 13u);
  ASSERT_TRUE(db.Execute("drop table kz_honor"));
  EXPECT_TRUE(kz::store::Migrate(db));
  EXPECT_EQ(Columns("kz_user").size(), 20u);
}

TEST_F(StoreFixture, RecordsetReadsWritesAndReportsErrors) {
  ASSERT_TRUE(kz::store::Migrate(db));
  Recordset rs(db);
  ASSERT_TRUE(rs.Open("select * from main2 where profile_id=? and user_name=?", {2LL, std::string("u")}));
  EXPECT_EQ(rs.GetRecordCount(), 0);
  EXPECT_TRUE(rs.IsEOF());
  int missing = 7;
  EXPECT_FALSE(rs.GetFieldValue("dpi_1", missing));
  EXPECT_EQ(missing, 0);
  ASSERT_TRUE(rs.AddNew());
  rs.SetFieldValue(1, std::string("u"));
  rs.SetFieldValue("profile_id", 2LL);
  rs.SetFieldValue("DPI_1", 1600LL);  // column names are not case-sensitive
  EXPECT_FALSE(rs.SetFieldValue("no_such_column", 1LL));
  EXPECT_FALSE(rs.SetFieldValue("ID", 99LL));
  ASSERT_TRUE(rs.Update());
  long long id = 0;
  rs.GetFieldValue("ID", id);
  EXPECT_GT(id, 0);

  Recordset again(db);
  ASSERT_TRUE(again.Open("select * from main2 where profile_id=? and user_name=?", {2LL, std::string("u")}));
  ASSERT_EQ(again.GetRecordCount(), 1);
  int dpi = 0, rate = -1;
  again.GetFieldValue(4, dpi);
  again.GetFieldValue("report_rate", rate);  // NULL reads as 0
  EXPECT_EQ(dpi, 1600);
  EXPECT_EQ(rate, 0);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(again.GetValue(12)));
  ASSERT_TRUE(again.Edit());
  again.SetFieldValue("report_rate", 3LL);
  ASSERT_TRUE(again.Update());
  EXPECT_EQ(Number("select report_rate from main2 where ID=?", {id}), 3);

  // A bad statement leaves the reason for the user, a read-only result refuses writes.
  Recordset bad(db);
  EXPECT_FALSE(bad.Open("select * from no_such_table"));
  EXPECT_NE(db.GetLastErrorString().find("no_such_table"), std::string::npos);
  Recordset counted(db);
  ASSERT_TRUE(counted.Open("select count(*) from main2"));
  EXPECT_FALSE(counted.Edit());
  EXPECT_FALSE(counted.AddNew());
  EXPECT_FALSE(db.Execute("update main2 set dpi_1=? where ID=?", {1LL}));  // parameter count checked
}

TEST_F(StoreFixture, TransactionsCommitAndRollBack) {
  ASSERT_TRUE(db.BeginTransaction());
  ASSERT_TRUE(db.Execute("insert into kz_user(user_name) values ('t1')"));
  ASSERT_TRUE(db.RollbackTransaction());
  EXPECT_EQ(Number("select count(*) from kz_user"), 0);
  ASSERT_TRUE(db.BeginTransaction());
  ASSERT_TRUE(db.Execute("insert into kz_user(user_name) values ('t2')"));
  ASSERT_TRUE(db.CommitTransaction());
  EXPECT_EQ(Number("select count(*) from kz_user"), 1);
}

TEST_F(StoreFixture, ScopedTransactionRollsBackUnlessCommittedAndFailsFastOnALockedFile) {
  {
    kz::store::Transaction transaction(db);
    ASSERT_TRUE(transaction.Active());
    ASSERT_TRUE(db.Execute("insert into kz_user(user_name) values ('gone')"));
  }
  EXPECT_EQ(Number("select count(*) from kz_user"), 0) << "left without commit: rolled back";
  {
    kz::store::Transaction transaction(db);
    ASSERT_TRUE(db.Execute("insert into kz_user(user_name) values ('kept')"));
    ASSERT_TRUE(transaction.Commit());
  }
  EXPECT_EQ(Number("select count(*) from kz_user"), 1);

  // Another connection holds the write lock: the transaction does not start, after the short
  // busy time-out, and says why.
  Database other;
  ASSERT_TRUE(other.Open(path));
  ASSERT_TRUE(other.Execute("BEGIN IMMEDIATE"));
  db.SetBusyTimeout(50);
  {
    kz::store::Transaction transaction(db);
    EXPECT_FALSE(transaction.Active());
    EXPECT_FALSE(transaction.Commit());
    EXPECT_NE(db.GetLastErrorString().find("locked"), std::string::npos) << db.GetLastErrorString();
  }
  ASSERT_TRUE(other.Execute("ROLLBACK"));
  kz::store::Transaction after(db);
  EXPECT_TRUE(after.Active());
}

TEST_F(StoreFixture, NamesWithApostrophesAndOtherLettersRoundTrip) {
  ASSERT_TRUE(kz::store::Migrate(db));
  for (const std::string name : {"O'Brien", "李'四", "a''b", "x' or '1'='1"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(db.Execute("update kz_global set last_user=?", {name}));
    kz::store::CurrentUser user;
    ASSERT_TRUE(kz::store::LoadCurrentUser(db, "pw'd", user));
    EXPECT_EQ(user.userName, name);
    EXPECT_EQ(Text("select user_pwd from kz_user where user_name=?", {name}), "pw'd");

    Recordset row(db);
    ASSERT_TRUE(kz::store::EditOrAddProfileRow(row, 3, name));
    row.SetFieldValue("btn1_marco_id", std::string("{guid'}"));
    ASSERT_TRUE(row.Update());
    Recordset read(db);
    ASSERT_TRUE(kz::store::OpenProfileRow(read, 3, name));
    ASSERT_EQ(read.GetRecordCount(), 1);
    std::string macroId;
    read.GetFieldValue("btn1_marco_id", macroId);
    EXPECT_EQ(macroId, "{guid'}");

    const std::string guid = kz::store::NewGuidText();
    ASSERT_TRUE(db.Execute(
        "insert into macro_set_detail2(user_name,mset_guid,macro_guid,macro_name,macro_value) values (?,?,?,?,?)",
        {name, guid, kz::store::NewGuidText(), name + " macro", std::string("65,1,0;")}));
    EXPECT_EQ(Text("select macro_name from macro_set_detail2 where user_name=? and mset_guid=?", {name, guid}),
              name + " macro");
  }
  // Only the one user each name stands for exists: no quoting fault merged or split rows.
  EXPECT_EQ(Number("select count(*) from kz_user"), 4);
}

TEST_F(StoreFixture, LoadCurrentUserMakesTheLocalUserAndMigrates) {
  kz::store::CurrentUser user;
  user.syncLast = 42;
  ASSERT_TRUE(kz::store::LoadCurrentUser(db, kz::store::kPlaceholderPassword, user));
  EXPECT_EQ(user.syncLast, 42) << "a new row leaves the caller's value alone";
  EXPECT_EQ(user.userName, "CommonUser");
  EXPECT_EQ(user.activeProfile, 1);
  EXPECT_EQ(Text("select db_ver from kz_global"), "1.1");
  EXPECT_EQ(Number("select sync_last from kz_user where user_name='CommonUser'"), 0);
  EXPECT_EQ(Number("select profile_active from kz_user where user_name='CommonUser'"), 1);
  EXPECT_EQ(Number("select count(*) from main2"), 0);

  // An existing row gives its profile and sync version; a stored 0 (or nonsense) means profile 1.
  for (auto [stored, expected] : std::vector<std::pair<long long, int>>{{4, 4}, {0, 1}, {9, 1}, {-2, 1}}) {
    ASSERT_TRUE(db.Execute("update kz_user set profile_active=?, sync_last=17", {stored}));
    user.activeProfile = 0;
    ASSERT_TRUE(kz::store::LoadCurrentUser(db, "*", user));
    EXPECT_EQ(user.activeProfile, expected) << stored;
    EXPECT_EQ(user.syncLast, 17);
  }
}

TEST_F(StoreFixture, SchemaVersionsOtherThanOneZeroAreLeftAlone) {
  for (const char* version : {"1.1", "", "2.0", "1.0 "}) {
    SCOPED_TRACE(version);
    ASSERT_TRUE(db.Execute("update kz_global set db_ver=?", {std::string(version)}));
    kz::store::CurrentUser user;
    ASSERT_TRUE(kz::store::LoadCurrentUser(db, "*", user));
    EXPECT_EQ(Text("select db_ver from kz_global"), version);
    EXPECT_EQ(Number("select count(*) from sqlite_master where name='kz_honor'"), 0);
  }
}

TEST_F(StoreFixture, NoGlobalRowLoadsNobody) {
  ASSERT_TRUE(db.Execute("delete from kz_global"));
  kz::store::CurrentUser user;
  user.activeProfile = 0;
  EXPECT_FALSE(kz::store::LoadCurrentUser(db, "*", user));
  EXPECT_EQ(user.activeProfile, 0);
  EXPECT_EQ(Number("select count(*) from kz_user"), 0);
  EXPECT_EQ(Text("select db_ver from kz_global"), "");
}

TEST_F(StoreFixture, RememberAtExitWritesEveryUserRow) {
  ASSERT_TRUE(kz::store::Migrate(db));
  for (const char* name : {"CommonUser", "a", "b'c"})
    ASSERT_TRUE(db.Execute("insert into kz_user(user_name,profile_active) values (?,2)", {std::string(name)}));
  ASSERT_TRUE(kz::store::RememberAtExit(db, "b'c", 3));
  EXPECT_EQ(Text("select last_user from kz_global"), "b'c");
  EXPECT_EQ(Number("select count(*) from kz_user where profile_active=3"), 3);
}

TEST(Guid, TextHasTheFixedShapeAndIsNew) {
  const std::regex shape("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9a-f]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$");
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    std::string g = kz::store::NewGuidText();
    ASSERT_EQ(g.size(), 38u);
    ASSERT_TRUE(std::regex_match(g, shape)) << g;
    seen.insert(g);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST(OpenOrCreate, CreatesPrivateFileAndTakesOverTheProgramFolderCopy) {
  kztest::TempDir root;
  const std::string data = root / "data/", program = root / "program/";
  ASSERT_EQ(::mkdir(data.c_str(), 0700), 0);
  ASSERT_EQ(::mkdir(program.c_str(), 0755), 0);

  Database fresh;
  ASSERT_TRUE(kz::store::OpenOrCreate(fresh, data, program, "1.17", "0.3"));
  struct stat st{};
  ASSERT_EQ(::stat((data + "kzdb.mdb").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  fresh.Close();

  // An older database left in the program folder replaces the data folder's and leaves it.
  ASSERT_TRUE(kz::store::CreateDatabase(program + "kzdb.mdb", "0.9", "0.1"));
  Database moved;
  ASSERT_TRUE(kz::store::OpenOrCreate(moved, data, program, "1.17", "0.3"));
  EXPECT_FALSE(kz::paths::FileExists(program + "kzdb.mdb"));
  Recordset global(moved);
  ASSERT_TRUE(global.Open("kz_global"));
  std::string kzVer;
  global.GetFieldValue("kz_ver", kzVer);
  EXPECT_EQ(kzVer, "0.9");
  ASSERT_EQ(::stat((data + "kzdb.mdb").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(OpenOrCreate, NotADatabaseIsReportedAndLeftInPlace) {
  kztest::TempDir root;
  kztest::WriteAll(root / "kzdb.mdb", "this is not a database, but it is somebody's file");
  std::vector<std::string> messages;
  kz::SetMessageHandler([&](const std::string& text) { messages.push_back(text); });
  Database db;
  EXPECT_FALSE(kz::store::OpenOrCreate(db, root.path(), root / "none/", "1.17", "0.3"));
  kz::SetMessageHandler(nullptr);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0], "error open db");
  EXPECT_FALSE(messages[1].empty());
  EXPECT_EQ(kztest::ReadAll(root / "kzdb.mdb"), "this is not a database, but it is somebody's file");
}

TEST(OpenOrCreate, UncreatableDatabaseTellsTheUser) {
  std::vector<std::string> messages;
  kz::SetMessageHandler([&](const std::string& text) { messages.push_back(text); });
  Database db;
  EXPECT_FALSE(kz::store::OpenOrCreate(db, "/nonexistent-folder/kz/", "/nonexistent-folder/p/", "1.17", "0.3"));
  kz::SetMessageHandler(nullptr);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "无法创建数据库！");
}

}  // namespace
