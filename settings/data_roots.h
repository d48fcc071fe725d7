// The environment variables that name the two per-user application-data folders. The program's
// settings file lies below either, and Firefox keeps its profiles below them too.
#pragma once

#include "settings/scrambled_text.h"

inline constexpr auto kRoamingDataVariable = Scramble("APPDATA");
inline constexpr auto kLocalDataVariable = Scramble("LOCALAPPDATA");
