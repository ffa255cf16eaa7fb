// Load of the version poll on kz-service: N clients (default 200), each asking
// "api/get_version/<token>" every 10 s the way the client's poll thread does (a new connection
// per call), for a bounded run. Starts its own kz-service on a free loopback port in a temporary
// folder and reports requests, errors and latency percentiles.
//
//   service_poll [--clients N] [--seconds S] [--interval S] [--burst] [--service PATH]
//
// --burst starts every client at the same instant instead of spreading them over one interval.
#include <httplib.h>
#include <json/json.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "secret_hash.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
  int clients = 200;
  double seconds = 30;
  double interval = 10;
  bool burst = false;
  std::string service;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// VmRSS in KiB and user+system CPU seconds of a process.
void ProcessUse(pid_t pid, long& rssKiB, double& cpuSeconds) {
  std::smatch m;
  const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
  rssKiB = std::regex_search(status, m, std::regex(R"(VmRSS:\s+(\d+))")) ? std::stol(m[1]) : -1;
  std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  stat = stat.substr(stat.rfind(')') + 2);
  std::istringstream fields(stat);
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) {
      stime = std::stol(field);
      break;
    }
  }
  cpuSeconds = static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv) {
  Settings s;
  s.service = std::filesystem::path(std::filesystem::read_symlink("/proc/self/exe")).parent_path() / "kz-service";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto next = [&] {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "%s needs a value\n", a.c_str());
        std::exit(2);
      }
      return std::string(argv[++i]);
    };
    if (a == "--clients") s.clients = std::stoi(next());
    else if (a == "--seconds") s.seconds = std::stod(next());
    else if (a == "--interval") s.interval = std::stod(next());
    else if (a == "--burst") s.burst = true;
    else if (a == "--service") s.service = next();
    else {
      std::fprintf(stderr, "usage: service_poll [--clients N] [--seconds S] [--interval S] [--burst] [--service PATH]\n");
      return 2;
    }
  }

  char pattern[] = "/tmp/kz-service-poll-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::string dir = pattern;
  const std::string out = dir + "/service.log";
  // Set-up makes one account per client: cheap hashes and no attempt limit for that part only;
  // neither is touched by the polls that are measured.
  std::vector<std::string> args{s.service, "--db", dir + "/service.db", "--listen", "127.0.0.1:0",
                                "--login-limit", "0", "--hash-iterations", "1000"};
  std::vector<char*> argvp;
  for (auto& x : args) argvp.push_back(x.data());
  argvp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, argvp[0], &actions, nullptr, argvp.data(), environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", s.service.c_str());
    return 1;
  }
  int port = -1;
  for (int i = 0; i < 500 && port < 0; ++i) {
    std::smatch m;
    const std::string text = ReadFile(out);
    if (std::regex_search(text, m, std::regex(R"(listening on http://127\.0\.0\.1:(\d+)/)"))) port = std::stoi(m[1]);
    else std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (port < 0) {
    std::fprintf(stderr, "kz-service did not start:\n%s\n", ReadFile(out).c_str());
    ::kill(pid, SIGKILL);
    return 1;
  }

  // Accounts and tokens, made through the same form and API users and the client use.
  std::vector<std::string> tokens(s.clients);
  const std::string passwordHex = kzsvc::Md5Hex("poll-password");
  for (int c = 0; c < s.clients; ++c) {
    const std::string name = "poller" + std::to_string(c);
    httplib::Client client("127.0.0.1", port);
    const httplib::Params form{{"user_name", name}, {"password", "poll-password"}, {"password2", "poll-password"}};
    auto reg = client.Post("/register", form);
    auto login = client.Post("/api/login/", "device=pc&password=" + passwordHex + "&user_name=" + name + "&",
                             "application/x-www-form-urlencoded");
    Json::Value reply;
    std::istringstream in(login ? login->body : std::string());
    if (!reg || reg->status != 200 || !Json::parseFromStream(Json::CharReaderBuilder(), in, &reply, nullptr) ||
        reply["result"] != 100) {
      std::fprintf(stderr, "set-up of client %d failed\n", c);
      ::kill(pid, SIGKILL);
      return 1;
    }
    tokens[c] = reply["token"].asString();
  }

  long rssBefore = 0;
  double cpuBefore = 0;
  ProcessUse(pid, rssBefore, cpuBefore);
  std::atomic<long> requests{0}, errors{0};
  std::mutex latencyMutex;
  std::vector<double> latencies;  // milliseconds
  std::vector<std::string> errorSamples;
  const auto begin = Clock::now();
  const auto end = begin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s.seconds));
  const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s.interval));
  std::vector<std::thread> threads;
  std::mt19937 random(12345);
  for (int c = 0; c < s.clients; ++c) {
    // Spread over one interval, as clients that started at different times are.
    const auto offset = s.burst ? Clock::duration::zero()
                                : std::chrono::duration_cast<Clock::duration>(
                                      interval * std::uniform_real_distribution<double>(0, 1)(random));
    threads.emplace_back([&, c, offset] {
      const std::string path = "/api/get_version/" + tokens[c];
      const std::string body = "user_name=poller" + std::to_string(c) + "&";
      std::vector<double> mine;
      for (auto next = begin + offset; next < end; next += interval) {
        std::this_thread::sleep_until(next);
        const auto t0 = Clock::now();
        // A new connection per call, as the client's transfer makes one handle per call.
        httplib::Client client("127.0.0.1", port);
        client.set_connection_timeout(10, 0);
        client.set_read_timeout(10, 0);
        auto res = client.Post(path.c_str(), body, "application/x-www-form-urlencoded");
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        ++requests;
        const bool ok = res && res->status == 200 && res->body == "{\"data\":\"0\",\"result\":100}";
        if (!ok) {
          ++errors;
          std::lock_guard<std::mutex> lock(latencyMutex);
          if (errorSamples.size() < 5) {
            errorSamples.push_back(res ? std::to_string(res->status) + " " + res->body
                                       : "transfer: " + httplib::to_string(res.error()));
          }
        }
        mine.push_back(ms);
      }
      std::lock_guard<std::mutex> lock(latencyMutex);
      latencies.insert(latencies.end(), mine.begin(), mine.end());
    });
  }
  for (auto& t : threads) t.join();
  const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
  long rssAfter = 0;
  double cpuAfter = 0;
  ProcessUse(pid, rssAfter, cpuAfter);

  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  std::filesystem::remove_all(dir);

  std::sort(latencies.begin(), latencies.end());
  const auto pct = [&](double p) {
    if (latencies.empty()) return 0.0;
    const std::size_t i = std::min(latencies.size() - 1, static_cast<std::size_t>(p / 100 * latencies.size()));
    return latencies[i];
  };
  std::printf("kz-service version poll: %d clients, every %.1f s, %.1f s run%s\n", s.clients, s.interval, elapsed,
              s.burst ? " (all at once)" : "");
  std::printf("requests %ld, errors %ld, %.1f requests/s\n", requests.load(), errors.load(),
              static_cast<double>(requests.load()) / elapsed);
  std::printf("latency ms: p50 %.2f  p90 %.2f  p99 %.2f  max %.2f\n", pct(50), pct(90), pct(99),
              latencies.empty() ? 0.0 : latencies.back());
  std::printf("service: CPU %.2f s during the run, RSS %ld KiB before, %ld KiB after; exit %s\n",
              cpuAfter - cpuBefore, rssBefore, rssAfter,
              WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "0 (clean)" : "not clean");
  for (const std::string& e : errorSamples) std::printf("error: %s\n", e.c_str());
  return errors.load() == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
