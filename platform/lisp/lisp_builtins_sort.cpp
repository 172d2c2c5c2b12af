// Sorting lists: vl-sort and vl-sort-i with the caller's comparison function, and
// acad_strlsort for strings.
#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <vector>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"

namespace {

// Positions of items in their sorted order. The comparison is the user's LISP function,
// which need not be a consistent order ('<= or a mistake) and may end in an error
// halfway: a merge sort of our own stays inside its vectors whatever it answers, where
// the standard sorts assume a strict weak order. Merging takes the right run's item
// only when it strictly precedes, so equal items keep the order they came in.
template <typename Precedes>
std::vector<size_t> mergeSorted(std::vector<size_t> order, Precedes precedes) {
  std::vector<size_t> merged(order.size());
  for (size_t width = 1; width < order.size(); width *= 2) {
    for (size_t lo = 0; lo < order.size(); lo += 2 * width) {
      size_t mid = std::min(lo + width, order.size());
      size_t hi = std::min(lo + 2 * width, order.size());
      size_t i = lo, j = mid, out = lo;
      while (i < mid && j < hi) merged[out++] = precedes(order[j], order[i]) ? order[j++] : order[i++];
      while (i < mid) merged[out++] = order[i++];
      while (j < hi) merged[out++] = order[j++];
    }
    order.swap(merged);
  }
  return order;
}

// The sorted positions of the list's items. Items the comparison finds equal come out
// in the reverse of their order in the list, as the host's vl-sort-i gives them
// ((vl-sort-i '(3 2 1 3) '<) is (2 1 3 0)).
std::vector<size_t> sortedPositions(LispInterpreter& in, const LispArgs& items, const LispValue& comparison) {
  std::vector<size_t> order;
  for (size_t k = items.size(); k-- > 0;) order.push_back(k);
  return mergeSorted(std::move(order), [&](size_t a, size_t b) {
    return !in.apply(comparison, {items[a], items[b]}).isNil();
  });
}

// Items that are the same value in the sense of eq: integers and symbols of one value,
// one and the same list or string. Reals and strings that merely look alike stay.
bool sameItem(const LispValue& a, const LispValue& b) {
  if (a.type() != b.type()) return false;
  if (a.isInt()) return a.intValue() == b.intValue();
  if (a.isSymbol()) return a.text() == b.text();
  if (a.isEname()) return a.enameId() == b.enameId();
  return a.sameObject(b);
}

// vl-sort drops an item that is the same value as the one sorted before it, as the
// host does ((vl-sort '(3 2 1 3) '<) is (1 2 3)).
LispValue sortItems(LispInterpreter& in, const LispArgs& a) {
  LispArgs items = lispListArg(a[0]);
  LispArgs sorted;
  for (size_t k : sortedPositions(in, items, a[1])) {
    if (sorted.empty() || !sameItem(sorted.back(), items[k])) sorted.push_back(items[k]);
  }
  return LispValue::list(sorted);
}

LispValue sortIndices(LispInterpreter& in, const LispArgs& a) {
  LispArgs indices;
  for (size_t k : sortedPositions(in, lispListArg(a[0]), a[1])) {
    indices.push_back(LispValue::integer(static_cast<std::int32_t>(k)));
  }
  return LispValue::list(indices);
}

// Alphabetical: letters compare without regard to case, and only words that differ in
// case alone are ordered by their codes ("A" before "a"). A list holding anything but
// strings answers nil.
LispValue sortStrings(const LispValue& list) {
  LispArgs items = lispListArg(list);
  for (const LispValue& item : items) {
    if (!item.isString()) return LispValue();
  }
  auto folded = [](const std::wstring& text) {
    std::wstring f = text;
    for (wchar_t& c : f) c = static_cast<wchar_t>(std::towlower(c));
    return f;
  };
  std::vector<size_t> order(items.size());
  for (size_t k = 0; k < order.size(); ++k) order[k] = k;
  order = mergeSorted(std::move(order), [&](size_t a, size_t b) {
    int byLetters = folded(items[a].text()).compare(folded(items[b].text()));
    return byLetters != 0 ? byLetters < 0 : items[a].text() < items[b].text();
  });
  LispArgs sorted;
  for (size_t k : order) sorted.push_back(items[k]);
  return LispValue::list(sorted);
}

}  // namespace

void lispDefineSortBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"vl-sort", 2, 2, sortItems);
  in.defineBuiltin(L"vl-sort-i", 2, 2, sortIndices);
  in.defineBuiltin(L"acad_strlsort", 1, 1, [](LispInterpreter&, const LispArgs& a) { return sortStrings(a[0]); });
}
