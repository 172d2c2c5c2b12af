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

struct ReplayCount {
  int valid = 0;
  int broken = 0;
};

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

ReplayCount replayCorpus(const char* format, FuzzFunction fuzz) {
  ReplayCount count;
  fs::path dir = fs::path(OV_SOURCE_DIR) / "tests" / "fuzz" / "corpus" / format;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::string name = entry.path().filename().string();
    std::ifstream in(entry.path(), std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    FuzzOutcome outcome = fuzz(bytes.data(), bytes.size());
    SCOPED_TRACE(name + ": " + acutWideToUtf8(outcome.error));
    EXPECT_TRUE(outcome.consistent) << acutWideToUtf8(outcome.fault);
    if (startsWith(name, "valid-")) {
      EXPECT_TRUE(outcome.loaded);
      ++count.valid;
    } else if (startsWith(name, "broken-")) {
      EXPECT_FALSE(outcome.loaded);
      EXPECT_FALSE(outcome.error.empty());
      ++count.broken;
    }
  }
  return count;
}

}  // namespace

// Every .hdw seed: the sample drawings load (one of them with a proxy), the damaged
// copies are refused.
TEST(FuzzCorpusReplay, HdwSeedsLoadOrAreRefused) {
  ReplayCount count = replayCorpus("hdw", &fuzzHdwInput);
  EXPECT_GE(count.valid, 3);
  EXPECT_GE(count.broken, 10);
}

// Every DXF seed: the host's own DXF and a foreign one load, damaged ones are refused.
TEST(FuzzCorpusReplay, DxfSeedsLoadOrAreRefused) {
  ReplayCount count = replayCorpus("dxf", &fuzzDxfInput);
  EXPECT_GE(count.valid, 2);
  EXPECT_GE(count.broken, 3);
}

// Every LISP seed: forms of real scripts read whole, broken text is refused with the
// reader's message.
TEST(FuzzCorpusReplay, LispSeedsReadOrAreRefused) {
  ReplayCount count = replayCorpus("lisp", &fuzzLispInput);
  EXPECT_GE(count.valid, 3);
  EXPECT_GE(count.broken, 4);
}
