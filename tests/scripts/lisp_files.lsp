; ovhost: --no-module
; exit: 1
; Files in AutoLISP, in the script's own empty folder ($TMP): writing, appending and
; reading text files, the file functions, folders, file names, findfile's search path
; (the current folder, the drawing's folder, the folders of ACAD) and load. Comments
; say what each group shows.

(defun show (label value) (princ label) (prin1 value) (terpri))
(defun lines-of (name / f line all)
  (setq f (open name "r"))
  (while (setq line (read-line f)) (setq all (cons line all)))
  (close f)
  (reverse all))

; "w" makes a new file; write-line and write-char answer what they wrote; close
; answers nil. Text is UTF-8.
(setq f (open "pipes.csv" "w"))
(show "descriptor: " f)
(show "type: " (type f))
(show "write-line: " (write-line "Size,Length" f))
(show "write-char: " (list (write-char 49 f) (write-char 44 f) (write-char 50 f) (write-char 10 f)))
(write-line "Ø 50,3.5 m" f)
(show "close: " (close f))
; "r" reads it back line by line, nil at the end; read-char reads codes, a line's end
; as 10.
(show "lines: " (lines-of "pipes.csv"))
(setq f (open "pipes.csv" "r"))
(show "chars: " (list (read-char f) (read-char f) (read-char f) (read-char f) (read-char f)))
(show "rest of the line: " (read-line f))
(close f)
; "a" adds at the end; "w" on a file that is there empties it first.
(setq f (open "pipes.csv" "a"))
(write-line "75,1.25 m" f)
(close f)
(show "appended: " (lines-of "pipes.csv"))
(setq f (open "scratch.txt" "w"))
(write-line "old" f)
(close f)
(setq f (open "scratch.txt" "w"))
(write-line "new" f)
(close f)
(show "rewritten: " (lines-of "scratch.txt"))
; A file written with CR LF line ends reads the same.
(setq f (open "dos.txt" "w"))
(write-line "one\r" f)
(write-char 13 f)
(write-char 10 f)
(write-line "three" f)
(close f)
(show "CR LF: " (lines-of "dos.txt"))
(setq f (open "dos.txt" "r"))
(show "CR LF as one end: " (list (read-char f) (read-char f) (read-char f) (read-char f) (read-char f)))
(close f)
; Without a file, write-line and write-char write to the command line.
(write-line "to the command line")
(write-char 88)
(terpri)
; What open refuses, and what a closed file or one opened the other way refuses.
(show "no such folder: " (open "no/such/folder.txt" "w"))
(show "no such file: " (open "missing.txt" "r"))
(vl-mkdir "a-folder")
(show "a folder: " (list (open "a-folder" "r") (open "a-folder" "w")))
(open "pipes.csv" "x")
(setq f (open "pipes.csv" "r"))
(write-line "into a file opened to read" f)
(close f)
(read-line f)
(close f)
(read-line "pipes.csv")

; The file functions: copying never overwrites (unless appending) and answers the
; bytes copied; renaming never overwrites; deleting takes files only.
(show "copy: " (vl-file-copy "pipes.csv" "copy.csv"))
(show "copy onto a file: " (vl-file-copy "pipes.csv" "copy.csv"))
(show "copy appending: " (vl-file-copy "scratch.txt" "copy.csv" T))
(show "copied: " (lines-of "copy.csv"))
(show "copy of nothing: " (vl-file-copy "missing.txt" "other.txt"))
(show "rename: " (vl-file-rename "copy.csv" "renamed.csv"))
(show "rename onto a file: " (vl-file-rename "renamed.csv" "pipes.csv"))
(show "rename of nothing: " (vl-file-rename "copy.csv" "x.csv"))
(show "mkdir: " (list (vl-mkdir "lib") (vl-mkdir "lib") (vl-mkdir "no/such/parent")))
(show "directory-p: " (list (vl-file-directory-p "lib") (vl-file-directory-p "pipes.csv") (vl-file-directory-p "none")))
(show "delete: " (list (vl-file-delete "renamed.csv") (vl-file-delete "renamed.csv") (vl-file-delete "lib")))

; vl-directory-files: a pattern of * and ? (any case), files only (1), folders only
; (-1, with . and ..), or both; names sorted by character code; nil for no folder.
(vl-mkdir "lib/sub")
(vl-file-copy "pipes.csv" "lib/Pipes.CSV")
(vl-file-copy "pipes.csv" "lib/notes.txt")
(show "all: " (vl-directory-files "lib"))
(show "files: " (vl-directory-files "lib" nil 1))
(show "folders: " (vl-directory-files "lib" nil -1))
(show "*.csv: " (vl-directory-files "lib" "*.csv" 1))
(show "n?tes.*: " (vl-directory-files "lib" "n?tes.*"))
(show "current folder: " (vl-directory-files nil "*.csv"))
(show "no folder: " (vl-directory-files "none"))

; File names with "\" or "/" between folders.
(show "base: " (mapcar 'vl-filename-base '("c:\\acadwin\\acad.exe" "/plans/level1.plan.dwg" "noext" "dir/")))
(show "extension: " (mapcar 'vl-filename-extension '("c:\\acadwin\\acad.exe" "/plans/level1.plan.dwg" "noext")))
(show "directory: " (mapcar 'vl-filename-directory '("c:\\acadwin\\acad.exe" "/plans/level1.dwg" "acad.exe")))

; findfile looks in the current folder, then the drawing's folder, then the folders of
; the support path ACAD; a name with a folder is looked for there only.
(show "current folder: " (findfile "pipes.csv"))
(show "with a folder: " (findfile "lib/notes.txt"))
(show "not found: " (list (findfile "notes.txt") (findfile "") (findfile "lib/none.txt")))
(vl-mkdir "drawings")
(vl-file-copy "pipes.csv" "drawings/beside-the-drawing.txt")
(host-open "drawings/level1.hdw")
(show "drawing's folder: " (findfile "beside-the-drawing.txt"))
(vl-mkdir "support")
(vl-file-copy "pipes.csv" "support/in-support.txt")
(show "getenv: " (list (getenv "OV_NO_SUCH_VARIABLE") (setenv "ACAD" "lib/sub;support") (getenv "ACAD")))
(show "support path: " (findfile "in-support.txt"))
(show "the current folder first: " (progn (vl-file-copy "pipes.csv" "in-support.txt") (findfile "in-support.txt")))

; load runs a file's forms and answers the last value; ".lsp" is tried first for a
; name without one, and the search path is findfile's. A missing file is an error
; unless onfailure is given (its value, or what it answers when it is a function);
; an error in the file ends the load.
(setq f (open "support/routines.lsp" "w"))
(write-line "(defun double (x) (* 2 x))" f)
(write-line "(setq routines-loaded T)" f)
(write-line "'last-value" f)
(close f)
(show "load: " (load "routines"))
(show "loaded: " (list (double 21) routines-loaded))
(show "load with extension: " (load "support/routines.lsp"))
(show "onfailure value: " (load "missing" "not loaded"))
(show "onfailure function: " (load "missing" (lambda () "asked")))
(load "missing")
(setq f (open "broken.lsp" "w"))
(write-line "(setq before-error 1)" f)
(write-line "(car 5)" f)
(write-line "(setq after-error 1)" f)
(close f)
(load "broken")
(show "the load stopped at the error: " (list before-error after-error))
(setq f (open "open.lsp" "w"))
(write-line "(setq first-form 1) (car" f)
(close f)
(load "open.lsp")
(show "forms before a reading fault ran: " first-form)
