// The database file itself: how it comes into being, what a start does with a file that is
// already there (half-made, foreign, a link, a FIFO), and the journal that lets two programs
// share it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/log.h"
#include "base/notify.h"
#include "base/paths.h"
#include "store/database.h"
#include "store/schema.h"
#include "support/test_support.h"

namespace {

using kztest::ModeOf;
using kztest::ScopedUmask;

using kz::store::Database;
using kz::store::Recordset;

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

long long Number(Database& db, const std::string& sql) {
  Recordset rs(db);
  if (!rs.Open(sql)) return -1;
  long long value = -1;
  rs.GetFieldValue(0, value);
  return value;
}

std::string Text(Database& db, const std::string& sql) {
  Recordset rs(db);
  if (!rs.Open(sql)) return "(" + db.GetLastErrorString() + ")";
  std::string value;
  rs.GetFieldValue(0, value);
  return value;
}

// A data folder with the messages and log lines a start leaves.
class StartFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    kz::log::SetPath(root_ / "kz_log.txt");
    kz::SetMessageHandler([this](const std::string& text) { messages_.push_back(text); });
    ASSERT_EQ(::mkdir(data_.c_str(), 0700), 0);
  }
  void TearDown() override {
    kz::SetMessageHandler(nullptr);
    kz::log::SetPath("");
  }
  bool Start(Database& db) { return kz::store::OpenOrCreate(db, data_, root_ / "program/", "1.17", "0.3"); }
  std::string Path() const { return data_ + "kzdb.mdb"; }
  std::vector<std::string> Log() const { return kztest::LogMessages(root_ / "kz_log.txt"); }
  // A database at `path` made by hand, outside the program.
  static void MakeForeign(const std::string& path, const std::vector<std::string>& statements) {
    Database db;
    kztest::WriteAll(path, "");
    ASSERT_TRUE(db.Open(path, Database::Mode::kAsIs)) << db.GetLastErrorString();
    for (const std::string& sql : statements) ASSERT_TRUE(db.Execute(sql)) << sql << ": " << db.GetLastErrorString();
  }
  // A new database as a first start makes it: the seed row, schema "1.0", the shared journal.
  static void ExpectNewDatabase(Database& db) {
    EXPECT_EQ(Text(db, "pragma integrity_check"), "ok");
    EXPECT_EQ(Number(db, "select count(*) from kz_global"), 1);
    EXPECT_EQ(Text(db, "select db_ver from kz_global"), "1.0");
    EXPECT_EQ(db.JournalMode(), "wal");
  }

  kztest::TempDir root_;
  std::string data_ = root_ / "data/";
  std::vector<std::string> messages_;
};

TEST_F(StartFolder, CreationLeavesOnlyTheWholeFileOwnerOnlyWithTheJournalKeptInIt) {
  Database db;
  ASSERT_TRUE(Start(db));
  ExpectNewDatabase(db);
  EXPECT_TRUE(messages_.empty());
  db.Close();
  // The temporary build file is gone and the log was folded in before the rename.
  EXPECT_EQ(Names(data_), (std::set<std::string>{"kzdb.mdb"}));
  EXPECT_EQ(ModeOf(Path()), 0600u);
  // The journal mode is in the file: a reader that sets nothing up finds it.
  Database plain;
  ASSERT_TRUE(plain.Open(Path(), Database::Mode::kAsIs));
  EXPECT_EQ(Text(plain, "pragma journal_mode"), "wal");

  // Under a umask that would hide the owner's own bits the file still comes out 0600.
  ::unlink(Path().c_str());
  const mode_t old = ::umask(0277);
  const bool made = kz::store::CreateDatabase(Path(), "1.17", "0.3");
  ::umask(old);
  ASSERT_TRUE(made);
  EXPECT_EQ(ModeOf(Path()), 0600u);
}

TEST_F(StartFolder, AFileThatHoldsNothingIsMovedAsideAndReplaced) {
  // What an older build's first start left when it was killed, and what is not that.
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    bool movedAside;
    bool foreign;  // not ours: left byte for byte as it was
  };
  const Case cases[] = {
      {"zero-length", [](const std::string& path) { kztest::WriteAll(path, ""); }, true},
      {"tables but no kz_global and no rows",
       [](const std::string& path) { MakeForeign(path, {"create table kz_user(ID integer primary key, user_name text)"}); },
       true, false},
      {"no kz_global but a row",
       [](const std::string& path) {
         MakeForeign(path, {"create table notes(t text)", "insert into notes values ('keep me')"});
       },
       false, true},
      {"kz_global without rows",
       [](const std::string& path) { MakeForeign(path, {"create table kz_global(ID integer primary key)"}); }, false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(data_);
    ASSERT_EQ(::mkdir(data_.c_str(), 0700), 0);
    messages_.clear();
    c.make(Path());
    const std::string before = kztest::ReadAll(Path());
    Database db;
    ASSERT_TRUE(Start(db)) << (messages_.empty() ? "" : messages_.back());
    if (!c.movedAside) {
      db.Close();
      EXPECT_EQ(Names(data_), (std::set<std::string>{"kzdb.mdb"}));
      if (c.foreign) {
        EXPECT_TRUE(kztest::ReadAll(Path()) == before) << "somebody else's file was changed";
      }
      EXPECT_TRUE(messages_.empty());
      continue;
    }
    ExpectNewDatabase(db);
    db.Close();
    std::set<std::string> names = Names(data_);
    ASSERT_EQ(names.size(), 2u);
    names.erase("kzdb.mdb");
    const std::string aside = *names.begin();
    EXPECT_TRUE(std::regex_match(aside, std::regex(R"(kzdb\.mdb\.bad-\d{8}-\d{6})"))) << aside;
    EXPECT_TRUE(kztest::ReadAll(data_ + aside) == before) << "kept as it was, for a look";
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find(data_ + aside), std::string::npos) << messages_[0];
    const auto log = Log();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& line) {
      return line.find("held no data") != std::string::npos && line.find(aside) != std::string::npos;
    }));
  }
}

TEST_F(StartFolder, ALinkAFifoOrAFolderAtThePathIsRefusedAndLeftAlone) {
  kztest::TempDir elsewhere;
  ASSERT_TRUE(kz::store::CreateDatabase(elsewhere / "kzdb.mdb", "0.9", "0.1"));
  const std::string target = kztest::ReadAll(elsewhere / "kzdb.mdb");
  struct Case {
    const char* name;
    std::function<int(const std::string&)> make;
    const char* reason;
  };
  const Case cases[] = {
      {"link to a database", [&](const std::string& p) { return ::symlink((elsewhere / "kzdb.mdb").c_str(), p.c_str()); },
       "is a symbolic link"},
      {"dangling link", [&](const std::string& p) { return ::symlink((elsewhere / "none").c_str(), p.c_str()); },
       "is a symbolic link"},
      // Opened for reading, a FIFO without a writer would hold the start for ever.
      {"FIFO", [](const std::string& p) { return ::mkfifo(p.c_str(), 0600); }, "is not a regular file"},
      {"folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0700); }, "is not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages_.clear();
    ASSERT_EQ(c.make(Path()), 0);
    struct stat before{};
    ASSERT_EQ(::lstat(Path().c_str(), &before), 0);
    Database db;
    EXPECT_FALSE(Start(db));
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[0], "error open db");
    EXPECT_EQ(messages_[1], Path() + " " + c.reason + (std::string(c.reason) == "is a symbolic link"
                                                            ? "; the database is not opened through it"
                                                            : "; it is not opened as the database"));
    struct stat after{};
    ASSERT_EQ(::lstat(Path().c_str(), &after), 0) << "never removed";
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(Names(data_), (std::set<std::string>{"kzdb.mdb"})) << "nothing made beside it";
    std::filesystem::remove(Path());
  }
  EXPECT_EQ(kztest::ReadAll(elsewhere / "kzdb.mdb"), target) << "a link is never written through";
  EXPECT_EQ(Names(elsewhere.path()), (std::set<std::string>{"kzdb.mdb"}));
}

TEST_F(StartFolder, AnExistingFileOpenToOthersIsNarrowedToTheOwnerWithItsLog) {
  ASSERT_TRUE(kz::store::CreateDatabase(Path(), "1.17", "0.3"));
  // Another connection keeps the log and its index in place, as a running window does.
  Database keeper;
  ASSERT_TRUE(keeper.Open(Path()));
  ASSERT_TRUE(keeper.Execute("insert into kz_user(user_name) values ('k')"));
  for (unsigned wide : {0644u, 0666u, 0640u, 04600u}) {
    SCOPED_TRACE(wide);
    for (const char* suffix : {"", "-wal", "-shm"}) ASSERT_EQ(::chmod((Path() + suffix).c_str(), wide), 0) << suffix;
    Database db;
    ASSERT_TRUE(Start(db));
    // The log and its index hold the same rows as the file.
    for (const char* suffix : {"", "-wal", "-shm"}) EXPECT_EQ(ModeOf(Path() + suffix), 0600u) << suffix;
    EXPECT_EQ(Number(db, "select count(*) from kz_user"), 1);
  }
  // Looking at the file did not take the other connection's locks away: it still writes alone.
  ASSERT_TRUE(keeper.Execute("BEGIN IMMEDIATE"));
  Database late;
  ASSERT_TRUE(late.Open(Path()));
  late.SetBusyTimeout(0);
  EXPECT_FALSE(late.Execute("BEGIN IMMEDIATE"));
  ASSERT_TRUE(keeper.Execute("ROLLBACK"));
}

TEST_F(StartFolder, LeftoversOfAKilledBuildGoAndALogWithoutItsDatabaseIsNotPlayedIntoTheNewOne) {
  // A database of someone else's, in the log mode, with rows that only its log holds.
  kztest::TempDir other;
  {
    Database foreign;
    kztest::WriteAll(other / "x.db", "");
    ASSERT_TRUE(foreign.Open(other / "x.db"));
    ASSERT_TRUE(foreign.Execute("pragma wal_autocheckpoint=0"));
    ASSERT_TRUE(foreign.Execute("create table kz_global(ID integer primary key, kz_ver text)"));
    ASSERT_TRUE(foreign.Execute("insert into kz_global(kz_ver) values ('from the stray log')"));
    kztest::WriteAll(Path() + "-wal", kztest::ReadAll(other / "x.db-wal"));
  }
  kztest::WriteAll(data_ + "kzdb.mdb.new-Ab12Cd", "half a database");
  kztest::WriteAll(data_ + "kzdb.mdb.new-Ab12Cd-journal", "its journal");
  kztest::WriteAll(data_ + "notes.txt", "not ours");

  Database db;
  ASSERT_TRUE(Start(db));
  ExpectNewDatabase(db);
  EXPECT_EQ(Text(db, "select kz_ver from kz_global"), "1.17");
  db.Close();
  std::set<std::string> names = Names(data_);
  EXPECT_EQ(names.count("kzdb.mdb.new-Ab12Cd"), 0u);
  EXPECT_EQ(names.count("kzdb.mdb.new-Ab12Cd-journal"), 0u);
  EXPECT_EQ(names.count("notes.txt"), 1u);
  EXPECT_EQ(names.count("kzdb.mdb-wal"), 0u);
  EXPECT_TRUE(std::any_of(names.begin(), names.end(),
                          [](const std::string& n) { return n.rfind("kzdb.mdb-wal.bad-", 0) == 0; }));
}

TEST_F(StartFolder, AFailedBuildLeavesNoTemporaryFile) {
  // A folder in the way makes the final rename fail, after the whole file was built.
  ASSERT_EQ(::mkdir(Path().c_str(), 0700), 0);
  kztest::WriteAll(Path() + "/inside", "x");
  EXPECT_FALSE(kz::store::CreateDatabase(Path(), "1.17", "0.3"));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("cannot rename"), std::string::npos) << messages_[0];
  EXPECT_EQ(Names(data_), (std::set<std::string>{"kzdb.mdb"}));
  EXPECT_EQ(Names(Path()), (std::set<std::string>{"inside"}));
}

TEST_F(StartFolder, WindowAndToolShareTheFile) {
  Database window, tool;
  ASSERT_TRUE(Start(window));
  ASSERT_TRUE(tool.Open(Path()));
  window.SetBusyTimeout(250);
  ASSERT_TRUE(window.Execute("insert into kz_user(user_name) values ('before')"));

  // The tool's save is under way: the window still reads, at once, what was committed.
  kz::store::Transaction save(tool);
  ASSERT_TRUE(save.Active());
  ASSERT_TRUE(tool.Execute("insert into kz_user(user_name) values ('pending')"));
  EXPECT_EQ(Number(window, "select count(*) from kz_user"), 1) << window.GetLastErrorString();
  ASSERT_TRUE(save.Commit());
  EXPECT_EQ(Number(window, "select count(*) from kz_user"), 2);

  // A reader in the middle of a read does not hold up the other program's save.
  ASSERT_TRUE(window.Execute("BEGIN"));
  EXPECT_EQ(Number(window, "select count(*) from kz_user"), 2);
  ASSERT_TRUE(tool.Execute("insert into kz_user(user_name) values ('later')")) << tool.GetLastErrorString();
  EXPECT_EQ(Number(window, "select count(*) from kz_user"), 2) << "its read sees one state throughout";
  ASSERT_TRUE(window.Execute("COMMIT"));
  EXPECT_EQ(Number(window, "select count(*) from kz_user"), 3);
}

TEST(RecordsetUpdate, AnEditOfARowThatIsGoneStoresNothingAndSaysSo) {
  kztest::TempDir dir;
  ASSERT_TRUE(kz::store::CreateDatabase(dir / "kzdb.mdb", "1.17", "0.3"));
  Database db;
  ASSERT_TRUE(db.Open(dir / "kzdb.mdb"));
  ASSERT_TRUE(db.Execute("insert into main2(user_name, profile_id) values ('u', 1)"));
  Recordset rs(db);
  ASSERT_TRUE(rs.Open("select * from main2 where profile_id=1"));
  ASSERT_TRUE(db.Execute("delete from main2"));
  ASSERT_TRUE(rs.Edit());
  ASSERT_TRUE(rs.SetFieldValue("dpi_1", 400LL));
  EXPECT_FALSE(rs.Update());
  EXPECT_NE(db.GetLastErrorString().find("changed no row of main2"), std::string::npos) << db.GetLastErrorString();
  EXPECT_EQ(Number(db, "select count(*) from main2"), 0);
}

TEST(ProfileColumns, AreTheColumnsTheSchemaGivesMain2InOrder) {
  kztest::TempDir dir;
  ASSERT_TRUE(kz::store::CreateDatabase(dir / "kzdb.mdb", "1.17", "0.3"));
  Database db;
  ASSERT_TRUE(db.Open(dir / "kzdb.mdb"));
  Recordset rs(db);
  ASSERT_TRUE(rs.Open("main2"));
  std::vector<std::string> names;
  for (int i = 0; i < rs.GetFieldCount(); ++i) names.push_back(rs.GetFieldName(i));
  EXPECT_EQ(kz::store::ProfileColumns(), names);
  EXPECT_EQ(names.size(), 81u);
}

}  // namespace
