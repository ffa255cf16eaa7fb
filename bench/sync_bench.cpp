// The sync document of a heavy user (five full profiles, 1,000 macros of 60 events in ten sets,
// every honor level): building it from the database, reading the text, and applying it into a
// second database, apart and together (the target is 50 ms for build and apply together).
// Run: sync_bench [--benchmark_filter=...]
#include "cloud/sync_document.h"
#include "heavy_user.h"
#include "store/database.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

using kz::store::Database;

constexpr const char* kUser = "heavy";

// Two databases in a folder of their own: the first holds the heavy user, the second receives it.
class Databases {
 public:
  Databases() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kz-sync-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern + "/";
    if (!kztest::MakeDatabase(dir_ + "first.mdb", first) || !kztest::MakeDatabase(dir_ + "second.mdb", second) ||
        !kztest::AddHeavyUser(first, kUser, "password") ||
        !second.Execute("insert into kz_user (user_name,user_pwd) values (?,'local')", {std::string(kUser)}))
      throw std::runtime_error("cannot make the databases");
  }
  ~Databases() {
    first.Close();
    second.Close();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  Database first, second;

 private:
  std::string dir_;
};

Databases& Shared() {
  static Databases databases;
  return databases;
}

std::string Built() {
  std::string text;
  if (!kz::cloud::BuildSyncDocumentText(Shared().first, kUser, text)) throw std::runtime_error("build failed");
  return text;
}

// The document as the download hands it over: parsed, with the user named inside "kz_user".
Json::Value Downloaded(const std::string& text) {
  Json::Value document;
  if (!kz::cloud::ParseSyncDocument(text, document)) throw std::runtime_error("parse failed");
  document[kz::cloud::kDocumentUser][kz::cloud::kDocumentUserName] = kUser;
  return document;
}

void BM_BuildDocument(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text = Built();
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetLabel(std::to_string(bytes / 1024) + " KiB of text");
}
BENCHMARK(BM_BuildDocument)->Unit(benchmark::kMillisecond);

void BM_ParseDocument(benchmark::State& state) {
  const std::string text = Built();
  for (auto _ : state) benchmark::DoNotOptimize(Downloaded(text));
}
BENCHMARK(BM_ParseDocument)->Unit(benchmark::kMillisecond);

void BM_ApplyDocument(benchmark::State& state) {
  const Json::Value document = Downloaded(Built());
  for (auto _ : state) {
    std::string problem;
    if (!kz::cloud::ApplySyncDocument(Shared().second, document, &problem)) state.SkipWithError(problem.c_str());
  }
}
BENCHMARK(BM_ApplyDocument)->Unit(benchmark::kMillisecond);

// What an upload on one computer and the download on another cost together.
void BM_BuildParseAndApply(benchmark::State& state) {
  for (auto _ : state) {
    std::string problem;
    if (!kz::cloud::ApplySyncDocument(Shared().second, Downloaded(Built()), &problem))
      state.SkipWithError(problem.c_str());
  }
}
BENCHMARK(BM_BuildParseAndApply)->Unit(benchmark::kMillisecond);

}  // namespace
