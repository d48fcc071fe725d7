user_pref("geo.enabled", true);﻿user_pref("x", 1);
