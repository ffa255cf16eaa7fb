// kzmousectl stats: the current user's usage counters and earned honors; kzmousectl sim: activity
// of the simulated mouse of a running kzMouse, through its control FIFO.
#include <json/json.h>

#include <cstdlib>
#include <ctime>
#include <ostream>

#include "app/services.h"
#include "cli_commands.h"
#include "cli_store.h"
#include "device/sim_control.h"
#include "honor/honor.h"
#include "honor/usage_counters.h"
#include "honor/user_counters.h"

namespace kz::cli {
namespace {

constexpr const char* kStatsUsage =
    "usage: kzmousectl stats [--json]\n\n"
    "The current user's usage counters as the statistics page shows them, the stored kz_user\n"
    "counters, and the earned honors with their titles and times (UTC). --json prints one object:\n"
    "the kz_user columns (mouse_left, mouse_right, mouse_middle, wheel_up, wheel_down,\n"
    "move_distance, online_time_min, login_time, login_days, signin_count, my_score, my_level,\n"
    "share_count, invite_count), the page's figures (clicks_total, wheel_turns_up,\n"
    "wheel_turns_down, wheel_turns_total, distance_m), \"user\", and \"honors\": a list of\n"
    "{type, level, title, condition, create_time}.\n";

constexpr const char* kSimUsage =
    "usage: kzmousectl sim click left|right|middle [N] | scroll up|down [N] | move COUNTS | unplug | plug\n\n"
    "Hands the command to the simulated mouse of a running kzMouse --simulate that was started with\n"
    "KZMOUSE_SIM_CONTROL=PATH, by writing it into the FIFO at PATH (the same variable must be set\n"
    "here). Each activity makes the mouse send status reports carrying it: N clicks go out as\n"
    "ceil(N / 24) reports with the button's flag (the program counts 24 per flag), N wheel turns as N\n"
    "reports, COUNTS as reports of at most 65535 movement counts. N and COUNTS are 1 to 10000000.\n"
    "Fails (exit 1) when nobody reads the FIFO.\n";

std::string TimeText(long long seconds) {
  std::time_t when = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (!gmtime_r(&when, &tm)) return std::to_string(seconds);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &tm);
  return text;
}

int RunStats(const Invocation& call) {
  std::vector<std::string> args = call.args;
  const bool json = TakeFlag(args, "--json");
  if (!args.empty()) return Fail(call, kExitUsage, "unexpected argument \"" + ShowableText(args.front()) + "\"");

  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  honor::UserCounters counters;
  std::vector<honor::EarnedHonor> earned;
  std::string user = services->session.UserName();
  // Without a database nothing was counted yet; looking must not make one.
  if (ToolStoreExists(*services)) {
    if (!OpenToolStore(call, *services)) return kExitFailure;
    user = services->session.UserName();
    store::Recordset row(services->db);
    if (!honor::OpenUserRow(row, user))
      return Fail(call, kExitFailure, "cannot read the user's counters: " + services->db.GetLastErrorString());
    if (row.GetRecordCount() > 0) {
      row.MoveFirst();
      counters = honor::CountersOfRow(row);
    }
    auto rows = honor::AllEarnedHonors(services->db, user);
    if (!rows) return Fail(call, kExitFailure, "cannot read the honors: " + services->db.GetLastErrorString());
    earned = *rows;
  }
  const honor::CounterFigures f = honor::FiguresOf(counters.mouseLeft, counters.mouseRight, counters.mouseMiddle,
                                                    counters.wheelUp, counters.wheelDown, counters.moveDistance);
  auto titleOf = [](const honor::EarnedHonor& h, bool condition) {
    const honor::CHonor* category = honor::CategoryOf(h.type);
    if (!category) return std::string();
    return condition ? category->ConditionOf(h.level) : category->TitleOf(h.level);
  };

  if (json) {
    Json::Value v(Json::objectValue);
    v["user"] = ValidUtf8(user);
    for (int i = 0; i < honor::kCounterColumnCount; ++i)
      v[honor::kCounterColumns[i].name] = Json::Int64(counters.*honor::kCounterColumns[i].member);
    v["clicks_total"] = Json::Int64(f.clicksTotal);
    v["wheel_turns_up"] = Json::Int64(f.wheelTurnsUp);
    v["wheel_turns_down"] = Json::Int64(f.wheelTurnsDown);
    v["wheel_turns_total"] = Json::Int64(f.wheelTurnsTotal);
    v["distance_m"] = Json::Int64(f.distanceMetres);
    Json::Value honors(Json::arrayValue);
    for (const honor::EarnedHonor& h : earned) {
      Json::Value item(Json::objectValue);
      item["type"] = h.type;
      item["level"] = h.level;
      item["title"] = titleOf(h, false);
      item["condition"] = titleOf(h, true);
      item["create_time"] = Json::Int64(h.createTime);
      honors.append(item);
    }
    v["honors"] = honors;
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    *call.out << Json::writeString(builder, v) << "\n";
    return kExitOk;
  }

  std::ostream& out = *call.out;
  out << "user " << ValidUtf8(user) << "\n"
      << "left clicks        " << f.left << "\n"
      << "right clicks       " << f.right << "\n"
      << "middle clicks      " << f.middle << "\n"
      << "clicks             " << f.clicksTotal << "\n"
      << "wheel turns up     " << f.wheelTurnsUp << "\n"
      << "wheel turns down   " << f.wheelTurnsDown << "\n"
      << "wheel turns        " << f.wheelTurnsTotal << "\n"
      << "distance           " << f.distanceMetres << " m\n"
      << "online             " << counters.onlineTimeMin << " min\n"
      << "login days         " << counters.loginDays << "\n"
      << "sign-ins           " << counters.signinCount << "\n"
      << "score              " << counters.myScore << "\n"
      << "level              " << counters.myLevel << "\n"
      << "shares             " << counters.shareCount << "\n"
      << "invitations        " << counters.inviteCount << "\n";
  out << "honors" << (earned.empty() ? " none" : ":") << "\n";
  for (const honor::EarnedHonor& h : earned) {
    std::string condition = titleOf(h, true);
    out << "  " << h.type << "." << h.level << " " << titleOf(h, false)
        << (condition.empty() ? "" : " (" + condition + ")") << "  " << TimeText(h.createTime) << "\n";
  }
  return kExitOk;
}

int RunSim(const Invocation& call) {
  std::string line;
  for (const std::string& arg : call.args) line += (line.empty() ? "" : " ") + arg;
  std::string problem;
  if (call.args.empty() || !device::ParseSimCommand(line, problem)) {
    if (problem.empty()) problem = "a command is missing";
    return Fail(call, kExitUsage, ShowableText(problem) + " (see sim --help)");
  }
  const char* path = std::getenv(device::kSimControlVariable);
  if (path == nullptr || *path == '\0')
    return Fail(call, kExitFailure,
                std::string(device::kSimControlVariable) +
                    " is not set: it names the control FIFO of a running kzMouse --simulate");
  if (!device::SendSimCommand(path, line, problem)) return Fail(call, kExitFailure, ShowableText(problem));
  *call.out << "sent \"" << line << "\"\n";
  return kExitOk;
}

const bool statsRegistered = RegisterCommandWithHelp(
    {"stats", "[--json]", "usage counters and earned honors of the current user", &RunStats}, kStatsUsage);
const bool simRegistered = RegisterCommandWithHelp(
    {"sim", "click|scroll|move|unplug|plug ...", "drive the simulated mouse of a running kzMouse (see sim --help)",
     &RunSim},
    kSimUsage);

}  // namespace
}  // namespace kz::cli
