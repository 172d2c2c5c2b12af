// The growable list a pipe keeps its breaks, elbows, arcs and angles in. It owns its
// elements by value, and an index outside it raises the framework's invalid-argument
// exception, which the LISP call frame reports like any other framework failure.
#pragma once

#include <algorithm>
#include <vector>

#include "mfc/afx_exceptions.h"

template <typename T>
class PlumbArray {
 public:
  int size() const { return static_cast<int>(items_.size()); }
  bool isEmpty() const { return items_.empty(); }
  void append(const T& value) { items_.push_back(value); }
  // index may be size() (appends); beyond that is an invalid argument.
  void insertAt(int index, const T& value) {
    if (index < 0 || index > size()) AfxThrowInvalidArgException();
    items_.insert(items_.begin() + index, value);
  }
  void removeAll() { items_.clear(); }
  // Room for n elements in all, so that appending up to n allocates once.
  void reserve(int n) { items_.reserve(n > 0 ? static_cast<size_t>(n) : 0); }
  T& at(int index) {
    check(index);
    return items_[static_cast<size_t>(index)];
  }
  const T& at(int index) const {
    check(index);
    return items_[static_cast<size_t>(index)];
  }
  T& operator[](int index) { return at(index); }
  const T& operator[](int index) const { return at(index); }
  bool operator==(const PlumbArray& other) const { return items_ == other.items_; }

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  void check(int index) const {
    if (index < 0 || index >= size()) AfxThrowInvalidArgException();
  }
  std::vector<T> items_;
};
