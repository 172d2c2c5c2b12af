// Result buffers: the linked lists in which LISP values, extended data and DXF groups
// travel between the host and plug-ins, with the host's type codes.
#pragma once

#include <cstdint>

#include "arx/status.h"

using ads_real = double;
using ads_point = ads_real[3];
using ads_name = std::int64_t[2];

struct ads_binary {
  short clen;
  char* buf;
};

union ads_u_val {
  ads_real rreal;
  ads_real rpoint[3];
  short rint;
  ACHAR* rstring;
  std::int64_t rlname[2];
  std::int32_t rlong;
  std::int64_t mnInt64;
  ads_binary rbinary;
  unsigned char ihandle[8];
};

struct resbuf {
  resbuf* rbnext;
  short restype;
  ads_u_val resval;
};

// Type codes of LISP values; a type below 1000 (and the extended-data codes from 1000
// to 1071) is a DXF group code.
constexpr int RTNONE = 5000;
constexpr int RTREAL = 5001;
constexpr int RTPOINT = 5002;
constexpr int RTSHORT = 5003;
constexpr int RTANG = 5004;
constexpr int RTSTR = 5005;
constexpr int RTENAME = 5006;
constexpr int RTPICKS = 5007;
constexpr int RTORINT = 5008;
constexpr int RT3DPOINT = 5009;
constexpr int RTLONG = 5010;
constexpr int RTVOID = 5014;
constexpr int RTLB = 5016;
constexpr int RTLE = 5017;
constexpr int RTDOTE = 5018;
constexpr int RTNIL = 5019;
constexpr int RTDXF0 = 5020;
constexpr int RTT = 5021;
constexpr int RTRESBUF = 5023;
constexpr int RTNORM = 5100;
constexpr int RTERROR = -5001;
constexpr int RTCAN = -5002;
constexpr int RTREJ = -5003;
constexpr int RTFAIL = -5004;

// What a result buffer of a given type holds in its value.
enum class RbValueKind { kNone, kReal, kPoint, kShort, kLong, kInt64, kString, kName, kBinary, kHandle };
RbValueKind acutRbValueKind(int restype);

// Allocates one buffer of the type, its value zeroed (strings null).
resbuf* acutNewRb(int type);
// Releases a whole chain with the strings and binary chunks it owns. Answers RTNORM.
int acutRelRb(resbuf* rb);
// Builds a chain from (type, value) pairs ending with 0 or RTNONE. RTLB, RTLE,
// RTDOTE, RTNIL and RTT take no value; strings are copied. Null on bad input.
resbuf* acutBuildList(int type, ...);
// A copy of a whole chain.
resbuf* acutDuplicateChain(const resbuf* rb);

// Text allocated by the host for a plug-in (names, contents) is freed with this.
void acutDelString(ACHAR*& str);
// A heap copy of a text, freed with acutDelString.
ACHAR* acutNewString(const ACHAR* str);

// Prints on the host's command line (printf formats; %s takes a wide text, %hs a
// narrow one, as on the real host). Answers the number of characters printed.
int acutPrintf(const ACHAR* format, ...);
