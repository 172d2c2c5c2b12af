(setq a 1))
