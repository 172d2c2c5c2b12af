(defun f (x)
  (+ x 1)
