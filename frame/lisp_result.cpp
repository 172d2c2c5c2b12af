// The result builders. Every dotted pair is built as the host expects it:
// RTLB, car, RTDOTE, cdr, RTLE.
#include "frame/lisp_result.h"

#include "arx/aced_lisp.h"
#include "arx/ads_names.h"
#include "arx/db_object.h"

namespace {

void append(ResultList& list, resbuf* chain) {
  if (chain == nullptr) return;
  if (list.head == nullptr) resultListBegin(list);
  list.tail->rbnext = chain;
  while (list.tail->rbnext != nullptr) list.tail = list.tail->rbnext;
}

bool nameOf(AcDbObjectId id, ads_name& name) { return !id.isNull() && acdbGetAdsName(name, id) == Acad::eOk; }

}  // namespace

ResultList::~ResultList() { acutRelRb(head); }

void resultListBegin(ResultList& list) {
  acutRelRb(list.head);
  list.head = list.tail = acutNewRb(RTLB);
}

void resultAddString(ResultList& list, const std::wstring& text) {
  append(list, acutBuildList(RTSTR, text.c_str(), 0));
}

void resultAddStringString(ResultList& list, const std::wstring& text, const std::wstring& value) {
  append(list, acutBuildList(RTLB, RTSTR, text.c_str(), RTDOTE, RTSTR, value.c_str(), RTLE, 0));
}

void resultAddStringLong(ResultList& list, const std::wstring& text, long value) {
  append(list, acutBuildList(RTLB, RTSTR, text.c_str(), RTDOTE, RTLONG, static_cast<int>(value), RTLE, 0));
}

void resultAddStringReal(ResultList& list, const std::wstring& text, double value) {
  append(list, acutBuildList(RTLB, RTSTR, text.c_str(), RTDOTE, RTREAL, value, RTLE, 0));
}

void resultAddLongReal(ResultList& list, long key, double value) {
  append(list, acutBuildList(RTLB, RTLONG, static_cast<int>(key), RTDOTE, RTREAL, value, RTLE, 0));
}

void resultAddStringEntity(ResultList& list, const std::wstring& text, const AcDbObject* object) {
  if (object == nullptr) {
    resultAddStringNil(list, text);
    return;
  }
  ads_name name = {0, 0};
  if (!nameOf(object->objectId(), name)) return;
  append(list, acutBuildList(RTLB, RTSTR, text.c_str(), RTDOTE, RTENAME, name, RTLE, 0));
}

void resultAddStringNil(ResultList& list, const std::wstring& text) {
  append(list, acutBuildList(RTLB, RTSTR, text.c_str(), RTDOTE, RTNIL, RTLE, 0));
}

void resultListReturn(ResultList& list) {
  if (list.head == nullptr) resultListBegin(list);
  list.tail->rbnext = acutNewRb(RTLE);
  acedRetList(list.head);
  acutRelRb(list.head);
  list.head = list.tail = nullptr;
}

void retObjectName(const AcDbObject* object) {
  if (object == nullptr) {
    acedRetNil();
    return;
  }
  retObjectIdName(object->objectId());
}

void retObjectIdName(AcDbObjectId id) {
  ads_name name = {0, 0};
  if (nameOf(id, name)) acedRetName(name, RTENAME);
  else acedRetNil();
}
