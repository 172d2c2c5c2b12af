// What each fuzz target does with one input, as plain functions so that the corpus
// replay test runs exactly the code the fuzzers run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct FuzzOutcome {
  // The host accepted the input as it is.
  bool loaded = false;
  // Why the host refused it (empty when it loaded).
  std::wstring error;
  // Every drawing accepted along the way could be saved and read back, and every
  // refusal said why and left the database empty. False is a fault of the host,
  // whatever the input was: the fuzz targets stop on it.
  bool consistent = true;
  // What went wrong when not consistent.
  std::wstring fault;
};

// The bytes as a .hdw file read into an empty database. A file whose checksum does not
// match is also read a second time with the checksum repaired, so that mutations reach
// the objects and not only the checksum test; the answer is that of the first read.
FuzzOutcome fuzzHdwInput(const std::uint8_t* data, std::size_t size);

// The bytes as a DXF file read into an empty database.
FuzzOutcome fuzzDxfInput(const std::uint8_t* data, std::size_t size);

// The bytes as LISP text read by the host's reader. Whatever it reads must print as
// text that reads back to the same print, and must cross to a plug-in as a result
// buffer chain and back without changing after the first crossing; text it refuses
// must be refused with a message. "loaded" means the whole text was read.
FuzzOutcome fuzzLispInput(const std::uint8_t* data, std::size_t size);
