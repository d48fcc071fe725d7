// The seed replay of a fuzz target, without libFuzzer: "fuzz_replay_<name> <files>" runs each file
// once through the target, so every test run holds the program to the targets' properties on the
// seeds. A seed with a file <seed>.expected beside it is a test case: the target's answer for it
// must be that file's bytes ("fuzz_replay_<name> --answer <seed>" prints the answer alone).
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "tests/test_support.h"

namespace fuzz {
std::string RunTarget(std::string_view input);
}

namespace {

// Runs the target on the seed in a buffer of exactly its size, as libFuzzer hands it over, so the
// sanitizer reports any read past its end.
std::string Answer(const std::filesystem::path& seed) {
    const std::string bytes = test::ReadFileBytes(seed);
    const auto exact = std::make_unique<char[]>(bytes.size());
    bytes.copy(exact.get(), bytes.size());
    return fuzz::RunTarget(std::string_view(exact.get(), bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--answer") {
        const std::string answer = Answer(argv[2]);
        std::fwrite(answer.data(), 1, answer.size(), stdout);
        return 0;
    }
    int status = argc > 1 ? 0 : 1;
    for (int i = 1; i < argc; ++i) {
        const std::string answer = Answer(argv[i]), expected = std::string(argv[i]) + ".expected";
        if (std::filesystem::exists(expected) && test::ReadFileBytes(expected) != answer) {
            std::fprintf(stderr, "%s: the answer is\n%s\n(not the one in %s)\n", argv[i],
                         answer.c_str(), expected.c_str());
            status = 1;
        }
    }
    return status;
}
