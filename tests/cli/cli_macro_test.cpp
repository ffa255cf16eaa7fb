// kzmousectl's macro and button commands as a whole program, on temporary XDG folders and the
// simulated mouse.
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

#include "base/paths.h"
#include "store/database.h"
#include "support/test_support.h"

namespace {

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

std::string Repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// The lines of a factory profile's write around the button map.
const std::string kDpiLine = "03 10 04 01 20 40 80 A4";
const std::string kReportLine = "03 12 00 00 10 01 01 00 00 00 00";
const std::string kLightLine = "03 09 11 00 FF 91 00 FF 91 00 00";

class CliMacro : public ::testing::Test {
 protected:
  // Standard output through the pipe, standard error through a file of the test's own folder.
  Result Run(const std::vector<std::string>& args) {
    const std::string errPath = xdg_.root() / "stderr.txt";
    kztest::ToolRun run = kztest::RunTool("kzmousectl", args, errPath);
    Result result;
    result.code = run.code;
    result.out = run.output;
    result.err = kztest::ReadAll(errPath);
    return result;
  }
  // A run that must succeed; its standard output.
  std::string Ok(const std::vector<std::string>& args) {
    Result r = Run(args);
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(r.err, "");
    return r.out;
  }

  std::string DatabasePath() const { return xdg_.dataDir() + "kzdb.mdb"; }
  std::string TracePath() const { return xdg_.root() / "trace.txt"; }
  std::vector<std::string> TakeTrace() {
    std::vector<std::string> lines = kztest::ReadLines(TracePath());
    std::remove(TracePath().c_str());
    return lines;
  }
  void Sql(const std::string& sql) {
    kz::store::Database db;
    ASSERT_TRUE(db.Open(DatabasePath())) << db.GetLastErrorString();
    ASSERT_TRUE(db.Execute(sql)) << sql << ": " << db.GetLastErrorString();
  }
  // The first column of the first row as text; "NULL" for a NULL, "-" for no row.
  std::string Value(const std::string& sql) {
    kz::store::Database db;
    if (!db.Open(DatabasePath())) return "no database";
    kz::store::Recordset rs(db);
    if (!rs.Open(sql) || rs.GetRecordCount() == 0) return "-";
    rs.MoveFirst();
    kz::store::Value v = rs.GetValue(0);
    if (std::holds_alternative<std::monostate>(v)) return "NULL";
    if (const long long* n = std::get_if<long long>(&v)) return std::to_string(*n);
    return std::get<std::string>(v);
  }
  // The show line of one field, as the text output prints it.
  static std::string Line(const std::string& name, const std::string& value) {
    return name + std::string(20 - name.size(), ' ') + value + "\n";
  }

  kztest::ScopedXdg xdg_;
  kztest::ScopedEnv trace_{"KZMOUSE_SIM_TRACE", (xdg_.root() / "trace.txt").c_str()};
  kztest::ScopedEnv state_{"KZMOUSE_SIM_STATE", nullptr};
  kztest::ScopedEnv device_{"KZMOUSE_DEVICE", nullptr};
};

TEST_F(CliMacro, SetsAreListedWithTheirMacrosAndRemovingOneKeepsThem) {
  const std::string longName = Repeated("键", 64);  // 64 characters, 192 bytes
  EXPECT_EQ(Ok({"macro", "set", "add", " Games "}), "added macro set Games\n");
  EXPECT_EQ(Ok({"macro", "set", "add", longName}), "added macro set " + longName + "\n");
  EXPECT_EQ(Ok({"macro", "set", "add", "Work"}), "added macro set Work\n");
  Result taken = Run({"macro", "set", "add", "Games"});
  EXPECT_EQ(taken.code, 2);
  EXPECT_EQ(taken.out, "");
  EXPECT_EQ(taken.err, "kzmousectl: 存在同名宏定义集名称！\n");
  {
    // In English, as asked for in the environment or remembered from the window's choice; the
    // exit code and the stored rows are the same.
    kztest::ScopedEnv english("KZMOUSE_LANG", "en");
    Result inEnglish = Run({"macro", "set", "add", "Games"});
    EXPECT_EQ(inEnglish.code, 2);
    EXPECT_EQ(inEnglish.err, "kzmousectl: A macro set of that name exists!\n");
  }
  kztest::WriteAll(xdg_.dataDir() + "language", "en\n");
  EXPECT_EQ(Run({"macro", "set", "add", "Games"}).err, "kzmousectl: A macro set of that name exists!\n");
  std::remove((xdg_.dataDir() + "language").c_str());

  Ok({"macro", "add", "Games", "copy", "--events", "ctrl+c"});
  Ok({"macro", "add", "Games", "paste", "--events", "ctrl+v"});
  Ok({"macro", "add", "Work", "save", "--events", "ctrl+s"});
  EXPECT_EQ(Ok({"macro", "set", "list"}), "Games (2 macros)\n" + longName + " (0 macros)\nWork (1 macro)\n");
  EXPECT_EQ(Ok({"macro", "set", "list", "--json"}),
            "{\n  \"sets\" : \n  [\n"
            "    {\n      \"macros\" : 2,\n      \"name\" : \"Games\"\n    },\n"
            "    {\n      \"macros\" : 0,\n      \"name\" : \"" + longName + "\"\n    },\n"
            "    {\n      \"macros\" : 1,\n      \"name\" : \"Work\"\n    }\n"
            "  ],\n  \"user\" : \"CommonUser\"\n}\n");

  EXPECT_EQ(Ok({"macro", "set", "rm", "Games"}),
            "deleted macro set Games; its 2 macros stay, as buttons may use them (see kzmousectl macro list)\n");
  EXPECT_EQ(Ok({"macro", "set", "rm", longName}), "deleted macro set " + longName + "\n");
  EXPECT_EQ(Ok({"macro", "set", "list"}), "Work (1 macro)\n");
  EXPECT_EQ(Ok({"macro", "list"}), "copy (set (deleted set), 4 key rows, plays 1)\n"
                                   "paste (set (deleted set), 4 key rows, plays 1)\n"
                                   "save (set Work, 4 key rows, plays 1)\n");
  // The kept macros still hold their names, whatever set a new one goes into.
  Result again = Run({"macro", "add", "Work", " copy", "--events", "a"});
  EXPECT_EQ(again.code, 2);
  EXPECT_EQ(again.err, "kzmousectl: 存在同名名称！\n");
  EXPECT_EQ(Value("select count(*) from macro_set_detail2"), "3");
}

TEST_F(CliMacro, EventsInEitherFormAreStoredAsTheRecorderStoresThem) {
  Ok({"macro", "set", "add", "Games"});
  EXPECT_EQ(Ok({"macro", "add", "Games", "copy", "--events", "ctrl+c,100ms,a", "--repeat", "3"}),
            "added macro copy to set Games: 6 key rows, plays 3 times\n");
  EXPECT_EQ(Ok({"macro", "show", "copy"}),
            Line("macro", "copy") + Line("set", "Games") + Line("plays", "3 (repeat on)") + Line("key rows", "6") +
                Line("events", "ctrl+c,100ms,a") +
                Line("stored", "162,1,0;67,1,0;67,0,0;162,0,100;0,0,100;65,1,0;65,0,0;") +
                Line("row 1", "Down LeftControl") + Line("row 2", "Down C") + Line("row 3", "Up C") +
                Line("row 4", "Up LeftControl, then 100 ms") + Line("row 5", "Delay 100ms") + Line("row 6", "Down A") +
                Line("row 7", "Up A") +
                Line("device block 1", "81 E0 00 08 81 06 00 08 82 06 00 08 82 E0 00 64 81 04 00 08 82 04 00 08"));

  const struct {
    std::string events, stored, readable;
  } cases[] = {
      // Pauses in a row are one pause; blanks and case do not matter.
      {" Shift + F1 , 30ms,20MS, enter", "160,1,0;112,1,0;112,0,0;160,0,50;0,0,50;13,1,0;13,0,0;",
       "shift+f1,50ms,enter"},
      {"ctrl+alt+win+Delete Forward", "162,1,0;164,1,0;91,1,0;46,1,0;46,0,0;91,0,0;164,0,0;162,0,0;",
       "ctrl+alt+win+deleteforward"},
      {"ctrl++,-", "162,1,0;107,1,0;107,0,0;162,0,0;109,1,0;109,0,0;", "ctrl++,-"},
      {"caps lock,NumPad 1,b,5ms", "20,1,0;20,0,0;97,1,0;97,0,0;66,1,0;66,0,5;0,0,5;", "capslock,numpad1,b,5ms"},
      // The stored form is kept as given, also where the readable form has no way to say it.
      {"66,1,0;66,0,0;", "66,1,0;66,0,0;", "b"},
      {"65,1,0;0,0,30;65,0,12;", "65,1,0;0,0,30;65,0,12;", "(not expressible as TEXT; see the rows)"},
      {"0,0,40;65,1,0;65,0,0;", "0,0,40;65,1,0;65,0,0;", "(not expressible as TEXT; see the rows)"},
      {Repeated("a,", 29) + "a", Repeated("65,1,0;65,0,0;", 30), Repeated("a,", 29) + "a"},  // 60 key rows
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.events);
    const std::string name = "m" + std::to_string(++n);
    ASSERT_EQ(Run({"macro", "add", "Games", name, "--events", c.events}).code, 0);
    EXPECT_EQ(Value("select macro_value from macro_set_detail2 where macro_name='" + name + "'"), c.stored);
    const std::string show = Ok({"macro", "show", name});
    EXPECT_NE(show.find("\n" + Line("events", c.readable)), std::string::npos) << show;
    EXPECT_NE(show.find("\n" + Line("stored", c.stored)), std::string::npos) << show;
    // What show prints as the events gives the same rows again.
    if (c.readable[0] != '(') {
      ASSERT_EQ(Run({"macro", "add", "Games", name + "again", "--events", c.readable}).code, 0);
      EXPECT_EQ(Value("select macro_value from macro_set_detail2 where macro_name='" + name + "again'"), c.stored);
    }
  }
}

TEST_F(CliMacro, RefusalsSayWhyAndLeaveNoDatabase) {
  const std::string name65 = Repeated("x", 65);
  const std::string macroHelp = " (see kzmousectl macro --help)\n", buttonHelp = " (see kzmousectl button --help)\n";
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"macro", "add", "Games", "m", "--events", "a,frob"},
       "kzmousectl: --events item 2: unknown key \"frob\"; kzmousectl macro keys lists the names" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", "a,grave a"},
       "kzmousectl: --events item 2: unknown key \"grave a\"; kzmousectl macro keys lists the names" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", Repeated("a,", 30) + "a"},
       "kzmousectl: --events gives 62 key rows; a macro holds at most 60" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", Repeated("65,1,0;", 61)},
       "kzmousectl: --events gives 61 key rows; a macro holds at most 60" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", "100ms,a"},
       "kzmousectl: --events item 1: a pause cannot come before the first key" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", "a,40000ms,30000ms"},
       "kzmousectl: --events item 3: a pause is 1 to 65535 ms, pauses in a row together too (got \"30000ms\")" +
           macroHelp},
      {{"macro", "add", "Games", "m", "--events", " "}, "kzmousectl: --events is empty" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", "a,,b"}, "kzmousectl: --events item 2 is empty" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", "65,1,0;300,0,0;"},
       "kzmousectl: --events row 2 (\"300,0,0\"): virtual key 300 has no key code on the mouse" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", "65,1,0;65,0"},
       "kzmousectl: --events row 2 (\"65,0\"): a stored row is three numbers KEY,DOWN,DELAY" + macroHelp},
      {{"macro", "add", "Games", "m", "--events", "a", "--repeat", "256"},
       "kzmousectl: --repeat must be 1 to 255 (got \"256\")" + macroHelp},
      {{"macro", "add", "Games", name65, "--events", "a"},
       "kzmousectl: the macro name has 65 characters; at most 64" + macroHelp},
      {{"macro", "set", "add", name65}, "kzmousectl: the set name has 65 characters; at most 64" + macroHelp},
      {{"macro", "set", "add", " \t"}, "kzmousectl: the set name is empty" + macroHelp},
      {{"button", "set", "1", "key", "a"},
       "kzmousectl: button 1 is the left click and keeps its function" + buttonHelp},
      {{"button", "set", "2", "macro", "copy"},
       "kzmousectl: button 2 is the right click and keeps its function" + buttonHelp},
      {{"button", "reset", "2", "--write"},
       "kzmousectl: button 2 is the right click and keeps its function" + buttonHelp},
      {{"button", "set", "12", "key", "a"}, "kzmousectl: the button number must be 1 to 11 (got \"12\")" + buttonHelp},
      {{"button", "set", "3", "key", "frob"},
       "kzmousectl: unknown key \"frob\"; kzmousectl macro keys lists the names" + buttonHelp},
      {{"button", "set", "3", "key", "a", "--mods", "ctrl,hyper"},
       "kzmousectl: --mods takes shift, ctrl, win and alt separated by commas (got \"ctrl,hyper\")" + buttonHelp},
      {{"button", "set", "3", "key", "a", "--profile", "6"},
       "kzmousectl: the profile number must be 1 to 5 (got \"6\")" + buttonHelp},
      // Names that only the store could hold: without a database there is none of them.
      {{"macro", "add", "Games", "m", "--events", "a"},
       "kzmousectl: no macro set \"Games\" (see kzmousectl macro set list)\n"},
      {{"macro", "set", "rm", "Games"}, "kzmousectl: no macro set \"Games\" (see kzmousectl macro set list)\n"},
      {{"macro", "show", "copy"}, "kzmousectl: no macro \"copy\" (see kzmousectl macro list)\n"},
      {{"macro", "rm", "copy"}, "kzmousectl: no macro \"copy\" (see kzmousectl macro list)\n"},
      {{"button", "set", "3", "macro", "copy", "--write"},
       "kzmousectl: no macro \"copy\" (see kzmousectl macro list)\n"},
  };
  auto runAll = [&](bool fromStore) {
    for (const Case& c : cases) {
      std::vector<std::string> args{"--simulate"};
      args.insert(args.end(), c.args.begin(), c.args.end());
      Result r = Run(args);
      SCOPED_TRACE(r.err);
      EXPECT_EQ(r.code, 2);
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(r.err, c.err);
      if (!fromStore) {
        EXPECT_FALSE(kz::paths::FileExists(DatabasePath()));
      }
    }
  };
  runAll(false);
  // The same answers once there is a store to look in (with a set that is not the one named).
  Ok({"macro", "set", "add", "Other"});
  runAll(true);
  EXPECT_EQ(Value("select count(*) from macro_set2"), "1");
  EXPECT_EQ(Value("select count(*) from macro_set_detail2"), "0");
  EXPECT_EQ(Value("select count(*) from main2"), "0");
  EXPECT_FALSE(kz::paths::FileExists(TracePath()));
}

TEST_F(CliMacro, ButtonKeyGoesIntoTheActiveProfileAndOutInTheMap) {
  EXPECT_EQ(Ok({"--simulate", "button", "set", "7", "key", "A", "--write"}),
            "set button 7 of profile 1 of CommonUser: A [04, key]\nwrote profile 1 to the mouse\n");
  EXPECT_EQ(TakeTrace(), (std::vector<std::string>{kDpiLine, kReportLine, "03 11 00 F1 F2 F3 FE F4 F5 04 F6 F7 F8 F9",
                                                   kLightLine}));
  EXPECT_EQ(Value("select btn7_keycode from main2 where profile_id=1"), "65");
  // Only the buttons were stored: the other pages' columns of the new row stay unset.
  EXPECT_EQ(Value("select dpi_1 from main2 where profile_id=1"), "NULL");

  // Without --profile the user's active profile is the one changed.
  Sql("update kz_user set profile_active=4");
  EXPECT_EQ(Ok({"button", "set", "4", "key", "f1", "--mods", "alt,ctrl"}),
            "set button 4 of profile 4 of CommonUser: Control_ALT_F1 [FF, key combination]\n");
  EXPECT_EQ(Ok({"button", "set", "9", "key", "numpad 5", "--profile", "2"}),
            "set button 9 of profile 2 of CommonUser: NumPad 5 [5D, key]\n");
  const std::string show = Ok({"button", "show"});
  EXPECT_EQ(show, Line("user", "CommonUser") + Line("profile", "4") + Line("button 1", "鼠标左键 [F1, default]") +
                      Line("button 2", "鼠标右键 [F2, default]") + Line("button 3", "通用的滚轴键 [F3, default]") +
                      Line("button 4", "Control_ALT_F1 [FF, key combination]") +
                      Line("button 5", "前进方向键 [F4, default]") + Line("button 6", "后退方向键 [F5, default]") +
                      Line("button 7", "侧按键 [28, default]") + Line("button 8", "滚轴键向前 [F6, default]") +
                      Line("button 9", "滚轴键向后 [F7, default]") + Line("button 10", "侧滚轴键向前 [F8, default]") +
                      Line("button 11", "侧滚轴键向后 [F9, default]") +
                      "commands\n  03 11 00 F1 F2 F3 FF F4 F5 28 F6 F7 F8 F9\n"
                      "  03 14 04 00 81 e0 00 00 81 e2 00 00 81 3A 00 00 82 e0 00 00 82 e2 00 00 82 3A 00 00 58\n");
  EXPECT_NE(Ok({"button", "show", "--profile", "2"}).find("\n" + Line("button 9", "NumPad 5 [5D, key]")),
            std::string::npos);
  EXPECT_NE(Ok({"button", "show", "--profile", "1"}).find("\n" + Line("button 7", "A [04, key]")), std::string::npos);

  EXPECT_EQ(Ok({"--simulate", "button", "reset", "7", "--profile", "1", "--write"}),
            "reset button 7 of profile 1 of CommonUser: 侧按键 [28, default]\nwrote profile 1 to the mouse\n");
  EXPECT_EQ(TakeTrace(), (std::vector<std::string>{kDpiLine, kReportLine, "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9",
                                                   kLightLine}));
  EXPECT_EQ(Value("select btn7_keycode from main2 where profile_id=1"), "0");
}

TEST_F(CliMacro, ButtonMacroIsWrittenWithItsBlocks) {
  Ok({"macro", "set", "add", "Games"});
  Ok({"macro", "add", "Games", "copy", "--events", "ctrl+c,100ms,a", "--repeat", "3"});
  // Button 5 is button 6 in the firmware's numbering of macro commands.
  EXPECT_EQ(Ok({"--simulate", "button", "set", "5", "macro", "copy", "--write"}),
            "set button 5 of profile 1 of CommonUser: copy [FF, macro]\nwrote profile 1 to the mouse\n");
  EXPECT_EQ(TakeTrace(),
            (std::vector<std::string>{
                kDpiLine, kReportLine, "03 11 00 F1 F2 F3 FE FF F5 28 F6 F7 F8 F9",
                "03 14 06 02 81 E0 00 08 81 06 00 08 82 06 00 08 82 E0 00 64 81 04 00 08 82 04 00 08", kLightLine}));

  EXPECT_EQ(Ok({"macro", "rm", "copy"}),
            "deleted macro copy\nbuttons still set to it, which no longer send it to the mouse: profile 1 button 5 "
            "(kzmousectl button set or reset changes them)\n");
  EXPECT_NE(Ok({"button", "show"}).find("\n" + Line("button 5", "(deleted macro) [FF, macro]")), std::string::npos);
  EXPECT_EQ(Ok({"--simulate", "button", "reset", "5", "--write"}),
            "reset button 5 of profile 1 of CommonUser: 前进方向键 [F4, default]\nwrote profile 1 to the mouse\n");
  EXPECT_EQ(TakeTrace(), (std::vector<std::string>{kDpiLine, kReportLine, "03 11 00 F1 F2 F3 FE F4 F5 28 F6 F7 F8 F9",
                                                   kLightLine}));
  EXPECT_EQ(Value("select btn5_marco_id from main2 where profile_id=1"), "");
}

}  // namespace
