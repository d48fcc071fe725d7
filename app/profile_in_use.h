// Whether Firefox is running on a profile right now.
#pragma once

#include "prefs/profile_locator.h"

// True when Firefox holds the lock file of the profile open. Firefox opens it without sharing for
// as long as it runs, so opening it for reading and writing fails with a sharing violation; the
// file's mere presence proves nothing, since it stays behind when Firefox ends.
bool IsProfileInUse(const ProfileFolder& profile);
