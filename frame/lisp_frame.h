// The frames every LISP function of the module runs its worker in: the document of
// the working database is locked for the span of the worker, the worker's status
// becomes the answer to the host with its fixed message, and the document is
// unlocked on every way out, exceptions included.
#pragma once

#include <functional>

class ovApplication;

// What a worker answers its frame.
enum WorkerStatus {
  kWorkerDone = 0,          // the result is set, or nil is meant
  kWorkerTooFewArgs = 1,    // "Too few arguments passed."
  kWorkerWrongType = 2,     // "Wrong type of arguments passed."
  kWorkerBadData = 3,       // "Bad data passed ."
  kWorkerFailedTold = 4,    // the user was told already; show the text screen
};

using ovWorker = std::function<int()>;

// The standard frame. With a context it first needs a current document (nil without
// one) and a connected project database (nil, after the connection message, when it
// cannot be had). Answers RSRSLT or RSERR.
int runInDocument(const ovWorker& worker, ovApplication* context = nullptr);
// The frame without the context check: lock, run, map the status, unlock.
int runLocked(const ovWorker& worker);
// Prints the status's message and answers RSRSLT or RSERR for it.
int mapWorkerStatus(int status);
