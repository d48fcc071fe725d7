user_pref("geo.enabled", false);
user_pref("my.own", 1);
