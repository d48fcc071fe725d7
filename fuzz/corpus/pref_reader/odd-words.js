user_pref("a", "x\q"); user_pref("b", "line\
end"); userpref("c", 1); junk; user_prefs("d", true);
user_pref("e", 12abc); user_pref("f", 4294967295); user_pref("g", 4294967296);
user_pref("h", -2147483649); pref("i", 12