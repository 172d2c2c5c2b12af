// A result-buffer chain owned by the code that made or received it, released with
// acutRelRb on every way out.
#pragma once

#include <memory>

#include "arx/resbuf.h"

struct ResbufRelease {
  void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using ResbufChain = std::unique_ptr<resbuf, ResbufRelease>;
