user_pref("qv.a", "\xAB\x4f\u00E9");
user_pref("qv.b", "\x4g");
user_pref("qv.c", 1);
user_pref("qv.a", "\xAB\x4f\u00E9");
user_pref("qv.b", "\x4g");
user_pref("qv.c", 1);
