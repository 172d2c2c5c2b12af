// libFuzzer target: arbitrary bytes read as LISP text by the host's reader.
#include <cstdio>
#include <cstdlib>

#include "arx/aced_print.h"
#include "fuzz_inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzOutcome outcome = fuzzLispInput(data, size);
  if (!outcome.consistent) {
    std::fprintf(stderr, "fuzz_lisp: %s\n", acutWideToUtf8(outcome.fault).c_str());
    std::abort();
  }
  return 0;
}
