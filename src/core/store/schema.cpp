#include "store/schema.h"

#include <cstdio>
#include <random>
#include <unistd.h>

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

bool CreateDatabase(const std::string& path, const std::string& softwareVersion, const std::string& firmwareVersion) {
  ::unlink(path.c_str());
  Database local;
  if (!local.Open(path)) {
    ShowMessage(local.GetLastErrorString());
    return false;
  }
  // All of the schema or none of it: a half-made file would pass for a database at the next start.
  bool ok = local.BeginTransaction();
  for (int i = 0; ok && i < kCreateStatementCount; ++i) ok = local.Execute(kCreateStatements[i]);
  ok = ok && local.Execute("Insert into kz_global(kz_ver,hard_ver,db_ver,last_user) values (?,?,'1.0','') ",
                           {softwareVersion, firmwareVersion});
  ok = ok && local.CommitTransaction();
  if (!ok) {
    ShowMessage(local.GetLastErrorString());
    local.Close();
    ::unlink(path.c_str());
    return false;
  }
  return true;
}

bool OpenOrCreate(Database& db, const std::string& dataDir, const std::string& programDir,
                  const std::string& softwareVersion, const std::string& firmwareVersion) {
  const std::string path = dataDir + kDatabaseFileName;
  const std::string old = programDir + kDatabaseFileName;
  if (paths::FileExists(old)) {
    // The copy lands with the owner-only mode of the data folder's file: it holds passwords.
    std::string content;
    if (paths::ReadFile(old, content) && paths::WriteFileAtomic(path, content, 0600)) ::unlink(old.c_str());
  }
  if (!paths::FileExists(path)) {
    if (!CreateDatabase(path, softwareVersion, firmwareVersion)) {
      ::unlink(path.c_str());
      ShowMessage("无法创建数据库！");
      return false;
    }
  }
  if (!db.Open(path)) {
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
