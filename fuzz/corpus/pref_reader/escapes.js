/* a template */ # hash
user_pref('qv.a', "C:\\x\x41\u00e9\ud83d\ude00\n\r\"\'");
lockPref("geo.enabled", false); sticky_pref("b", -7); pref("c", +2147483647);
user_pref("read plugins", 5)
;user_pref("dom.battery.enabled", /* c */ true) ;// end
