// LISP values to result-buffer chains and back. Both directions keep open lists on an
// explicit stack, so nesting depth never costs machine stack.
#include "lisp/lisp_resbuf.h"

#include <cmath>
#include <cwchar>
#include <limits>

#include "lisp/lisp_printer.h"

namespace {

// Appends buffers to a chain it owns until released, so that an error half way
// through frees what was built.
class ChainBuilder {
 public:
  ChainBuilder() = default;
  ~ChainBuilder() { acutRelRb(head_); }
  ChainBuilder(const ChainBuilder&) = delete;
  ChainBuilder& operator=(const ChainBuilder&) = delete;

  resbuf* add(int type) {
    resbuf* rb = acutNewRb(type);
    *tail_ = rb;
    tail_ = &rb->rbnext;
    return rb;
  }
  resbuf* release() {
    resbuf* head = head_;
    head_ = nullptr;
    tail_ = &head_;
    return head;
  }

 private:
  resbuf* head_ = nullptr;
  resbuf** tail_ = &head_;
};

void appendAtom(ChainBuilder& out, const LispValue& value) {
  switch (value.type()) {
    case LispType::kNil: out.add(RTNIL); return;
    case LispType::kInt: {
      std::int32_t i = value.intValue();
      if (i >= std::numeric_limits<short>::min() && i <= std::numeric_limits<short>::max()) {
        out.add(RTSHORT)->resval.rint = static_cast<short>(i);
      } else {
        out.add(RTLONG)->resval.rlong = i;
      }
      return;
    }
    case LispType::kReal: out.add(RTREAL)->resval.rreal = value.numberValue(); return;
    case LispType::kString: out.add(RTSTR)->resval.rstring = acutNewString(value.text().c_str()); return;
    case LispType::kSymbol:
      if (value.text() == L"T") out.add(RTT);
      else if (value.text().empty()) out.add(RTNIL);  // what (princ) answers
      else out.add(RTSTR)->resval.rstring = acutNewString(value.text().c_str());
      return;
    case LispType::kEname: {
      resbuf* rb = out.add(RTENAME);
      rb->resval.rlname[0] = value.enameId().asOldId();
      rb->resval.rlname[1] = 0;
      return;
    }
    case LispType::kCons: break;
    case LispType::kSubr:
    case LispType::kUserFn:
    case LispType::kHostObject: break;
  }
  throw LispError(L"bad argument type for a host function: " + lispToString(value));
}

// A proper list of two or three numbers goes as one point buffer of reals.
bool appendPoint(ChainBuilder& out, const LispValue& list) {
  LispArgs items;
  if (!lispListItems(list, items) || items.size() < 2 || items.size() > 3) return false;
  for (const LispValue& item : items) {
    if (!item.isNumber()) return false;
  }
  resbuf* rb = out.add(items.size() == 2 ? RTPOINT : RT3DPOINT);
  for (size_t k = 0; k < items.size(); ++k) rb->resval.rpoint[k] = items[k].numberValue();
  return true;
}

void appendValue(ChainBuilder& out, const LispValue& value) {
  if (!value.isCons()) {
    appendAtom(out, value);
    return;
  }
  if (appendPoint(out, value)) return;
  out.add(RTLB);
  std::vector<const LispValue*> open{&value};  // the rest of each open list
  while (!open.empty()) {
    const LispValue* rest = open.back();
    if (rest->isCons()) {
      const LispValue& item = rest->car();
      open.back() = &rest->cdr();
      if (!item.isCons()) {
        appendAtom(out, item);
      } else if (!appendPoint(out, item)) {
        out.add(RTLB);
        open.push_back(&item);
      }
      continue;
    }
    if (!rest->isNil()) {
      out.add(RTDOTE);
      appendAtom(out, *rest);
    }
    out.add(RTLE);
    open.pop_back();
  }
}

LispValue pointValue(const double* p, int count) {
  LispArgs items;
  for (int k = 0; k < count; ++k) items.push_back(LispValue::real(p[k]));
  return LispValue::list(items);
}

// The value of a DXF group buffer, as entity data lists pair it with its code.
bool groupValue(const resbuf* rb, LispValue& value) {
  const ads_u_val& v = rb->resval;
  switch (acutRbValueKind(rb->restype)) {
    case RbValueKind::kReal: value = LispValue::real(v.rreal); return true;
    case RbValueKind::kPoint: value = pointValue(v.rpoint, 3); return true;
    case RbValueKind::kShort: value = LispValue::integer(v.rint); return true;
    case RbValueKind::kLong: value = LispValue::integer(v.rlong); return true;
    case RbValueKind::kInt64:
      if (v.mnInt64 >= std::numeric_limits<std::int32_t>::min() && v.mnInt64 <= std::numeric_limits<std::int32_t>::max()) {
        value = LispValue::integer(static_cast<std::int32_t>(v.mnInt64));
      } else {
        value = LispValue::real(static_cast<double>(v.mnInt64));
      }
      return true;
    case RbValueKind::kString: value = LispValue::string(v.rstring ? v.rstring : L""); return true;
    case RbValueKind::kName: value = LispValue::ename(AcDbObjectId().setFromOldId(v.rlname[0])); return true;
    case RbValueKind::kBinary: {
      std::wstring hex;
      for (short k = 0; k < v.rbinary.clen && v.rbinary.buf != nullptr; ++k) {
        wchar_t digits[4];
        std::swprintf(digits, 4, L"%02X", static_cast<unsigned char>(v.rbinary.buf[k]));
        hex += digits;
      }
      value = LispValue::string(hex);
      return true;
    }
    case RbValueKind::kHandle:
    case RbValueKind::kNone: break;
  }
  return false;
}

bool atomFromResbuf(const resbuf* rb, LispValue& value, std::wstring& error) {
  const ads_u_val& v = rb->resval;
  switch (rb->restype) {
    case RTREAL: case RTANG: case RTORINT: value = LispValue::real(v.rreal); return true;
    case RTSHORT: value = LispValue::integer(v.rint); return true;
    case RTLONG: value = LispValue::integer(v.rlong); return true;
    case RTSTR: value = LispValue::string(v.rstring ? v.rstring : L""); return true;
    case RTENAME: value = LispValue::ename(AcDbObjectId().setFromOldId(v.rlname[0])); return true;
    case RTPOINT: value = pointValue(v.rpoint, 2); return true;
    case RT3DPOINT: value = pointValue(v.rpoint, 3); return true;
    case RTNIL: case RTNONE: case RTVOID: value = LispValue(); return true;
    case RTT: value = LispValue::t(); return true;
    default: break;
  }
  LispValue group;
  if (rb->restype < RTNONE && groupValue(rb, group)) {
    value = LispValue::cons(LispValue::integer(rb->restype), group);
    return true;
  }
  error = L"result buffer of unknown type " + std::to_wstring(rb->restype);
  return false;
}

// The items of one bracket level of a chain, with the tail after an RTDOTE.
struct Level {
  LispArgs items;
  bool dotted = false;
  bool tailSet = false;
  LispValue tail;
};

bool deliver(Level& level, LispValue value, std::wstring& error) {
  if (!level.dotted) {
    level.items.push_back(std::move(value));
    return true;
  }
  if (level.tailSet) {
    error = L"more than one value after RTDOTE";
    return false;
  }
  level.tail = std::move(value);
  level.tailSet = true;
  return true;
}

bool readChain(const resbuf* rb, bool dotAtTop, Level& top, std::wstring& error) {
  std::vector<Level> levels(1);
  for (; rb != nullptr; rb = rb->rbnext) {
    if (rb->restype == RTLB) {
      levels.emplace_back();
    } else if (rb->restype == RTLE) {
      if (levels.size() == 1) {
        error = L"RTLE without RTLB";
        return false;
      }
      Level done = std::move(levels.back());
      levels.pop_back();
      if (done.dotted && !done.tailSet) {
        error = L"RTDOTE without a value after it";
        return false;
      }
      if (!deliver(levels.back(), LispValue::list(done.items, std::move(done.tail)), error)) return false;
    } else if (rb->restype == RTDOTE) {
      Level& level = levels.back();
      if (level.items.empty() || level.dotted || (levels.size() == 1 && !dotAtTop)) {
        error = L"misplaced RTDOTE";
        return false;
      }
      level.dotted = true;
    } else {
      LispValue value;
      if (!atomFromResbuf(rb, value, error) || !deliver(levels.back(), std::move(value), error)) return false;
    }
  }
  if (levels.size() != 1) {
    error = L"RTLB without RTLE";
    return false;
  }
  if (levels[0].dotted && !levels[0].tailSet) {
    error = L"RTDOTE without a value after it";
    return false;
  }
  top = std::move(levels[0]);
  return true;
}

// Whether one value buffer (no list bracket) comes back from its LISP value as it is:
// small integers travel as RTSHORT, a 2D point has no height, texts and names exist.
bool atomKeepsItsForm(const resbuf* rb) {
  const ads_u_val& v = rb->resval;
  switch (rb->restype) {
    case RTREAL: case RTSHORT: case RTNIL: case RTT: case RT3DPOINT: return true;
    case RTLONG: return v.rlong < std::numeric_limits<short>::min() || v.rlong > std::numeric_limits<short>::max();
    case RTSTR: return v.rstring != nullptr;
    case RTENAME: return v.rlname[1] == 0;
    case RTPOINT: return v.rpoint[2] == 0.0 && !std::signbit(v.rpoint[2]);
    default: return false;
  }
}

bool isNumberBuffer(const resbuf* rb) {
  return rb->restype == RTREAL || rb->restype == RTSHORT || rb->restype == RTLONG;
}

// One open bracket of a chain being checked.
struct OpenList {
  int items = 0;
  bool allNumbers = true;
  bool dotted = false;
  int tailItems = 0;
  bool tailIsAtom = false;
};

}  // namespace

resbuf* lispToResbuf(const LispValue& value) {
  ChainBuilder out;
  appendValue(out, value);
  return out.release();
}

resbuf* lispArgsToResbuf(const LispArgs& values) {
  ChainBuilder out;
  for (const LispValue& value : values) appendValue(out, value);
  return out.release();
}

resbuf* lispResultToResbuf(const LispValue& value) {
  LispArgs items;
  if (value.isNil() || !lispListItems(value, items)) return lispToResbuf(value);
  return lispArgsToResbuf(items);
}

bool lispValuesFromResbuf(const resbuf* chain, LispArgs& values, std::wstring& error) {
  Level top;
  if (!readChain(chain, false, top, error)) return false;
  values = std::move(top.items);
  return true;
}

bool lispChainIsArgsForm(const resbuf* chain) {
  std::vector<OpenList> open;
  // A finished value counts as an item of the list around it (or as the tail after
  // its RTDOTE); top-level values need no count.
  auto deliver = [&open](bool atom, bool number) {
    if (open.empty()) return true;
    OpenList& list = open.back();
    if (list.dotted) {
      ++list.tailItems;
      list.tailIsAtom = atom;
      return list.tailItems == 1;
    }
    ++list.items;
    list.allNumbers = list.allNumbers && number;
    return true;
  };
  for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext) {
    switch (rb->restype) {
      case RTLB: open.emplace_back(); break;
      case RTDOTE:
        if (open.empty() || open.back().dotted || open.back().items == 0) return false;
        open.back().dotted = true;
        break;
      case RTLE: {
        if (open.empty()) return false;
        const OpenList list = open.back();
        open.pop_back();
        if (list.dotted) {
          // Only an atom other than nil stays the tail of a dotted list: a list
          // after the dot continues the list, nil ends it.
          if (list.tailItems != 1 || !list.tailIsAtom) return false;
        } else {
          // An empty list is nil, and two or three numbers are a point.
          if (list.items == 0) return false;
          if ((list.items == 2 || list.items == 3) && list.allNumbers) return false;
        }
        if (!deliver(false, false)) return false;
        break;
      }
      default:
        if (!atomKeepsItsForm(rb)) return false;
        if (rb->restype == RTNIL && !open.empty() && open.back().dotted) return false;
        // A point is a list of numbers: after a dot it would continue the list too.
        if (!deliver(rb->restype != RTPOINT && rb->restype != RT3DPOINT, isNumberBuffer(rb))) return false;
        break;
    }
  }
  return open.empty();
}

bool lispListFromResbuf(const resbuf* chain, LispValue& value, std::wstring& error) {
  Level top;
  if (!readChain(chain, true, top, error)) return false;
  if (chain != nullptr && chain->restype == RTLB && top.items.size() == 1 && !top.dotted) {
    value = top.items[0];
  } else {
    value = LispValue::list(top.items, std::move(top.tail));
  }
  return true;
}
