// The update commands of kzmousectl: firmware flash FILE, update check [--json].
#include "cli_commands.h"
#include "cli_store.h"

#include <json/json.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <unistd.h>

#include "base/constants.h"
#include "base/paths.h"
#include "device/write_sequence.h"
#include "update/downloader.h"
#include "update/firmware_flash.h"
#include "update/install.h"
#include "update/manifest.h"
#include "update/update_files.h"
#include "update/update_texts.h"

namespace kz::cli {
namespace {

constexpr const char* kFirmwareHelp =
    "usage: kzmousectl [--simulate] firmware flash FILE\n\n"
    "Writes the firmware image FILE (text lines laid out like S1 records) into the mouse. The\n"
    "image is checked whole first: a line that is not hexadecimal, of odd length, whose count does\n"
    "not match its length or is below 3, or that does not fit one report, and an image without any\n"
    "record, are refused before anything is sent (\"无法打开固件更新包！\", exit 1). When the mouse\n"
    "refuses the start command nothing else is sent (\"更新失败，设备可能未接入电脑!\", exit 4).\n"
    "Otherwise the whole sequence runs (a later refusal is passed over), \"固件更新完毕！\" is printed\n"
    "and the exit code is 0. On a terminal the records sent are shown as they go.\n";

constexpr const char* kUpdateHelp =
    "usage: kzmousectl update check [--json]\n\n"
    "Fetches the update manifest (http://HOST:4778/kzver.txt, HOST from KZMOUSE_UPDATE_HOST) and\n"
    "shows what it offers against what runs: the software version of this build and the firmware\n"
    "version last recorded in the database (kz_global.hard_ver; \"0.3\" without a database). Any\n"
    "difference counts as new. --json prints\n"
    "  {\"software\": {\"installed\": ..., \"offered\": ..., \"new\": true|false}, \"firmware\": {...}}\n"
    "A manifest that cannot be fetched or has no \"ver\" prints \"无法获取更新信息，请检查网络！\"\n"
    "and exits 1. Nothing is downloaded or installed.\n";

int RunFirmware(const Invocation& call) {
  std::vector<std::string> args = call.args;
  if (args.size() != 2 || args[0] != "flash") return Fail(call, kExitUsage, "usage: kzmousectl firmware flash FILE");
  const std::string& path = args[1];
  const bool terminal = ::isatty(STDERR_FILENO) == 1 && call.err;
  update::FlashReport report;
  report.status = [&call](const std::string& line) { *call.out << line << "\n" << std::flush; };
  if (terminal)
    report.progress = [&call](long long done, long long total) {
      *call.err << "\r" << done << "/" << total << " records" << (done == total ? "\n" : "") << std::flush;
    };
  device::DirectWriter writer(device::ChannelLink());
  bool finished = false;
  bool submitted = update::FlashFirmware(path, writer, report, [&finished](bool ok) { finished = ok; });
  if (!submitted) return kExitFailure;
  return finished ? kExitOk : kExitWriteFailed;
}

std::string InstalledFirmware(const Invocation& call) {
  QueueDispatcher dispatcher;
  std::unique_ptr<app::Services> services = MakeToolServices(dispatcher);
  if (!ToolStoreExists(*services) || !OpenToolStore(call, *services)) return kDefaultFirmwareVersion;
  return services->session.FirmwareVersion();
}

Json::Value Offer(const std::string& installed, const std::string& offered) {
  Json::Value member(Json::objectValue);
  member["installed"] = ValidUtf8(installed);
  member["offered"] = ValidUtf8(offered);
  member["new"] = installed != offered;
  return member;
}

int RunUpdate(const Invocation& call) {
  std::vector<std::string> args = call.args;
  const bool json = TakeFlag(args, "--json");
  if (args.size() != 1 || args[0] != "check") return Fail(call, kExitUsage, "usage: kzmousectl update check [--json]");

  // The manifest goes to a folder of its own: a window program's check may be using ver.ini.
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/kzmousectl-update-XXXXXX";
  if (!::mkdtemp(folder.data())) return Fail(call, kExitFailure, "no temporary folder can be made");
  std::unique_ptr<update::Downloader> downloader = update::MakeHttpDownloader();
  const std::string manifestPath = folder + "/kzver.txt";
  std::atomic<bool> never{false};
  update::Manifest manifest;
  const bool fetched = update::DownloadVerified(*downloader, update::ManifestUrl(), manifestPath, "", {}, never) &&
                       update::ReadManifestFile(manifestPath, manifest);
  update::DeleteFolder(folder);
  if (!fetched || manifest.ver.empty()) {
    *call.err << update::text::kNoUpdateInfo << "\n";
    return kExitFailure;
  }
  const std::string firmware = InstalledFirmware(call);
  if (json) {
    Json::Value root(Json::objectValue);
    root["software"] = Offer(kSoftwareVersion, manifest.ver);
    root["firmware"] = Offer(firmware, manifest.hardver);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    *call.out << Json::writeString(builder, root) << "\n";
    return kExitOk;
  }
  auto line = [&](const char* what, const std::string& installed, const std::string& offered) {
    *call.out << what << installed << ", offered " << offered << (installed != offered ? " (new)" : "") << "\n";
  };
  line("software: installed ", kSoftwareVersion, manifest.ver);
  line("firmware: installed ", firmware, manifest.hardver);
  return kExitOk;
}

const bool registered =
    RegisterCommandWithHelp({"firmware", "flash FILE", "write a firmware image into the mouse", &RunFirmware},
                            kFirmwareHelp) &&
    RegisterCommandWithHelp({"update", "check [--json]", "show what the update server offers", &RunUpdate},
                            kUpdateHelp);

}  // namespace
}  // namespace kz::cli
