#include "store/schema.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "base/log.h"
#include "base/notify.h"
#include "base/paths.h"

namespace kz::store {

// SQLite spells the key "INTEGER PRIMARY KEY AUTOINCREMENT"; everything else keeps the column
// names, types, defaults and order the rest of the program relies on (columns are read by position).
const char* const kCreateStatements[] = {
    "CREATE TABLE kz_user(ID INTEGER PRIMARY KEY AUTOINCREMENT,user_name VarChar(64) NOT NULL,"
    "user_pwd VarChar(64) NULL,mouse_left int NULL default 0,mouse_right int NULL default 0,"
    "mouse_middle int NULL default 0,wheel_up int NULL default 0,wheel_down int NULL default 0,"
    "move_distance int NULL default 0,profile_active int NULL default 1,sync_last int NULL default 1,"
    "my_score int NULL default 0,my_level int NULL default 0)",
    "Create Unique Index i_user_name ON kz_user ([user_name])",
    "CREATE TABLE main2(ID INTEGER PRIMARY KEY AUTOINCREMENT,user_name VarChar(64) NOT NULL,profile_id int NULL,"
    "dpi_active int NULL,dpi_1 int NULL,dpi_1c int NULL,dpi_2 int NULL,dpi_2c int NULL,dpi_3 int NULL,"
    "dpi_3c int NULL,dpi_4 int NULL,dpi_4c int NULL,report_rate int NULL,"
    "light1_clrtype int NULL,light1_preset int NULL,light1_rgb int NULL,light1_on int NULL,"
    "light1_breath int NULL,light1_speed int NULL,"
    "light2_clrtype int NULL,light2_preset int NULL,light2_rgb int NULL,light2_on int NULL,"
    "light2_breath int NULL,light2_speed int NULL,"
    "btn1 int NULL,btn1_keycode int NULL,btn1_extra int NULL,btn1_marco_id VarChar(64) NULL,"
    "btn2 int NULL,btn2_keycode int NULL,btn2_extra int NULL,btn2_marco_id VarChar(64) NULL,"
    "btn3 int NULL,btn3_keycode int NULL,btn3_extra int NULL,btn3_marco_id VarChar(64) NULL,"
    "btn4 int NULL,btn4_keycode int NULL,btn4_extra int NULL,btn4_marco_id VarChar(64) NULL,"
    "btn5 int NULL,btn5_keycode int NULL,btn5_extra int NULL,btn5_marco_id VarChar(64) NULL,"
    "btn6 int NULL,btn6_keycode int NULL,btn6_extra int NULL,btn6_marco_id VarChar(64) NULL,"
    "btn7 int NULL,btn7_keycode int NULL,btn7_extra int NULL,btn7_marco_id VarChar(64) NULL,"
    "btn8 int NULL,btn8_keycode int NULL,btn8_extra int NULL,btn8_marco_id VarChar(64) NULL,"
    "btn9 int NULL,btn9_keycode int NULL,btn9_extra int NULL,btn9_marco_id VarChar(64) NULL,"
    "btn10 int NULL,btn10_keycode int NULL,btn10_extra int NULL,btn10_marco_id VarChar(64) NULL,"
    "btn11 int NULL,btn11_keycode int NULL,btn11_extra int NULL,btn11_marco_id VarChar(64) NULL,"
    "btn12 int NULL,btn12_keycode int NULL,btn12_extra int NULL,btn12_marco_id VarChar(64) NULL,"
    "doubleClick int NULL,Sense int NULL,sensitivity int NULL,sensitivity_x int NULL,sensitivity_y int NULL,"
    "vertical_scroll_page int NULL,vertical_scroll_speed int NULL,mouse_point_speed int NULL)",
    "CREATE TABLE macro_set2(ID INTEGER PRIMARY KEY AUTOINCREMENT,user_name VarChar(64) NOT NULL,"
    "mset_name VarChar(64) NOT NULL,mset_guid VarChar(64) NOT NULL)",
    "Create Unique Index i_mset_guid ON macro_set2 ([mset_guid])",
    "CREATE TABLE macro_set_detail2(ID INTEGER PRIMARY KEY AUTOINCREMENT,user_name VarChar(64) NOT NULL,"
    "mset_guid VarChar(64) NOT NULL,macro_guid VarChar(64) NOT NULL,macro_name VarChar(64) NOT NULL,"
    "macro_value Memo NULL,macro_repeat int NULL default 1,repeat_sel int NULL default 0)",
    // Index names are global in SQLite, so the detail table's index has a name of its own.
    "Create Index i_detail_mset_guid ON macro_set_detail2 ([mset_guid])",
    "Create Unique Index i_macro_guid ON macro_set_detail2 ([macro_guid])",
    "CREATE TABLE kz_global(ID INTEGER PRIMARY KEY AUTOINCREMENT,kz_ver VarChar(64) NOT NULL,"
    "hard_ver VarChar(64) NOT NULL,db_ver VarChar(64) NOT NULL,last_user VarChar(64) NULL)",
};
const int kCreateStatementCount = sizeof kCreateStatements / sizeof kCreateStatements[0];

const char* const kMigrateStatements[] = {
    "CREATE TABLE kz_honor(ID INTEGER PRIMARY KEY AUTOINCREMENT,user_name VarChar(64) NOT NULL,"
    "honor_type int not null default 0,honor_level int not null default 0,create_time int null default 0)",
    "alter table kz_user add column online_time_min int null default 0",
    "alter table kz_user add column login_time int null default 0",
    "alter table kz_user add column login_days int null default 0",
    "alter table kz_user add column signin_count int null default 0",
    "alter table kz_user add column update_time int null default 0",
    "alter table kz_user add column share_count int null default 0",
    "alter table kz_user add column invite_count int null default 0",
};
const int kMigrateStatementCount = sizeof kMigrateStatements / sizeof kMigrateStatements[0];

const std::vector<std::string>& ProfileColumns() {
  // Read off the statement that makes the table, so the list cannot drift from it.
  static const std::vector<std::string> columns = [] {
    std::vector<std::string> names;
    const std::string head = "CREATE TABLE main2(";
    for (const char* statement : kCreateStatements) {
      const std::string text = statement;
      if (text.rfind(head, 0) != 0) continue;
      const std::string body = text.substr(head.size(), text.rfind(')') - head.size());
      size_t start = 0;
      while (start < body.size()) {
        size_t end = body.find(',', start);
        if (end == std::string::npos) end = body.size();
        const std::string definition = body.substr(start, end - start);
        names.push_back(definition.substr(0, definition.find(' ')));
        start = end + 1;
      }
    }
    return names;
  }();
  return columns;
}

namespace {

std::string ErrnoText() { return std::strerror(errno); }

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

// rename(2) that fails with EEXIST instead of replacing `to`; link and unlink where the file
// system has no such rename.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  if (::link(from.c_str(), to.c_str()) != 0) return -1;
  ::unlink(from.c_str());
  return 0;
}

// Makes a rename or unlink in `folder` survive a crash of the machine, not only of the process.
void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Every process that makes, repairs or takes over the database holds this lock on the data
// folder while it does: two first starts at once would otherwise each move the other's new file
// aside or clear away its half-built copy.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) return;
    // A bounded wait: the holder only builds a small file, and a stopped holder must not keep
    // this start waiting for ever (the renames below never replace a database in any case).
    for (int attempt = 0; attempt < 500; ++attempt) {
      if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
      if (errno != EWOULDBLOCK && errno != EINTR) return;
      ::usleep(10000);
    }
    Log("store: %s stays locked by another process; going on without the lock", folder.c_str());
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

std::string Stamp() {
  std::time_t now = std::time(nullptr);
  std::tm local {};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

// Renames `path` (and its write-ahead log, which belongs to it and to no other file) to
// "<path>.bad-<YYYYmmdd-HHMMSS>", with "-2", "-3" ... when that name is taken.
bool MoveAside(const std::string& path, std::string& aside, std::string& reason) {
  const std::string stamp = Stamp();
  for (int n = 1; n <= 100; ++n) {
    aside = path + ".bad-" + stamp + (n > 1 ? "-" + std::to_string(n) : "");
    if (Exists(aside) || Exists(aside + "-wal")) continue;
    // The log goes first: a log left behind would be played into the next file of that name.
    if (Exists(path + "-wal") && RenameNoReplace(path + "-wal", aside + "-wal") != 0) {
      if (errno == EEXIST) continue;
      reason = "cannot move " + path + "-wal aside: " + ErrnoText();
      return false;
    }
    if (RenameNoReplace(path, aside) != 0) {
      if (errno == EEXIST) continue;
      reason = "cannot move " + path + " aside: " + ErrnoText();
      return false;
    }
    ::unlink((path + "-shm").c_str());  // an index of the log, rebuilt from it
    SyncFolder(paths::DirName(path));
    return true;
  }
  reason = "cannot find a free name to move " + path + " aside";
  return false;
}

std::string QuoteName(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

enum class Found { kOurs, kNothing, kForeign, kUnreadable };

// What the file at `path` holds. kNothing: a database with no kz_global table and no row in any
// table (a zero-length file is one), what a first start of an older build left when it was killed
// before its schema was in. kForeign: rows but no kz_global, somebody else's database. A file
// that is not a database at all, or cannot be read, is kUnreadable: reported when opened.
Found Examine(const std::string& path) {
  Database probe;
  if (!probe.Open(path, Database::Mode::kAsIs)) return Found::kUnreadable;
  Recordset tables(probe);
  if (!tables.Open("select name from sqlite_master where type='table'")) return Found::kUnreadable;
  std::vector<std::string> names;
  for (; !tables.IsEOF(); tables.MoveNext()) {
    std::string name;
    tables.GetFieldValue(0, name);
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "kz_global") return Found::kOurs;
    names.push_back(name);
  }
  for (const std::string& name : names) {
    Recordset rows(probe);
    if (!rows.Open("select 1 from " + QuoteName(name) + " limit 1")) return Found::kUnreadable;
    if (rows.GetRecordCount() > 0) return Found::kForeign;
  }
  return Found::kNothing;
}

// Copies of a database are read and written as plain files only with their log folded in; a log
// that stays after closing belongs to a connection that still has the file open.
bool LogFolded(const std::string& path) {
  if (!Exists(path + "-wal")) return true;
  {
    Database fold;
    fold.Open(path, Database::Mode::kAsIs);
  }
  return !Exists(path + "-wal");
}

// Temporary files of a build that was killed half-way. Only called under the folder lock, so no
// build is running.
void RemoveUnfinishedBuilds(const std::string& dataDir) {
  DIR* dir = ::opendir(dataDir.c_str());
  if (!dir) return;
  const std::string prefix = std::string(kDatabaseFileName) + ".new-";
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(dir))
    if (std::string name = entry->d_name; name.rfind(prefix, 0) == 0) names.push_back(name);
  ::closedir(dir);
  for (const std::string& name : names) {
    if (::unlink((dataDir + name).c_str()) == 0) Log("store: removed %s of an unfinished database build", name.c_str());
  }
}

enum class Built { kMade, kTaken, kFailed };

// Builds a whole database beside `path` and renames it into place, so that the name only ever
// names a complete file: a kill leaves no database (and a temporary file that the next start
// removes) or a whole one. Without `replace` an existing file wins (kTaken).
Built BuildDatabaseFile(const std::string& path, const std::string& softwareVersion,
                        const std::string& firmwareVersion, bool replace, std::string& reason) {
  std::string temp = path + ".new-XXXXXX";
  int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    reason = "cannot make a temporary file for " + path + ": " + ErrnoText();
    return Built::kFailed;
  }
  // Owner-only whatever the umask: the file will hold account passwords.
  bool ok = ::fchmod(fd, 0600) == 0;
  ::close(fd);
  auto discard = [&temp] {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) ::unlink((temp + suffix).c_str());
  };
  if (!ok) {
    reason = "cannot set the mode of " + temp + ": " + ErrnoText();
    discard();
    return Built::kFailed;
  }
  {
    Database local;
    // All of the schema and the seed row in one transaction: a half-made file is never made.
    ok = local.Open(temp, Database::Mode::kAsIs) && local.BeginTransaction();
    for (int i = 0; ok && i < kCreateStatementCount; ++i) ok = local.Execute(kCreateStatements[i]);
    ok = ok && local.Execute("Insert into kz_global(kz_ver,hard_ver,db_ver,last_user) values (?,?,'1.0','') ",
                             {softwareVersion, firmwareVersion});
    ok = ok && local.CommitTransaction();
    // The log mode is kept in the file, so the first connection to the real name finds it set.
    ok = ok && local.Execute("PRAGMA journal_mode=WAL");
    if (!ok) reason = local.GetLastErrorString();
  }
  // Closing folded the log into the file; a log still there would not travel with the rename.
  if (ok && Exists(temp + "-wal")) {
    ok = false;
    reason = "the new database kept its log " + temp + "-wal";
  }
  if (ok) {
    int sync = ::open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    ok = sync >= 0 && ::fsync(sync) == 0;
    if (!ok) reason = "cannot flush " + temp + ": " + ErrnoText();
    if (sync >= 0) ::close(sync);
  }
  if (!ok) {
    discard();
    return Built::kFailed;
  }
  if (replace) {
    // The old file's log would be played into the new one; it goes before the file does.
    ::unlink((path + "-wal").c_str());
    ::unlink((path + "-shm").c_str());
    ok = std::rename(temp.c_str(), path.c_str()) == 0;
  } else if (RenameNoReplace(temp, path) != 0) {
    if (errno == EEXIST) {
      discard();
      return Built::kTaken;
    }
    ok = false;
  }
  if (!ok) {
    reason = "cannot rename " + temp + " to " + path + ": " + ErrnoText();
    discard();
    return Built::kFailed;
  }
  SyncFolder(paths::DirName(path));
  return Built::kMade;
}

// An older "kzdb.mdb" in the program folder replaces the data folder's (the program folder's
// copy wins).
void TakeOverProgramCopy(const std::string& old, const std::string& path) {
  if (!paths::FileExists(old)) return;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return;  // refused when opened, with the reason
  if (!LogFolded(old) || !LogFolded(path)) {
    Log("store: %s or %s is open elsewhere; the program folder's copy is taken over another time", old.c_str(),
        path.c_str());
    return;
  }
  // The copy lands with the owner-only mode of the data folder's file: it holds passwords.
  std::string content;
  if (paths::ReadFile(old, content) && paths::WriteFileAtomic(path, content, 0600)) {
    ::unlink(old.c_str());
    ::unlink((old + "-shm").c_str());
  }
}

}  // namespace

bool CreateDatabase(const std::string& path, const std::string& softwareVersion, const std::string& firmwareVersion) {
  FolderLock lock(paths::DirName(path));
  std::string reason;
  if (BuildDatabaseFile(path, softwareVersion, firmwareVersion, true, reason) == Built::kMade) return true;
  ShowMessage(reason);
  return false;
}

bool OpenOrCreate(Database& db, const std::string& dataDir, const std::string& programDir,
                  const std::string& softwareVersion, const std::string& firmwareVersion) {
  const std::string path = dataDir + kDatabaseFileName;
  FolderLock lock(dataDir);
  TakeOverProgramCopy(programDir + kDatabaseFileName, path);
  RemoveUnfinishedBuilds(dataDir);
  struct stat st {};
  bool present = ::lstat(path.c_str(), &st) == 0;
  const Found found = present && S_ISREG(st.st_mode) ? Examine(path) : Found::kUnreadable;
  if (found == Found::kNothing) {
    // Nothing in it to lose, but it is kept for a look: moved aside, and a new one made.
    std::string aside, reason;
    if (!MoveAside(path, aside, reason)) {
      Log("store: %s holds no data and cannot be moved aside: %s", path.c_str(), reason.c_str());
      ShowMessage("error open db");
      ShowMessage(reason);
      return false;
    }
    Log("store: %s held no data (a first start cut short); moved to %s", path.c_str(), aside.c_str());
    ShowMessage("数据库文件中没有数据（上次首次启动未完成），已移到 " + aside + "，将新建数据库。");
    present = false;
  }
  if (!present) {
    // A log without its database would be played into the new file of that name.
    if (std::string aside, reason; Exists(path + "-wal")) {
      if (MoveAside(path + "-wal", aside, reason))
        Log("store: %s-wal had no database; moved to %s", path.c_str(), aside.c_str());
      else
        Log("store: %s", reason.c_str());
    }
    std::string reason;
    if (BuildDatabaseFile(path, softwareVersion, firmwareVersion, false, reason) == Built::kFailed) {
      Log("store: cannot create %s: %s", path.c_str(), reason.c_str());
      ShowMessage(reason);
      ShowMessage("无法创建数据库！");
      return false;
    }
  }
  // Somebody else's rows are only read (the user then fails to load): not even its journal
  // mode is changed.
  if (!db.Open(path, found == Found::kForeign ? Database::Mode::kAsIs : Database::Mode::kUse)) {
    ShowMessage("error open db");
    ShowMessage(db.GetLastErrorString());
    return false;
  }
  return true;
}

bool Migrate(Database& db) {
  if (!db.BeginTransaction()) return false;
  bool ok = true;
  for (int i = 0; ok && i < kMigrateStatementCount; ++i) ok = db.Execute(kMigrateStatements[i]);
  ok = ok && db.Execute("update kz_global set db_ver=?", {std::string("1.1")});
  if (ok && db.CommitTransaction()) return true;
  std::string reason = db.GetLastErrorString();
  db.RollbackTransaction();
  db.SetLastError(reason);
  return false;
}

std::string NewGuidText() {
  static thread_local std::mt19937_64 engine{std::random_device{}()};
  unsigned char b[16];
  for (int i = 0; i < 16; i += 8) {
    unsigned long long r = engine();
    for (int j = 0; j < 8; ++j) b[i + j] = static_cast<unsigned char>(r >> (8 * j));
  }
  b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
  b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // variant 1
  unsigned long data1 = (static_cast<unsigned long>(b[0]) << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
  unsigned data2 = static_cast<unsigned>((b[4] << 8) | b[5]);
  unsigned data3 = static_cast<unsigned>((b[6] << 8) | b[7]);
  char text[64];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}", data1, data2, data3, b[8],
                b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
  return text;
}

}  // namespace kz::store
