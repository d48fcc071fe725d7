user_pref("geo.enabled", false);
user_pref("read plugins", true);