// The host LISP's values (integers, reals, strings, symbols, cons cells, entity names,
// functions) shared immutably, and the error that every LISP operation may raise.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "arx/db_id.h"

class LispInterpreter;
class LispValue;
class LispObject;
class LispSubr;
class LispUserFn;
class LispHostObject;

using LispArgs = std::vector<LispValue>;
// A function written in C++: it receives its arguments evaluated (or, for a special
// form, as written) and answers a value or throws LispError.
using LispBuiltinFn = std::function<LispValue(LispInterpreter&, const LispArgs&)>;

// kHostObject: a value the host makes for one purpose (a selection set, an open file,
// a caught error), which names its own type and printed form.
enum class LispType { kNil, kInt, kReal, kString, kSymbol, kCons, kEname, kSubr, kUserFn, kHostObject };

// A LISP error: the message printed after "; error: ". Once it has been reported (the
// user's *error* called, or the message printed) it is marked so, and whoever catches
// it further out does not report it again.
class LispError : public std::runtime_error {
 public:
  explicit LispError(std::wstring message);
  const std::wstring& message() const { return message_; }
  bool reported() const { return reported_; }
  void setReported() { reported_ = true; }

 private:
  std::wstring message_;
  bool reported_ = false;
};

// A value; the default value is nil. Copies share the object, which never changes
// after it is made (there is no rplaca), so lists cannot form cycles and shared
// ownership releases everything.
class LispValue {
 public:
  LispValue() = default;

  static LispValue integer(std::int32_t value);
  static LispValue real(double value);
  static LispValue string(std::wstring text);
  // Symbol names are folded to upper case as the reader does.
  static LispValue symbol(const std::wstring& name);
  static LispValue cons(LispValue car, LispValue cdr);
  static LispValue ename(AcDbObjectId id);
  static LispValue t();
  // The symbol with an empty name that (princ) answers: it prints as nothing.
  static LispValue voidSymbol();
  // A list of the items, ending in tail (nil for a proper list).
  static LispValue list(const LispArgs& items, LispValue tail = LispValue());
  static LispValue fromObject(std::shared_ptr<const LispObject> object);

  LispType type() const;
  bool isNil() const { return object_ == nullptr; }
  bool isInt() const { return type() == LispType::kInt; }
  bool isReal() const { return type() == LispType::kReal; }
  bool isNumber() const { return isInt() || isReal(); }
  bool isString() const { return type() == LispType::kString; }
  bool isSymbol() const { return type() == LispType::kSymbol; }
  bool isSymbol(const std::wstring& upperName) const { return isSymbol() && text() == upperName; }
  bool isCons() const { return type() == LispType::kCons; }
  bool isList() const { return isNil() || isCons(); }
  bool isEname() const { return type() == LispType::kEname; }
  bool isFunction() const { return type() == LispType::kSubr || type() == LispType::kUserFn; }
  bool isHostObject() const { return type() == LispType::kHostObject; }

  // Accessors; each answers a neutral value (0, empty, nil) for a value of another type.
  std::int32_t intValue() const;
  double numberValue() const;  // an integer or a real as a real
  const std::wstring& text() const;  // a string's text or a symbol's name
  const LispValue& car() const;
  const LispValue& cdr() const;
  AcDbObjectId enameId() const;
  const LispSubr* subr() const;
  const LispUserFn* userFn() const;
  const LispHostObject* hostObject() const;
  // The host object as one of its kinds; null for any other value.
  template <typename Kind>
  const Kind* hostObjectAs() const {
    return dynamic_cast<const Kind*>(hostObject());
  }

  bool sameObject(const LispValue& other) const { return object_ == other.object_; }

 private:
  explicit LispValue(std::shared_ptr<const LispObject> object) : object_(std::move(object)) {}
  std::shared_ptr<const LispObject> object_;
};

class LispObject {
 public:
  explicit LispObject(LispType type) : type_(type) {}
  virtual ~LispObject() = default;
  LispType type() const { return type_; }

 private:
  LispType type_;
};

class LispCons : public LispObject {
 public:
  LispCons(LispValue car, LispValue cdr) : LispObject(LispType::kCons), car_(std::move(car)), cdr_(std::move(cdr)) {}
  // Releases long and deeply nested lists without recursing once per cell.
  ~LispCons() override;
  const LispValue& car() const { return car_; }
  const LispValue& cdr() const { return cdr_; }

 private:
  LispValue car_;
  LispValue cdr_;
};

// A built-in function, a special form (its arguments arrive unevaluated), or a
// function a plug-in registered with acedDefun (dispatched by application and code).
class LispSubr : public LispObject {
 public:
  LispSubr() : LispObject(LispType::kSubr) {}
  std::wstring name;
  int minArgs = 0;
  int maxArgs = -1;  // -1: no limit
  bool special = false;
  LispBuiltinFn fn;
  bool external = false;
  const void* application = nullptr;
  short funcCode = 0;
};

// A function made by defun or lambda. LISP scope is dynamic: a call binds the
// parameters and locals globally and puts the old values back when it ends.
class LispUserFn : public LispObject {
 public:
  LispUserFn() : LispObject(LispType::kUserFn) {}
  std::wstring name;
  std::vector<std::wstring> params;
  std::vector<std::wstring> locals;
  LispValue body;  // the list of body forms
};

// A selection set, an open file, a caught error: what (type x) answers for it and how
// it prints ("PICKSET", "<Selection set: 1>"). Such a value is the same value only as
// itself (eq and equal compare identity).
class LispHostObject : public LispObject {
 public:
  LispHostObject() : LispObject(LispType::kHostObject) {}
  virtual std::wstring typeName() const = 0;
  virtual std::wstring printedForm() const = 0;
};

// The items of a proper list; false for an atom or a dotted list.
bool lispListItems(const LispValue& list, LispArgs& items);
// Structural equality; numbers compare by value within fuzz, integers and reals alike.
bool lispEqual(const LispValue& a, const LispValue& b, double fuzz = 0.0);
// Symbol names and the names given to acedDefun and acedInvoke fold to upper case.
std::wstring lispUpperName(const std::wstring& name);
