// my settings
# a note
/* block */ user_pref ( "browser.startup.homepage" , "https://a.example" ) ;
user_pref('geo.enabled', false);
pref("dom.battery.enabled", true);
