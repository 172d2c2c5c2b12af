// Selection sets: ssget over the current drawing with a filter list, and sslength,
// ssname, ssadd, ssdel and ssmemb.
//
// A filter list holds tests (CODE . VALUE) on an entity's groups, all of which must
// hold, and -4 groups: a relational operator ("=" "!=" "/=" "<>" "<" "<=" ">" ">="
// "*" "&" "&=", for a point one per coordinate as ">,>,*") for the test after it, or
// the logical groups "<AND" ... "AND>", "<OR" ... "OR>", "<XOR" two tests "XOR>",
// "<NOT" one test "NOT>". Texts are wild-card patterns (see wcmatch.h) and, like names
// in a drawing, ignore case. An entity without a colour group has colour 256 (by
// layer). Extended data (-3) is not selected by.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <vector>

#include "lisp/lisp_args.h"
#include "lisp/lisp_builtins.h"
#include "lisp/lisp_entity_data.h"
#include "lisp/lisp_entity_support.h"
#include "lisp/lisp_interpreter.h"
#include "lisp/wcmatch.h"

namespace {

// ---- the set ----------------------------------------------------------------------------

// A selection set's members, shared by every copy of its value: ssadd and ssdel change
// the set itself, as on the host.
class LispSelectionSet : public LispHostObject {
 public:
  LispSelectionSet() : members_(std::make_shared<std::vector<AcDbObjectId>>()), number_(++count()) {}
  std::wstring typeName() const override { return L"PICKSET"; }
  std::wstring printedForm() const override {
    wchar_t hex[32];
    std::swprintf(hex, 32, L"%x", number_);
    return L"<Selection set: " + std::wstring(hex) + L">";
  }
  std::vector<AcDbObjectId>& members() const { return *members_; }

 private:
  static unsigned& count() {
    static unsigned made = 0;
    return made;
  }
  std::shared_ptr<std::vector<AcDbObjectId>> members_;
  unsigned number_;
};

LispValue newSet(std::vector<AcDbObjectId> members) {
  auto set = std::make_shared<LispSelectionSet>();
  set->members() = std::move(members);
  return LispValue::fromObject(std::move(set));
}

std::vector<AcDbObjectId>& setArg(const LispValue& value) {
  const auto* set = value.hostObjectAs<LispSelectionSet>();
  if (set == nullptr) lispBadArgument(L"lselsetp", value);
  return set->members();
}

// ---- filters ------------------------------------------------------------------------

[[noreturn]] void badList() { throw LispError(L"bad SSGET list"); }
[[noreturn]] void badValue() { throw LispError(L"bad SSGET list value"); }

// One node of a filter: a test on one group, or a logical group of nodes.
struct FilterNode {
  enum Kind { kTest, kAnd, kOr, kXor, kNot } kind = kTest;
  LispValue group;            // a test's (CODE . VALUE)
  std::wstring relation = L"=";  // a test's operator
  std::vector<FilterNode> operands;
};

// A relational operator, or one per coordinate of a point (">,>,*").
bool isRelation(const std::wstring& text) {
  static const std::wstring known[] = {L"*", L"=", L"!=", L"/=", L"<>", L"<", L"<=", L">", L">=", L"&", L"&="};
  for (size_t start = 0;;) {
    size_t comma = text.find(L',', start);
    std::wstring one = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    if (std::find(std::begin(known), std::end(known), one) == std::end(known)) return false;
    if (comma == std::wstring::npos) return true;
    start = comma + 1;
  }
}

bool isMarker(const LispValue& group) {
  return group.isCons() && group.car().isInt() && group.car().intValue() == -4 && group.cdr().isString();
}

// Reads nodes from items[at] up to the end, or up to the closing marker of a group.
std::vector<FilterNode> readNodes(const LispArgs& items, size_t& at, const std::wstring& closer) {
  static const std::pair<const wchar_t*, FilterNode::Kind> groups[] = {
      {L"AND", FilterNode::kAnd}, {L"OR", FilterNode::kOr}, {L"XOR", FilterNode::kXor}, {L"NOT", FilterNode::kNot}};
  std::vector<FilterNode> nodes;
  std::wstring relation = L"=";
  bool relationPending = false;
  while (at < items.size()) {
    const LispValue& group = items[at++];
    if (!group.isCons() || !group.car().isInt()) badList();
    if (!isMarker(group)) {
      if (group.car().intValue() == -3) throw LispError(L"ssget: this host does not select by extended data (-3)");
      nodes.push_back(FilterNode{FilterNode::kTest, group, relation, {}});
      relation = L"=";
      relationPending = false;
      continue;
    }
    std::wstring marker = lispUpperName(group.cdr().text());
    if (relationPending) badList();
    if (marker == closer) {
      if (closer.empty()) badList();
      return nodes;
    }
    bool opened = false;
    for (const auto& [name, kind] : groups) {
      if (marker != L"<" + std::wstring(name)) continue;
      FilterNode node{kind, LispValue(), L"", readNodes(items, at, std::wstring(name) + L">")};
      size_t n = node.operands.size();
      if (n == 0 || (kind == FilterNode::kXor && n != 2) || (kind == FilterNode::kNot && n != 1)) badList();
      nodes.push_back(std::move(node));
      opened = true;
    }
    if (!opened) {
      if (!isRelation(marker)) badList();
      relation = marker;
      relationPending = true;
    }
  }
  if (!closer.empty() || relationPending) badList();
  return nodes;
}

// A number compared by one relational operator.
bool compareNumbers(double have, double want, const std::wstring& relation) {
  if (relation == L"*") return true;
  if (relation == L"=") return have == want;
  if (relation == L"!=" || relation == L"/=" || relation == L"<>") return have != want;
  if (relation == L"<") return have < want;
  if (relation == L"<=") return have <= want;
  if (relation == L">") return have > want;
  if (relation == L">=") return have >= want;
  auto haveBits = static_cast<std::uint32_t>(static_cast<std::int64_t>(have));
  auto wantBits = static_cast<std::uint32_t>(static_cast<std::int64_t>(want));
  if (relation == L"&") return (haveBits & wantBits) != 0;
  if (relation == L"&=") return (haveBits & wantBits) == wantBits;
  badList();
}

// A point compared coordinate by coordinate: one operator for all, or one each.
bool comparePoints(const LispValue& have, const LispValue& want, const std::wstring& relation) {
  LispArgs a = lispListArg(have), b;
  if (!lispListItems(want, b) || b.size() < 2 || b.size() > 3) badValue();
  std::vector<std::wstring> relations;
  for (size_t start = 0;;) {
    size_t comma = relation.find(L',', start);
    relations.push_back(relation.substr(start, comma - start));
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  if (relations.size() != 1 && relations.size() != b.size()) badList();
  for (size_t k = 0; k < b.size(); ++k) {
    if (!b[k].isNumber()) badValue();
    double coordinate = k < a.size() ? a[k].numberValue() : 0.0;
    if (!compareNumbers(coordinate, b[k].numberValue(), relations[relations.size() == 1 ? 0 : k])) return false;
  }
  return true;
}

bool testGroup(const LispArgs& groups, const FilterNode& test) {
  int code = test.group.car().intValue();
  const LispValue& want = test.group.cdr();
  std::vector<LispValue> values;
  for (const LispValue& group : groups) {
    if (group.car().isInt() && group.car().intValue() == code) values.push_back(group.cdr());
  }
  if (values.empty() && code == 62) values.push_back(LispValue::integer(256));
  if (test.relation == L"*") return true;
  // A group the entity has several times (a polyline's vertices) passes with any one.
  for (const LispValue& have : values) {
    bool holds = false;
    if (have.isString()) {
      if (!want.isString()) badValue();
      bool same = lispWcMatch(have.text(), want.text(), true);
      holds = test.relation == L"=" ? same : (test.relation == L"!=" || test.relation == L"/=" || test.relation == L"<>") && !same;
    } else if (have.isCons()) {
      holds = comparePoints(have, want, test.relation);
    } else if (have.isEname()) {
      holds = want.isEname() && have.enameId() == want.enameId();
    } else {
      if (!want.isNumber()) badValue();
      holds = compareNumbers(have.numberValue(), want.numberValue(), test.relation);
    }
    if (holds) return true;
  }
  return false;
}

bool passes(const LispArgs& groups, const FilterNode& node) {
  auto count = [&] {
    int n = 0;
    for (const FilterNode& operand : node.operands) n += passes(groups, operand) ? 1 : 0;
    return n;
  };
  switch (node.kind) {
    case FilterNode::kTest: return testGroup(groups, node);
    case FilterNode::kAnd: return count() == static_cast<int>(node.operands.size());
    case FilterNode::kOr: return count() > 0;
    case FilterNode::kXor: return count() == 1;
    case FilterNode::kNot: return count() == 0;
  }
  return false;
}

// ---- ssget --------------------------------------------------------------------------

// (ssget "X" [filter]): every entity of the drawing that passes the filter, nil when
// none does. The modes that pick on screen need a view, which the host does not have.
LispValue ssget(const LispArgs& a) {
  if (a.empty() || !a[0].isString()) throw LispError(L"ssget: picking needs a view; this host selects with \"X\"");
  std::wstring mode = lispUpperName(a[0].text());
  if (!mode.empty() && mode[0] == L'_') mode.erase(0, 1);
  if (mode != L"X") lispBadValue(L"ssget mode", a[0]);
  if (a.size() > 2) throw LispError(L"too many arguments");
  FilterNode filter{FilterNode::kAnd, LispValue(), L"", {}};
  if (a.size() == 2 && !a[1].isNil()) {
    LispArgs items = lispListArg(a[1]);
    size_t at = 0;
    filter.operands = readNodes(items, at, L"");
  }
  std::vector<AcDbObjectId> selected;
  for (const AcDbObjectId& id : lispDrawingEntities(lispWorkingDatabase())) {
    if (id.isErased()) continue;
    LispOpenedObject opened(L"ssget", id, AcDb::kForRead);
    LispArgs groups = lispListArg(lispObjectGroups(opened.object()));
    if (passes(groups, filter)) selected.push_back(id);
  }
  return selected.empty() ? LispValue() : newSet(std::move(selected));
}

// ---- the set functions ------------------------------------------------------------------

std::vector<AcDbObjectId>::iterator findMember(std::vector<AcDbObjectId>& members, AcDbObjectId id) {
  return std::find(members.begin(), members.end(), id);
}

// (ssname ss index): the index is an integer, or a real for sets past 32767 members.
LispValue ssname(const LispArgs& a) {
  std::vector<AcDbObjectId>& members = setArg(a[0]);
  double index = lispNumberArg(a[1]);
  if (index < 0 || index >= static_cast<double>(members.size()) || index != std::floor(index)) return LispValue();
  return LispValue::ename(members[static_cast<size_t>(index)]);
}

// (ssadd) a new empty set, (ssadd ename) a new set of that entity, (ssadd ename ss) the
// set with the entity added (once).
LispValue ssadd(const LispArgs& a) {
  if (a.empty()) return newSet({});
  AcDbObjectId id = lispObjectArg(a[0]);
  if (a.size() == 1) return newSet({id});
  std::vector<AcDbObjectId>& members = setArg(a[1]);
  if (findMember(members, id) == members.end()) members.push_back(id);
  return a[1];
}

// (ssdel ename ss): the set without the entity, nil when it was not a member.
LispValue ssdel(const LispArgs& a) {
  AcDbObjectId id = lispEnameArg(a[0]);
  std::vector<AcDbObjectId>& members = setArg(a[1]);
  auto it = findMember(members, id);
  if (it == members.end()) return LispValue();
  members.erase(it);
  return a[1];
}

}  // namespace

void lispDefineSelectionSetBuiltins(LispInterpreter& in) {
  in.defineBuiltin(L"ssget", 0, -1, [](LispInterpreter&, const LispArgs& a) { return ssget(a); });
  in.defineBuiltin(L"sslength", 1, 1, [](LispInterpreter&, const LispArgs& a) {
    return LispValue::integer(static_cast<std::int32_t>(setArg(a[0]).size()));
  });
  in.defineBuiltin(L"ssname", 2, 2, [](LispInterpreter&, const LispArgs& a) { return ssname(a); });
  in.defineBuiltin(L"ssadd", 0, 2, [](LispInterpreter&, const LispArgs& a) { return ssadd(a); });
  in.defineBuiltin(L"ssdel", 2, 2, [](LispInterpreter&, const LispArgs& a) { return ssdel(a); });
  in.defineBuiltin(L"ssmemb", 2, 2, [](LispInterpreter&, const LispArgs& a) {
    std::vector<AcDbObjectId>& members = setArg(a[1]);
    AcDbObjectId id = lispEnameArg(a[0]);
    return findMember(members, id) == members.end() ? LispValue() : a[0];
  });
}
