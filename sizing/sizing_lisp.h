// The LISP functions of the sizing dialogs.
#pragma once

// ov_plumb-pipeSizingTable [DATABASE-FILE]: the sizing-table editor; answers nil.
int ovLispPipeSizingTable();
