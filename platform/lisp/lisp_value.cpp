// The host LISP's values: construction, access, equality, and the release of long
// lists without deep recursion.
#include "lisp/lisp_value.h"

#include <cmath>
#include <utility>

#include "arx/aced_print.h"

namespace {

class LispInt : public LispObject {
 public:
  explicit LispInt(std::int32_t v) : LispObject(LispType::kInt), value(v) {}
  std::int32_t value;
};

class LispReal : public LispObject {
 public:
  explicit LispReal(double v) : LispObject(LispType::kReal), value(v) {}
  double value;
};

// Strings and symbols both carry a text.
class LispText : public LispObject {
 public:
  LispText(LispType type, std::wstring t) : LispObject(type), text(std::move(t)) {}
  std::wstring text;
};

class LispEname : public LispObject {
 public:
  explicit LispEname(AcDbObjectId i) : LispObject(LispType::kEname), id(i) {}
  AcDbObjectId id;
};

const LispValue& nilValue() {
  static const LispValue nil;
  return nil;
}

const std::wstring& emptyText() {
  static const std::wstring empty;
  return empty;
}

// Cells whose release is pending while an outer release drains them one by one.
thread_local std::vector<LispValue>* tPendingRelease = nullptr;

}  // namespace

LispError::LispError(std::wstring message)
    : std::runtime_error(acutWideToUtf8(message)), message_(std::move(message)) {}

LispValue LispValue::integer(std::int32_t value) { return LispValue(std::make_shared<LispInt>(value)); }
LispValue LispValue::real(double value) { return LispValue(std::make_shared<LispReal>(value)); }
LispValue LispValue::string(std::wstring text) {
  return LispValue(std::make_shared<LispText>(LispType::kString, std::move(text)));
}
LispValue LispValue::symbol(const std::wstring& name) {
  return LispValue(std::make_shared<LispText>(LispType::kSymbol, lispUpperName(name)));
}
LispValue LispValue::cons(LispValue car, LispValue cdr) {
  return LispValue(std::make_shared<LispCons>(std::move(car), std::move(cdr)));
}
LispValue LispValue::ename(AcDbObjectId id) { return LispValue(std::make_shared<LispEname>(id)); }

LispValue LispValue::t() {
  static const LispValue t = symbol(L"T");
  return t;
}

LispValue LispValue::voidSymbol() {
  static const LispValue v = symbol(L"");
  return v;
}

LispValue LispValue::list(const LispArgs& items, LispValue tail) {
  LispValue result = std::move(tail);
  for (auto it = items.rbegin(); it != items.rend(); ++it) result = cons(*it, std::move(result));
  return result;
}

LispValue LispValue::fromObject(std::shared_ptr<const LispObject> object) { return LispValue(std::move(object)); }

LispType LispValue::type() const { return object_ ? object_->type() : LispType::kNil; }

std::int32_t LispValue::intValue() const {
  return isInt() ? static_cast<const LispInt&>(*object_).value : 0;
}

double LispValue::numberValue() const {
  if (isInt()) return static_cast<const LispInt&>(*object_).value;
  if (isReal()) return static_cast<const LispReal&>(*object_).value;
  return 0.0;
}

const std::wstring& LispValue::text() const {
  if (isString() || isSymbol()) return static_cast<const LispText&>(*object_).text;
  return emptyText();
}

const LispValue& LispValue::car() const {
  return isCons() ? static_cast<const LispCons&>(*object_).car() : nilValue();
}

const LispValue& LispValue::cdr() const {
  return isCons() ? static_cast<const LispCons&>(*object_).cdr() : nilValue();
}

AcDbObjectId LispValue::enameId() const {
  return isEname() ? static_cast<const LispEname&>(*object_).id : AcDbObjectId();
}

const LispSubr* LispValue::subr() const {
  return type() == LispType::kSubr ? static_cast<const LispSubr*>(object_.get()) : nullptr;
}

const LispUserFn* LispValue::userFn() const {
  return type() == LispType::kUserFn ? static_cast<const LispUserFn*>(object_.get()) : nullptr;
}

const LispHostObject* LispValue::hostObject() const {
  return type() == LispType::kHostObject ? static_cast<const LispHostObject*>(object_.get()) : nullptr;
}

// A list of a million cells, or a car nested a million deep, would otherwise be
// released by a million nested destructor calls and overflow the stack. The outermost
// release owns a worklist; the releases it triggers only add their cells to it.
LispCons::~LispCons() {
  bool carIsCell = car_.isCons();
  bool cdrIsCell = cdr_.isCons();
  if (!carIsCell && !cdrIsCell) return;
  if (tPendingRelease != nullptr) {
    if (carIsCell) tPendingRelease->push_back(std::move(car_));
    if (cdrIsCell) tPendingRelease->push_back(std::move(cdr_));
    return;
  }
  std::vector<LispValue> pending;
  tPendingRelease = &pending;
  if (carIsCell) pending.push_back(std::move(car_));
  if (cdrIsCell) pending.push_back(std::move(cdr_));
  while (!pending.empty()) {
    LispValue next = std::move(pending.back());
    pending.pop_back();
    // `next` is released here; a cell freed by it only queues its children.
  }
  tPendingRelease = nullptr;
}

bool lispListItems(const LispValue& list, LispArgs& items) {
  items.clear();
  const LispValue* cell = &list;
  while (cell->isCons()) {
    items.push_back(cell->car());
    cell = &cell->cdr();
  }
  return cell->isNil();
}

namespace {

bool atomsEqual(const LispValue& a, const LispValue& b, double fuzz) {
  if (a.isNumber() && b.isNumber()) {
    if (a.isInt() && b.isInt()) return std::abs(static_cast<double>(a.intValue()) - b.intValue()) <= fuzz;
    return std::abs(a.numberValue() - b.numberValue()) <= fuzz;
  }
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case LispType::kNil: return true;
    case LispType::kString:
    case LispType::kSymbol: return a.text() == b.text();
    case LispType::kEname: return a.enameId() == b.enameId();
    default: return a.sameObject(b);
  }
}

}  // namespace

// Walks both values side by side with a worklist, so nesting depth costs no stack.
bool lispEqual(const LispValue& a, const LispValue& b, double fuzz) {
  std::vector<std::pair<const LispValue*, const LispValue*>> work{{&a, &b}};
  while (!work.empty()) {
    auto [x, y] = work.back();
    work.pop_back();
    if (x->isCons() && y->isCons()) {
      if (x->sameObject(*y)) continue;
      work.emplace_back(&x->cdr(), &y->cdr());
      work.emplace_back(&x->car(), &y->car());
      continue;
    }
    if (!atomsEqual(*x, *y, fuzz)) return false;
  }
  return true;
}

std::wstring lispUpperName(const std::wstring& name) {
  std::wstring upper = name;
  for (wchar_t& c : upper) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return upper;
}
