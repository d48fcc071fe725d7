 user_pref ( "geo.enabled" ,
/* why */ 'x\'y' ) ; // done