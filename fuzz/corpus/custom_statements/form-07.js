user_pref(
"my.own", 1);