(a . b . c)
