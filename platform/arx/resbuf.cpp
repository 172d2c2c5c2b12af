// Result buffers: allocation, release, building chains, and what each type code holds.
#include "arx/resbuf.h"

#include <cstdarg>
#include <cstring>
#include <cwchar>

RbValueKind acutRbValueKind(int t) {
  switch (t) {
    case RTREAL: case RTANG: case RTORINT: return RbValueKind::kReal;
    case RTPOINT: case RT3DPOINT: return RbValueKind::kPoint;
    case RTSHORT: return RbValueKind::kShort;
    case RTLONG: return RbValueKind::kLong;
    case RTSTR: return RbValueKind::kString;
    case RTENAME: case RTPICKS: return RbValueKind::kName;
    default: break;
  }
  if (t >= 5000) return RbValueKind::kNone;
  // DXF group codes and extended-data codes.
  if (t == -1 || t == -2) return RbValueKind::kName;
  if (t == -4) return RbValueKind::kString;
  if (t < 0) return RbValueKind::kNone;
  if (t <= 9) return RbValueKind::kString;
  if (t <= 19) return RbValueKind::kPoint;
  if (t <= 59) return RbValueKind::kReal;
  if (t <= 79) return RbValueKind::kShort;
  if (t >= 90 && t <= 99) return RbValueKind::kLong;
  if (t >= 100 && t <= 102) return RbValueKind::kString;
  if (t == 105) return RbValueKind::kString;
  if (t >= 110 && t <= 112) return RbValueKind::kPoint;
  if (t >= 113 && t <= 149) return RbValueKind::kReal;
  if (t >= 160 && t <= 169) return RbValueKind::kInt64;
  if (t >= 170 && t <= 179) return RbValueKind::kShort;
  if (t >= 210 && t <= 219) return RbValueKind::kPoint;
  if (t >= 220 && t <= 239) return RbValueKind::kReal;
  if (t >= 270 && t <= 299) return RbValueKind::kShort;
  if (t >= 300 && t <= 309) return RbValueKind::kString;
  if (t >= 310 && t <= 319) return RbValueKind::kBinary;
  if (t >= 320 && t <= 329) return RbValueKind::kString;
  if (t >= 330 && t <= 369) return RbValueKind::kName;
  if (t >= 370 && t <= 389) return RbValueKind::kShort;
  if (t >= 390 && t <= 399) return RbValueKind::kName;
  if (t >= 400 && t <= 409) return RbValueKind::kShort;
  if (t >= 410 && t <= 419) return RbValueKind::kString;
  if (t >= 420 && t <= 429) return RbValueKind::kLong;
  if (t >= 430 && t <= 439) return RbValueKind::kString;
  if (t >= 440 && t <= 459) return RbValueKind::kLong;
  if (t >= 460 && t <= 469) return RbValueKind::kReal;
  if (t >= 470 && t <= 479) return RbValueKind::kString;
  if (t >= 480 && t <= 481) return RbValueKind::kName;
  if (t == 999) return RbValueKind::kString;
  if (t == 1004) return RbValueKind::kBinary;
  if (t >= 1000 && t <= 1009) return RbValueKind::kString;
  if (t >= 1010 && t <= 1019) return RbValueKind::kPoint;
  if (t >= 1020 && t <= 1059) return RbValueKind::kReal;
  if (t >= 1060 && t <= 1070) return RbValueKind::kShort;
  if (t == 1071) return RbValueKind::kLong;
  return RbValueKind::kNone;
}

resbuf* acutNewRb(int type) {
  auto* rb = new resbuf;
  std::memset(rb, 0, sizeof *rb);
  rb->restype = static_cast<short>(type);
  return rb;
}

int acutRelRb(resbuf* rb) {
  while (rb != nullptr) {
    resbuf* next = rb->rbnext;
    switch (acutRbValueKind(rb->restype)) {
      case RbValueKind::kString: delete[] rb->resval.rstring; break;
      case RbValueKind::kBinary: delete[] rb->resval.rbinary.buf; break;
      default: break;
    }
    delete rb;
    rb = next;
  }
  return RTNORM;
}

ACHAR* acutNewString(const ACHAR* str) {
  if (str == nullptr) str = L"";
  size_t n = std::wcslen(str);
  auto* copy = new ACHAR[n + 1];
  std::wmemcpy(copy, str, n + 1);
  return copy;
}

void acutDelString(ACHAR*& str) {
  delete[] str;
  str = nullptr;
}

static resbuf* copyOne(const resbuf* src) {
  resbuf* rb = acutNewRb(src->restype);
  rb->resval = src->resval;
  switch (acutRbValueKind(src->restype)) {
    case RbValueKind::kString:
      rb->resval.rstring = src->resval.rstring ? acutNewString(src->resval.rstring) : nullptr;
      break;
    case RbValueKind::kBinary: {
      short n = src->resval.rbinary.clen;
      rb->resval.rbinary.buf = nullptr;
      if (n > 0 && src->resval.rbinary.buf) {
        rb->resval.rbinary.buf = new char[n];
        std::memcpy(rb->resval.rbinary.buf, src->resval.rbinary.buf, n);
      }
      break;
    }
    default: break;
  }
  return rb;
}

resbuf* acutDuplicateChain(const resbuf* rb) {
  resbuf* head = nullptr;
  resbuf** tail = &head;
  for (; rb != nullptr; rb = rb->rbnext) {
    *tail = copyOne(rb);
    tail = &(*tail)->rbnext;
  }
  return head;
}

resbuf* acutBuildList(int type, ...) {
  va_list args;
  va_start(args, type);
  resbuf* head = nullptr;
  resbuf** tail = &head;
  bool bad = false;
  while (type != 0 && type != RTNONE) {
    resbuf* rb = acutNewRb(type);
    switch (type) {
      case RTLB: case RTLE: case RTDOTE: case RTNIL: case RTT: case RTVOID:
        break;
      default:
        switch (acutRbValueKind(type)) {
          case RbValueKind::kReal: rb->resval.rreal = va_arg(args, double); break;
          case RbValueKind::kPoint: {
            const double* p = va_arg(args, const double*);
            if (p == nullptr) { bad = true; break; }
            rb->resval.rpoint[0] = p[0];
            rb->resval.rpoint[1] = p[1];
            rb->resval.rpoint[2] = p[2];
            break;
          }
          case RbValueKind::kShort: rb->resval.rint = static_cast<short>(va_arg(args, int)); break;
          case RbValueKind::kLong: rb->resval.rlong = va_arg(args, std::int32_t); break;
          case RbValueKind::kInt64: rb->resval.mnInt64 = va_arg(args, std::int64_t); break;
          case RbValueKind::kString: rb->resval.rstring = acutNewString(va_arg(args, const ACHAR*)); break;
          case RbValueKind::kName: {
            const std::int64_t* n = va_arg(args, const std::int64_t*);
            if (n == nullptr) { bad = true; break; }
            rb->resval.rlname[0] = n[0];
            rb->resval.rlname[1] = n[1];
            break;
          }
          default: bad = true; break;
        }
    }
    *tail = rb;
    tail = &rb->rbnext;
    if (bad) break;
    type = va_arg(args, int);
  }
  va_end(args);
  if (bad) {
    acutRelRb(head);
    return nullptr;
  }
  return head;
}
