// The handlers of the frame's own LISP functions.
#pragma once

// ov_plumb-disconnect: closes the current project's connection; answers nil.
int ovLispDisconnect();
// ov_plumb-getLayer KEY [SYSTEM | nil]: the layer's name, or nil.
int ovLispGetLayer();
// ov_plumb-setDoDocumentActivated FLAG: switches the deferred work on activation; nil.
int ovLispSetDoDocumentActivated();
