// Basic host types: the character type, integer aliases and the error statuses that
// every host operation answers.
#pragma once

#include <cstdint>

using ACHAR = wchar_t;

namespace Adesk {
using Int8 = std::int8_t;
using Int16 = std::int16_t;
using Int32 = std::int32_t;
using Int64 = std::int64_t;
using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using UInt64 = std::uint64_t;
using Boolean = bool;
using GsMarker = std::intptr_t;
constexpr bool kTrue = true;
constexpr bool kFalse = false;
}  // namespace Adesk

namespace Acad {
// The numbers that callers compare against keep the host's values (0, 2, 3, 13, 52,
// 301); the rest are this host's own and only need to be distinct.
enum ErrorStatus : int {
  eOk = 0,
  eNotImplementedYet = 1,
  eNotApplicable = 2,
  eInvalidInput = 3,
  eOutOfMemory = 6,
  eInvalidOpenState = 8,
  eHandleExists = 10,
  eNullHandle = 11,
  eUnknownHandle = 13,
  eNullObjectPointer = 15,
  eNullObjectId = 16,
  eKeyNotFound = 21,
  eDuplicateKey = 22,
  eInvalidIndex = 23,
  eAlreadyInDb = 25,
  eInvalidExtents = 29,
  eWrongObjectType = 33,
  eWrongDatabase = 34,
  eEndOfObject = 39,
  eEndOfFile = 40,
  eBadDxfSequence = 52,
  eFilerError = 53,
  eWrongItemKind = 54,
  eInvalidDxfCode = 55,
  eFileNotFound = 60,
  eFileAccessErr = 61,
  eBadFileFormat = 62,
  eWasErased = 80,
  eWasOpenForRead = 82,
  eWasOpenForWrite = 83,
  eWasNotOpenForWrite = 84,
  eNotOpenForRead = 85,
  eNotThatKindOfClass = 86,
  eNotInDatabase = 87,
  eRegappIdNotFound = 88,
  eInvalidSymbolTableName = 89,
  eNothingToUndo = 90,
  eNoDatabase = 91,
  eMakeMeProxy = 301,
};
}  // namespace Acad

// A readable name for a status, for messages of the host.
const char* acadErrorStatusText(Acad::ErrorStatus es);
