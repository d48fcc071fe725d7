// The program's artwork: every icon and bitmap resource, drawn from shapes at each size the
// program loads it in.
#pragma once

#include <string>
#include <vector>

#include "tools/icons/encoders.h"

namespace icons {

// One resource file: its name below res/icons and its bytes.
struct Asset {
    std::string fileName;
    Bytes bytes;
};

// The file names of every asset, in the order RenderAll produces them.
std::vector<std::string> AssetFileNames();

// Draws and encodes one asset by file name; an unknown name gives an empty result.
Bytes RenderAsset(const std::string& fileName);

}  // namespace icons
