// Whether Firefox is running on the default profile right now.
#pragma once

// True when Firefox holds the profile's lock file open. Firefox opens it without sharing for as
// long as it runs, so opening it for reading and writing fails with a sharing violation; the
// file's mere presence proves nothing, since it stays behind when Firefox ends.
bool IsProfileInUse();
