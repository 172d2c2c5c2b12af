// Building a list result for LISP: a chain that starts with RTLB, grows at its tail
// and is handed to the host with acedRetList, plus the answers that are one entity.
#pragma once

#include <string>

#include "arx/db_id.h"
#include "arx/resbuf.h"

class AcDbObject;

// The list being built. It owns its chain until resultListReturn hands it over; a
// list abandoned on an error path is released with the object.
class ResultList {
 public:
  ResultList() = default;
  ~ResultList();
  ResultList(const ResultList&) = delete;
  ResultList& operator=(const ResultList&) = delete;

  resbuf* head = nullptr;
  resbuf* tail = nullptr;
};

// Starts (or starts again) with a list holding only RTLB.
void resultListBegin(ResultList& list);
void resultAddString(ResultList& list, const std::wstring& text);
void resultAddStringString(ResultList& list, const std::wstring& text, const std::wstring& value);
void resultAddStringLong(ResultList& list, const std::wstring& text, long value);
void resultAddStringReal(ResultList& list, const std::wstring& text, double value);
void resultAddLongReal(ResultList& list, long key, double value);
// (text . entity name) for an object whose name can be had, (text . nil) for none,
// and nothing when the object's name cannot be had.
void resultAddStringEntity(ResultList& list, const std::wstring& text, const AcDbObject* object);
void resultAddStringNil(ResultList& list, const std::wstring& text);
// Closes the list with RTLE, answers it to LISP and releases it; the list is empty
// afterwards.
void resultListReturn(ResultList& list);

// Answers the object's entity name, or nil when it has none.
void retObjectName(const AcDbObject* object);
void retObjectIdName(AcDbObjectId id);
