// The functions that ask the user: initget and the get... family at the command line,
// and the host's list prompt. Answers come from the current UI driver, so that an
// answer file, the terminal or a test answers them alike; Escape (a cancelled input)
// is the error "Function cancelled", as on the host.
#include <cmath>
#include <cwctype>
#include <optional>
#include <sstream>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/lisp_units.h"
#include "mfc/ui_driver.h"
#include "win/win_text.h"

namespace {

// initget's bits that this host honours.
constexpr int kNoEmpty = 1;
constexpr int kNoZero = 2;
constexpr int kNoNegative = 4;

// What initget set for the next request; every get... function uses it up.
struct InputRules {
  int bits = 0;
  std::vector<std::wstring> keywords;
};

InputRules& pendingRules() {
  static InputRules rules;
  return rules;
}

InputRules takeRules() {
  InputRules rules = pendingRules();
  pendingRules() = InputRules{};
  return rules;
}

// A keyword answers to its whole text or to any longer start than its leading
// capitals ("LType" to "lt", "lty" ...), case ignored.
std::optional<std::wstring> matchKeyword(const InputRules& rules, const std::wstring& answer) {
  for (const std::wstring& keyword : rules.keywords) {
    std::size_t capitals = 0;
    while (capitals < keyword.size() && std::iswupper(keyword[capitals])) ++capitals;
    if (answer.size() < std::max<std::size_t>(capitals, 1) || answer.size() > keyword.size()) continue;
    if (winEqualNoCase(keyword.substr(0, answer.size()), answer)) return keyword;
  }
  return std::nullopt;
}

// One kind of request: how an answer is read. Answers the value, or nil with the
// complaint to show before asking again.
using AnswerReader = LispValue (*)(const std::wstring& answer, const LispValue& base, std::wstring& complaint);

bool readNumber(const std::wstring& text, double& value) {
  std::wistringstream in(text);
  in >> value;
  return !in.fail() && (in >> std::ws).eof() && std::isfinite(value);
}

LispValue readReal(const std::wstring& answer, const LispValue&, std::wstring& complaint) {
  double value = 0.0;
  if (readNumber(answer, value)) return LispValue::real(value);
  complaint = L"Requires numeric value.";
  return LispValue();
}

LispValue readInteger(const std::wstring& answer, const LispValue&, std::wstring& complaint) {
  double value = 0.0;
  if (readNumber(answer, value) && value == std::floor(value) && std::fabs(value) <= 32767.0)
    return LispValue::integer(static_cast<std::int32_t>(value));
  complaint = L"Requires an integer value.";
  return LispValue();
}

// A point: x,y or x,y,z; @dx,dy[,dz] is relative to the base point when one is given.
LispValue readPoint(const std::wstring& answer, const LispValue& base, std::wstring& complaint) {
  std::wstring text = answer;
  const bool relative = !text.empty() && text.front() == L'@';
  if (relative) text.erase(0, 1);
  std::vector<double> numbers;
  std::wstring piece;
  std::wistringstream in(text);
  bool ok = true;
  while (ok && std::getline(in, piece, L',')) {
    double value = 0.0;
    ok = readNumber(piece, value);
    numbers.push_back(value);
  }
  if (!ok || numbers.size() < 2 || numbers.size() > 3 || (relative && base.isNil())) {
    complaint = L"Invalid point.";
    return LispValue();
  }
  LispPoint point{numbers[0], numbers[1], numbers.size() == 3 ? numbers[2] : 0.0, true};
  if (relative) {
    const LispPoint from = lispPointArg(base);
    point = LispPoint{from.x + point.x, from.y + point.y, from.z + point.z, true};
  }
  return lispPointValue(point);
}

// A distance: a number of drawing units (inches), or feet and inches as the
// architectural units write and read them (10'6", 10'-6", 10', 6", 5 1/2").
// Or a point, as a click in a drawing view enters one: the distance from the base
// point to it, or without a base point to a second point asked for next.
LispValue readDistance(const std::wstring& answer, const LispValue& base, std::wstring& complaint) {
  if (std::optional<double> inches = lispParseDistance(answer, 4); inches && std::isfinite(*inches))
    return LispValue::real(*inches);
  complaint = L"Requires numeric distance or two points.";
  if (answer.find(L',') == std::wstring::npos) return LispValue();
  std::wstring pointComplaint;
  LispValue first = readPoint(answer, base, pointComplaint);
  if (!pointComplaint.empty()) return LispValue();
  LispValue from = base;
  LispValue to = first;
  if (base.isNil()) {
    from = first;
    const std::optional<std::wstring> second = uiDriver().readInput(L"\nSecond point: ");
    if (!second) throw LispError(L"Function cancelled");
    to = readPoint(winTrim(*second), first, pointComplaint);
    if (!pointComplaint.empty()) return LispValue();
  }
  const LispPoint a = lispPointArg(from), b = lispPointArg(to);
  complaint.clear();
  return LispValue::real(std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) + (b.z - a.z) * (b.z - a.z)));
}

LispValue readKeywordOnly(const std::wstring&, const LispValue&, std::wstring& complaint) {
  complaint = L"Invalid option keyword.";
  return LispValue();
}

// Asks until the answer is acceptable. An empty answer is nil unless initget forbade
// it; a keyword of initget answers the keyword itself.
LispValue ask(const std::wstring& prompt, AnswerReader reader, const LispValue& base, bool numeric) {
  const InputRules rules = takeRules();
  for (;;) {
    const std::optional<std::wstring> typed = uiDriver().readInput(prompt);
    if (!typed) throw LispError(L"Function cancelled");
    const std::wstring answer = winTrim(*typed);
    std::wstring complaint;
    if (answer.empty()) {
      if (!(rules.bits & kNoEmpty)) return LispValue();
      complaint = L"Requires a value.";
    } else if (const std::optional<std::wstring> keyword = matchKeyword(rules, answer)) {
      return LispValue::string(*keyword);
    } else {
      LispValue value = reader(answer, base, complaint);
      if (complaint.empty() && numeric) {
        const double number = value.numberValue();
        if ((rules.bits & kNoZero) && number == 0.0) complaint = L"Value must be nonzero.";
        else if ((rules.bits & kNoNegative) && number < 0.0) complaint = L"Value must be positive.";
      }
      if (complaint.empty()) return value;
    }
    LispInterpreter::current().printText(L"\n" + complaint);
  }
}

// (getreal [msg]) and friends: the optional prompt is the one string argument.
std::wstring promptArg(const LispArgs& a, std::size_t index) {
  return a.size() > index ? lispStringArg(a[index]) : std::wstring();
}

// (getpoint [pt] [msg]) and (getdist [pt] [msg]): a base point may come first.
void splitBaseAndPrompt(const LispArgs& a, LispValue& base, std::wstring& prompt) {
  std::size_t next = 0;
  if (!a.empty() && a[0].isCons()) {
    lispPointArg(a[0]);
    base = a[0];
    next = 1;
  }
  prompt = promptArg(a, next);
}

LispValue initget(LispInterpreter&, const LispArgs& a) {
  InputRules rules;
  for (const LispValue& arg : a) {
    if (arg.isInt()) rules.bits = arg.intValue();
    else {
      std::wistringstream words(lispStringArg(arg));
      for (std::wstring word; words >> word;) rules.keywords.push_back(word);
    }
  }
  pendingRules() = rules;
  return LispValue();
}

// (getstring [cr] [msg]): without cr the answer ends at its first blank, as the space
// bar ends input at the host's prompt.
LispValue getstring(LispInterpreter&, const LispArgs& a) {
  const bool allowBlanks = a.size() == 2 || (a.size() == 1 && !a[0].isString() && !a[0].isNil());
  const std::wstring prompt = a.empty() ? L"" : (a.back().isString() ? a.back().text() : L"");
  takeRules();
  const std::optional<std::wstring> typed = uiDriver().readInput(prompt);
  if (!typed) throw LispError(L"Function cancelled");
  std::wstring text = allowBlanks ? *typed : winTrim(*typed);
  if (!allowBlanks) text = text.substr(0, text.find_first_of(L" \t"));
  return LispValue::string(text);
}

LispValue getkword(LispInterpreter&, const LispArgs& a) {
  return ask(promptArg(a, 0), readKeywordOnly, LispValue(), false);
}

LispValue getreal(LispInterpreter&, const LispArgs& a) { return ask(promptArg(a, 0), readReal, LispValue(), true); }

LispValue getint(LispInterpreter&, const LispArgs& a) { return ask(promptArg(a, 0), readInteger, LispValue(), true); }

LispValue getdist(LispInterpreter&, const LispArgs& a) {
  LispValue base;
  std::wstring prompt;
  splitBaseAndPrompt(a, base, prompt);
  return ask(prompt, readDistance, base, true);
}

LispValue getpoint(LispInterpreter&, const LispArgs& a) {
  LispValue base;
  std::wstring prompt;
  splitBaseAndPrompt(a, base, prompt);
  return ask(prompt, readPoint, base, false);
}

// (host-list-prompt QUESTION ITEMS): the index of the item the user picks, nil when
// the user cancels.
LispValue listPrompt(LispInterpreter&, const LispArgs& a) {
  const std::wstring question = lispStringArg(a[0]);
  std::vector<std::wstring> items;
  for (const LispValue& item : lispListArg(a[1])) items.push_back(lispStringArg(item));
  const std::optional<std::size_t> chosen = uiDriver().pickItem(question, items);
  return chosen ? LispValue::integer(static_cast<std::int32_t>(*chosen)) : LispValue();
}

}  // namespace

void lispDefineInputBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"initget", 0, 2, initget);
  in.defineBuiltin(L"getstring", 0, 2, getstring);
  in.defineBuiltin(L"getkword", 0, 1, getkword);
  in.defineBuiltin(L"getreal", 0, 1, getreal);
  in.defineBuiltin(L"getint", 0, 1, getint);
  in.defineBuiltin(L"getdist", 0, 2, getdist);
  in.defineBuiltin(L"getpoint", 0, 2, getpoint);
  in.defineBuiltin(L"host-list-prompt", 2, 2, listPrompt);
}
