user_pref("geo.enabled", false);
