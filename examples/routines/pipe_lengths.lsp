;;; pipe_lengths.lsp -- the pipes and lines of one layer, longest first, in a CSV file.
;;;
;;; A routine of the kind designers keep in their support folder: it only uses the
;;; host's AutoLISP, so it runs unchanged in ovhost and in the CAD host.
;;;
;;;   (pipe-lengths LAYER FILE)  writes FILE: a heading, then one row per pipe or line
;;;                              on LAYER (wild cards allowed), longest first; answers
;;;                              the number of rows, nil when the layer has none
;;;   PIPELENGTHS                the same as a command, asking for the layer and file
;;;
;;; Anything on the layer whose name starts like a pipe's (a flow arrow has no length)
;;; is reported and left out rather than ending the routine.

(vl-load-com)

;; The length of a curve; an error for anything that is not one.
(defun pl:length (ename)
  (vlax-curve-getDistAtParam ename (vlax-curve-getEndParam ename)))

;; A CSV field: quoted, with its quotes doubled, when it holds a comma or a quote.
(defun pl:csv-field (text / at)
  (if (or (vl-string-search "," text) (vl-string-search "\"" text))
    (progn
      (setq at 0)
      (while (setq at (vl-string-search "\"" text at))
        (setq text (vl-string-subst "\"\"" "\"" text at)
              at (+ at 2)))
      (strcat "\"" text "\""))
    text))

(defun pl:csv-line (fields / line)
  (setq line (pl:csv-field (car fields)))
  (foreach field (cdr fields) (setq line (strcat line "," (pl:csv-field field))))
  line)

(defun pipe-lengths (layer file / ss i ename data measured rows skipped out)
  (setq ss (ssget "X" (list (cons 0 "LINE,OVPLUMB*") (cons 8 layer)))
        i 0)
  (if ss
    (progn
      (repeat (sslength ss)
        (setq ename (ssname ss i)
              data (entget ename)
              measured (vl-catch-all-apply 'pl:length (list ename))
              i (1+ i))
        (if (vl-catch-all-error-p measured)
          (setq skipped (cons (list (cdr (assoc 5 data)) (vl-catch-all-error-message measured)) skipped))
          (setq rows (cons (list measured (cdr (assoc 5 data)) (cdr (assoc 0 data)) (cdr (assoc 8 data))) rows))))
      (setq rows (vl-sort rows '(lambda (a b) (> (car a) (car b))))
            out (open file "w"))
      (write-line "Handle,Type,Layer,Length,Feet and inches" out)
      (foreach row rows
        (write-line (pl:csv-line (list (cadr row) (caddr row) (cadddr row)
                                       (rtos (car row) 2 2) (rtos (car row) 4 4)))
                    out))
      (close out)
      (foreach skip (reverse skipped)
        (princ (strcat "\nskipped " (car skip) ": " (cadr skip))))
      (princ (strcat "\n" (itoa (length rows)) " rows written to " file "\n"))
      (length rows))
    (progn
      (princ (strcat "\nnothing on layer " layer "\n"))
      nil)))

(defun c:pipelengths (/ layer file)
  (setq layer (getstring "\nLayer: ")
        file (getstring T "\nCSV file: "))
  (pipe-lengths layer file)
  (princ))
