// One scripted session of the window program and the command-line tool: apply, factory reset, a
// profile switch, a status report and `kzmousectl profile set --write`. What the mouse received,
// what the log says (times aside), what the tips said and every stored row are compared, byte for
// byte, with tests/data/session/scripted_session.txt. Any change of behaviour shows here first.
//
// KZ_WRITE_GOLDEN=1 rewrites the expected file instead of comparing (after a deliberate change).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <QtTest/QTest>

#include <cstdlib>
#include <sstream>

#include "gui/app/cdlg_main.h"
#include "gui/app/language.h"
#include "gui/kit/cdlg_tip.h"
#include "gui/settings/cdlg_light.h"
#include "gui/settings/cdlg_msetting.h"
#include "gui/window_fixture.h"
#include "store/database.h"
#include "support/test_support.h"

namespace {

using kzgui::CDlgMain;
using kzgui::kit::CDlgTIp;

// Every row of every table, in a fixed order, as "table: column=value|..." lines.
std::string DumpTables(const std::string& databasePath) {
  kz::store::Database db;
  if (!db.Open(databasePath)) return "cannot open " + databasePath + "\n";
  std::ostringstream out;
  for (const char* table : {"kz_global", "kz_user", "main2", "macro_set2", "macro_set_detail2", "kz_honor"}) {
    kz::store::Recordset rs(db);
    if (!rs.Open(std::string("select * from ") + table + " order by rowid")) {
      out << table << ": cannot read\n";
      continue;
    }
    for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
      out << table << ":";
      for (int i = 0; i < rs.GetFieldCount(); ++i) {
        kz::store::Value v = rs.GetValue(i);
        std::string text = std::holds_alternative<std::monostate>(v) ? "NULL"
                           : std::holds_alternative<long long>(v) ? std::to_string(std::get<long long>(v))
                                                                   : "'" + std::get<std::string>(v) + "'";
        out << (i ? "|" : " ") << rs.GetFieldName(i) << "=" << text;
      }
      out << "\n";
    }
  }
  return out.str();
}

class ScriptedSession : public kztest::WindowFixture {
 protected:
  // The program's own pointer settings: in this desktop-less session they live in a file.
  ScriptedSession() { pointer = kz::app::DesktopPointerSettingsFor(xdg.dataDir()); }
  kztest::ScopedEnv noDesktop_{"XDG_CURRENT_DESKTOP", nullptr};

  // Runs a window command; every tip it raises (now or once the mouse has answered) is answered
  // with OK and noted, and the command counts as done when the mouse trace and the tips have
  // stood still for a while.
  void Run(int command) {
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [this] {
      if (CDlgTIp* tip = CDlgTIp::Current()) {
        transcript_ << "tip: " << tip->text().toStdString() << "\n";
        CDlgTIp::CloseOpen();
      }
    });
    answer.start();
    transcript_ << "command " << command << "\n";
    window->RunCommand(command);
    Settle();
  }

  void Settle() {
    size_t seen = static_cast<size_t>(-1);
    int still = 0;
    while (still < 30) {
      QTest::qWait(10);
      size_t now = mouse->Trace().size();
      still = now == seen && CDlgTIp::Current() == nullptr ? still + 1 : 0;
      seen = now;
    }
    for (const std::string& line : mouse->Trace()) transcript_ << "mouse: " << line << "\n";
    mouse->ClearTrace();
  }

  std::string RunScript();

  std::ostringstream transcript_;
};

// The whole script; the transcript with the temporary folder's name taken out.
std::string ScriptedSession::RunScript() {
  Open();
  // Only the script talks to the mouse: the device timer would start the reader at its own time.
  StopDeviceTimer();
  Run(2002);

  Settings().model().SetLevelValue(1, 1000);
  Settings().model().SetReportRate(1);
  Run(2008);  // apply

  Lights().model().ChoosePreset(5);
  Lights().model().SetSpeed(4);
  Run(2004);
  Run(2008);  // apply on the lighting page

  Run(2013);  // profile 3: no row yet, factory values
  Settings().model().SetLevelValue(0, 2000);
  Run(2009);  // save all
  Run(2007);  // factory reset of profile 3
  Run(2011);  // back to profile 1

  kz::device::SimMouseState state = mouse->State();
  state.dpi = {0x08, 0x10, 0x00, 0x40};
  state.dpiCount = 3;
  state.dpiActive = 2;
  state.light2 = {0x10, 0x20, 0x30};
  mouse->SetState(state);
  std::vector<unsigned char> bytes = mouse->StatusReport();
  auto report = kz::device::StatusReport::Decode(bytes.data(), static_cast<int>(bytes.size()));
  EXPECT_TRUE(report);
  if (!report) return {};
  transcript_ << "status report\n";
  window->HandleStatusReport(*report);
  Settle();
  window.reset();

  kztest::ScopedEnv simState("KZMOUSE_SIM_STATE", (xdg.root() / "sim.state").c_str());
  kztest::ScopedEnv simTrace("KZMOUSE_SIM_TRACE", (xdg.root() / "sim.trace").c_str());
  kztest::ToolRun run =
      kztest::RunTool("kzmousectl", {"--simulate", "profile", "set", "2", "--dpi", "400,off,1650,off", "--active", "3",
                                     "--light1", "rgb=102030", "--write"});
  transcript_ << "kzmousectl exit " << run.code << "\n" << run.output;
  for (const std::string& line : kztest::ReadLines(xdg.root() / "sim.trace")) transcript_ << "sim: " << line << "\n";
  for (const std::string& message : kztest::LogMessages(xdg.root() / "state/kzMouse/kz_log.txt"))
    transcript_ << "kzmousectl log: " << message << "\n";

  for (const std::string& message : kztest::LogMessages(LogPath())) transcript_ << "log: " << message << "\n";
  transcript_ << DumpTables(xdg.dataDir() + "kzdb.mdb");

  // The temporary folder differs from run to run.
  std::string text = transcript_.str();
  const std::string root = xdg.root().path();
  for (size_t at = text.find(root); at != std::string::npos; at = text.find(root, at)) text.replace(at, root.size(), "<tmp>/");
  return text;
}

const std::string& ExpectedPath() {
  static const std::string path = kztest::SourceDir() + "tests/data/session/scripted_session.txt";
  return path;
}

TEST_F(ScriptedSession, CommandsLogAndRowsStayAsTheyWere) {
  const std::string text = RunScript();
  const std::string expectedPath = ExpectedPath();
  if (const char* write = std::getenv("KZ_WRITE_GOLDEN"); write && std::string(write) == "1") {
    kztest::WriteAll(expectedPath, text);
    GTEST_SKIP() << "wrote " << expectedPath;
  }
  EXPECT_EQ(text, kztest::ReadAll(expectedPath));
}

// The same clicks with the window in English: the mouse, the log, the tool's output and every
// stored row are the same; only the tips read in English.
TEST_F(ScriptedSession, TheEnglishWindowSendsLogsAndStoresTheSame) {
  ASSERT_TRUE(kzgui::InstallLanguage(kzgui::Language::kEnglish));
  const std::string text = RunScript();

  std::istringstream golden(kztest::ReadAll(ExpectedPath()));
  std::ostringstream expected;
  int tips = 0;
  for (std::string line; std::getline(golden, line);) {
    if (line.rfind("tip: ", 0) == 0) {
      const QString english = QCoreApplication::translate("kz", line.substr(5).c_str());
      EXPECT_NE(english.toStdString(), line.substr(5)) << "no English for " << line;
      line = "tip: " + english.toStdString();
      ++tips;
    }
    expected << line << "\n";
  }
  kzgui::InstallLanguage(kzgui::Language::kChinese);
  EXPECT_GT(tips, 0);
  EXPECT_EQ(text, expected.str());
}

}  // namespace
