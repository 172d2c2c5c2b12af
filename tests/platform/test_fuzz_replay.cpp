// Replays the fuzz corpus through the fuzz targets' own code: no input may crash the
// host, valid seeds load, broken seeds are refused with a reason, and anything else in
// the corpus (inputs the fuzzers found) only has to be handled without a fault.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../fuzz/fuzz_inputs.h"
#include "arx/aced_print.h"

namespace {

namespace fs = std::filesystem;
using FuzzFunction = FuzzOutcome (*)(const std::uint8_t*, std::size_t);

}  // namespace

// Every seed of each format: the sample drawings load (one .hdw with a proxy), the
// host's own DXF and a foreign one load, forms of real scripts read whole; the damaged
// copies are refused with a reason.
TEST(FuzzCorpusReplay, SeedsLoadOrAreRefused) {
  struct Format {
    const char* folder;
    FuzzFunction fuzz;
    int valid, broken;
  };
  const Format formats[] = {{"hdw", &fuzzHdwInput, 3, 10}, {"dxf", &fuzzDxfInput, 2, 3}, {"lisp", &fuzzLispInput, 3, 4}};
  for (const Format& format : formats) {
    int valid = 0, broken = 0;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(OV_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / format.folder)) {
      if (!entry.is_regular_file()) continue;
      std::string name = entry.path().filename().string();
      std::ifstream in(entry.path(), std::ios::binary);
      std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      FuzzOutcome outcome = format.fuzz(bytes.data(), bytes.size());
      SCOPED_TRACE(name + ": " + acutWideToUtf8(outcome.error));
      EXPECT_TRUE(outcome.consistent) << acutWideToUtf8(outcome.fault);
      if (name.rfind("valid-", 0) == 0) {
        EXPECT_TRUE(outcome.loaded);
        ++valid;
      } else if (name.rfind("broken-", 0) == 0) {
        EXPECT_FALSE(outcome.loaded);
        EXPECT_FALSE(outcome.error.empty());
        ++broken;
      }
    }
    EXPECT_GE(valid, format.valid) << format.folder;
    EXPECT_GE(broken, format.broken) << format.folder;
  }
}
