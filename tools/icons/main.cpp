// Writes the program's icons and bitmap into a folder (res/icons when run by generate.sh).
#include <cstdio>
#include <fstream>
#include <string>

#include "tools/icons/artwork.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    for (const std::string& name : icons::AssetFileNames()) {
        const icons::Bytes bytes = icons::RenderAsset(name);
        if (bytes.empty()) {
            std::fprintf(stderr, "could not encode %s\n", name.c_str());
            return 1;
        }
        std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "could not write %s/%s\n", folder.c_str(), name.c_str());
            return 1;
        }
        std::printf("%s: %zu bytes\n", name.c_str(), bytes.size());
    }
    return 0;
}
