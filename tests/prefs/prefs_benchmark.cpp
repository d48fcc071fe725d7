// Speed of the preference engine on a large profile: reading a 1 MB prefs.js, writing user.js
// and restoring prefs.js. Run: build/native/tests/prefs/prefs_benchmark
#include <benchmark/benchmark.h>

#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/restore.h"
#include "tests/test_support.h"

namespace {

PrefSection misc{}, privacy{};

// Runs operation on a profile whose prefs.js (about 1 MB, every managed name once near its end)
// is written anew, outside the timing, before each run.
void OnLargeProfile(benchmark::State& state, int (*operation)()) {
    test::TempFolder folder;
    test::SetEnvironment("APPDATA", test::ToProgramPath(folder.Path()));
    test::WriteFileBytes(folder.Path() / "Mozilla/Firefox/profiles.ini", "[Profile0]\nPath=b\n");
    std::string prefs;
    for (int i = 0; prefs.size() < 1024 * 1024; ++i) {
        prefs += "user_pref(\"services.sync." + std::to_string(i) + "\", \"" +
                 std::string(120, 's') + "\");\n";
    }
    for (const char* name : kRestoreNameList) {
        prefs += std::string("user_pref(\"") + name + "\", false);\n";
    }
    for (auto _ : state) {
        state.PauseTiming();
        test::WriteFileBytes(folder.Path() / "Mozilla/Firefox/b/prefs.js", prefs);
        state.ResumeTiming();
        benchmark::DoNotOptimize(operation());
    }
}

BENCHMARK_CAPTURE(OnLargeProfile, Read, [] { return ReadPreferences(misc, privacy), 0; });
BENCHMARK_CAPTURE(OnLargeProfile, Write, [] { return WritePreferences(nullptr, misc, privacy); });
BENCHMARK_CAPTURE(OnLargeProfile, Restore, [] { return RestorePreferences(); });

}  // namespace

BENCHMARK_MAIN();
