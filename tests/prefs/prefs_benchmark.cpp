// Speed of the preference engine on a large profile: reading a 1 MB prefs.js, writing user.js
// and restoring prefs.js. Run: build/native/tests/prefs/prefs_benchmark
#include <benchmark/benchmark.h>

#include <string>

#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/restore.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

// A profile with a prefs.js of about 1 MB that holds every managed name once, near its end.
class LargeProfile {
public:
    LargeProfile() {
        const fs::path firefox = folder_.Path() / "Mozilla" / "Firefox";
        test::WriteFileBytes(firefox / "profiles.ini",
                             "[Profile0]\nIsRelative=1\nPath=Profiles/bench\nDefault=1\n");
        profile_ = firefox / "Profiles" / "bench";
        while (prefs_.size() < 1024 * 1024) {
            prefs_ += "user_pref(\"services.sync.engine.tabs." + std::to_string(prefs_.size()) +
                      "\", \"" + std::string(120, 's') + "\");\n";
        }
        for (const char* name : kRestoreNameList) {
            prefs_ += std::string("user_pref(\"") + name + "\", false);\n";
        }
        RewritePrefs();
        test::SetEnvironment("APPDATA", test::ToProgramPath(folder_.Path()));
    }

    void RewritePrefs() const { test::WriteFileBytes(profile_ / "prefs.js", prefs_); }

private:
    test::TempFolder folder_;
    fs::path profile_;
    std::string prefs_;
};

void BM_ReadPreferences(benchmark::State& state) {
    LargeProfile profile;
    PrefSection misc{};
    PrefSection privacy{};
    for (auto _ : state) {
        ReadPreferences(misc, privacy);
        benchmark::DoNotOptimize(misc);
    }
}
BENCHMARK(BM_ReadPreferences)->Unit(benchmark::kMillisecond);

void BM_WritePreferences(benchmark::State& state) {
    LargeProfile profile;
    PrefSection misc{};
    PrefSection privacy{};
    ReadPreferences(misc, privacy);
    for (auto _ : state) {
        benchmark::DoNotOptimize(WritePreferences(nullptr, misc, privacy));
    }
}
BENCHMARK(BM_WritePreferences)->Unit(benchmark::kMillisecond);

void BM_RestorePreferences(benchmark::State& state) {
    LargeProfile profile;
    for (auto _ : state) {
        state.PauseTiming();
        profile.RewritePrefs();
        state.ResumeTiming();
        benchmark::DoNotOptimize(RestorePreferences());
    }
}
BENCHMARK(BM_RestorePreferences)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
