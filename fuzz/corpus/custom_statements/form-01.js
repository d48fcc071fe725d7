// only a comment
# another
/* and a block */