// Where a database keeps its stubs: in chunks that never move, so that an id stays
// valid while the drawing is open, and that tell by address alone whether a pointer is
// one of their stubs (an entity name is checked so before anything is read through it).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "arx/db_id.h"

class AcDbStubStore {
 public:
  AcDbStub& add() {
    if (chunks_.empty() || used_ == kChunk) {
      chunks_.push_back(std::make_unique<AcDbStub[]>(kChunk));
      starts_[address(chunks_.back().get())] = chunks_.size() - 1;
      used_ = 0;
    }
    return chunks_.back()[used_++];
  }

  std::size_t size() const { return chunks_.empty() ? 0 : (chunks_.size() - 1) * kChunk + used_; }

  bool contains(const AcDbStub* stub) const {
    const std::uintptr_t at = address(stub);
    auto chunk = starts_.upper_bound(at);
    if (chunk == starts_.begin()) return false;
    --chunk;
    const std::uintptr_t offset = at - chunk->first;
    const std::size_t count = chunk->second + 1 == chunks_.size() ? used_ : kChunk;
    return offset % sizeof(AcDbStub) == 0 && offset / sizeof(AcDbStub) < count;
  }

  template <typename Fn>
  void forEach(Fn&& fn) {
    for (std::size_t c = 0; c < chunks_.size(); ++c)
      for (std::size_t i = 0; i < (c + 1 == chunks_.size() ? used_ : kChunk); ++i) fn(chunks_[c][i]);
  }

  void clear() {
    chunks_.clear();
    starts_.clear();
    used_ = 0;
  }

 private:
  // Small chunks (3.5 KB): a drawing closed and another opened reuse the freed heap
  // instead of touching fresh pages; 1024-stub chunks made an open and save of 100,000
  // pipes a third slower.
  static constexpr std::size_t kChunk = 64;
  static std::uintptr_t address(const AcDbStub* stub) { return reinterpret_cast<std::uintptr_t>(stub); }

  std::vector<std::unique_ptr<AcDbStub[]>> chunks_;
  std::map<std::uintptr_t, std::size_t> starts_;  // chunk by the address it starts at
  std::size_t used_ = 0;                          // stubs in the last chunk
};
