// Speed of the preference engine on a large profile: reading a 1 MB prefs.js with a 100 KB
// user.js, writing user.js and restoring prefs.js, against the baseline of a plain read, write and
// fsync of the same prefs.js. Run: scripts/benchmark.sh
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "prefs/pref_reader.h"
#include "prefs/pref_writer.h"
#include "prefs/restore.h"

namespace {

namespace fs = std::filesystem;

PrefSection misc{}, privacy{};

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// About 1 MB of what Firefox writes, every managed name once near its end.
std::string LargePrefsJs() {
    std::string prefs = "// Mozilla User Preferences\n\n";
    for (int i = 0; prefs.size() < 1024 * 1024; ++i) {
        prefs += "user_pref(\"services.sync." + std::to_string(i) + "\", \"" +
                 std::string(120, 's') + "\");\n";
    }
    for (const char* name : kRestoreNameList) {
        prefs += std::string("user_pref(\"") + name + "\", false);\n";
    }
    return prefs;
}

// About 100 KB of a hardening template: commented sections, statements, overrides at the end.
std::string TemplateUserJs() {
    std::string user = "/******\n * a template user.js\n ******/\n";
    for (int i = 0; user.size() < 100 * 1024; ++i) {
        user += "/* 0" + std::to_string(i) + ": what this section does and why */\n";
        user += "user_pref(\"privacy.item." + std::to_string(i) + "\", true);\n";
        user += "// user_pref(\"media.peerconnection.enabled\", false); // [DEFAULT: true]\n";
        user += "user_pref(\"network.item." + std::to_string(i) + "\", \"value\");\n";
    }
    return user + "user_pref(\"geo.enabled\", false);\n";
}

// Runs operation on a profile whose files are written anew, outside the timing, before each run;
// the template user.js only for reading (Apply and Restore would keep a copy of it at each run).
void OnLargeProfile(benchmark::State& state, int (*operation)(const std::string& folder),
                    bool withUserJs = false) {
    const fs::path folder =
        fs::temp_directory_path() / ("quorvane-benchmark-" + std::to_string(getpid()));
    setenv("APPDATA", folder.c_str(), 1);
    WriteFile(folder / "Mozilla/Firefox/profiles.ini", "[Profile0]\nPath=b\n");
    const std::string prefs = LargePrefsJs(), user = TemplateUserJs();
    const std::string profile = (folder / "Mozilla/Firefox/b/").string();
    for (auto _ : state) {
        state.PauseTiming();
        WriteFile(profile + "prefs.js", prefs);
        if (withUserJs) {
            WriteFile(profile + "user.js", user);
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(operation(profile));
    }
    fs::remove_all(folder);
}

// The baseline: prefs.js read whole, written to another file and flushed to disk.
int CopyPrefsJs(const std::string& profile) {
    std::FILE* in = std::fopen((profile + "prefs.js").c_str(), "rb");
    std::vector<char> bytes(2 * 1024 * 1024);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
    std::fclose(in);
    std::FILE* out = std::fopen((profile + "copy.js").c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    const int synced = std::fflush(out) == 0 && fsync(fileno(out)) == 0;
    std::fclose(out);
    return synced;
}

BENCHMARK_CAPTURE(OnLargeProfile, Copy, CopyPrefsJs);
BENCHMARK_CAPTURE(
    OnLargeProfile, Read, [](const std::string&) { return ReadPreferences(misc, privacy), 0; },
    true);
BENCHMARK_CAPTURE(OnLargeProfile, Write,
                  [](const std::string&) { return WritePreferences(nullptr, misc, privacy); });
BENCHMARK_CAPTURE(OnLargeProfile, Restore, [](const std::string&) { return RestorePreferences(); });

}  // namespace

BENCHMARK_MAIN();
