(princ "no end)
