// The LISP function that opens the options dialog (ov_plumb-options).
#pragma once

// Registered without a call frame: reads its own arguments and answers the host.
int ovLispOptions();
