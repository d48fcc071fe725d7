user_pref("qv.a", 1) /; user_pref("qv.b", 2);
user_pref("qv.c", 3) /
user_pref("qv.d", 4);
user_pref("qv.a", 1) /; user_pref("qv.b", 2);
user_pref("qv.c", 3) /
user_pref("qv.d", 4);
