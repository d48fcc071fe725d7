user_pref("browser.search.openintab", true);
user_pref("view_source.editor.external", true);
user_pref("view_source.editor.path", "C:\\Program Files (x86)\\Editor\\editor.exe");
user_pref("media.peerconnection.enabled", false);
user_pref("geo.enabled", false);
