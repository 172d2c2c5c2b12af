// The COM basics the module relies on: result codes, class and interface identifiers,
// IUnknown and object creation through a registry of class factories.
#pragma once

#include <cstdint>
#include <string_view>

#include "win/windows_types.h"

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
constexpr HRESULT DISP_E_BADVARTYPE = static_cast<HRESULT>(0x80020008u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000Au);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
constexpr HRESULT DISP_E_ARRAYISLOCKED = static_cast<HRESULT>(0x8002000Du);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// A 128-bit identifier of a class or an interface.
struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};
};
using CLSID = GUID;
using IID = GUID;

constexpr bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}

namespace comdetail {
constexpr int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
constexpr bool readHex(std::string_view text, std::size_t at, std::size_t digits, std::uint32_t& out) {
  out = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    int d = hexDigit(text[at + i]);
    if (d < 0) return false;
    out = out * 16 + static_cast<std::uint32_t>(d);
  }
  return true;
}
}  // namespace comdetail

// Reads the registry form "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without
// braces. Answers false, leaving `out` unspecified, for any other text.
constexpr bool parseGuid(std::string_view text, GUID& out) {
  if (text.size() == 38) {
    if (text.front() != '{' || text.back() != '}') return false;
    text = text.substr(1, 36);
  }
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-')
    return false;
  std::uint32_t v = 0;
  if (!comdetail::readHex(text, 0, 8, v)) return false;
  out.Data1 = v;
  if (!comdetail::readHex(text, 9, 4, v)) return false;
  out.Data2 = static_cast<std::uint16_t>(v);
  if (!comdetail::readHex(text, 14, 4, v)) return false;
  out.Data3 = static_cast<std::uint16_t>(v);
  const std::size_t bytes[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 8; ++i) {
    if (!comdetail::readHex(text, bytes[i], 2, v)) return false;
    out.Data4[i] = static_cast<std::uint8_t>(v);
  }
  return true;
}

// An identifier written as text in the source; a malformed text does not compile.
consteval GUID guidOf(std::string_view text) {
  GUID g;
  if (!parseGuid(text, g)) throw "malformed GUID text";
  return g;
}

// The base of every interface. Objects count their references and delete themselves
// when the last one is released.
struct IUnknown {
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  static const IID& iid();

 protected:
  virtual ~IUnknown() = default;
};

inline constexpr IID IID_IUnknown = guidOf("00000000-0000-0000-C000-000000000046");
inline const IID& IUnknown::iid() { return IID_IUnknown; }

// An object that must be put into its running state before use; OleRun asks for it.
struct IRunnableObject : IUnknown {
  virtual HRESULT Run(void* bindContext) = 0;
  static const IID& iid();
};
inline constexpr IID IID_IRunnableObject = guidOf("00000126-0000-0000-C000-000000000046");
inline const IID& IRunnableObject::iid() { return IID_IRunnableObject; }

// Server contexts; the module asks for all of them.
constexpr std::uint32_t CLSCTX_INPROC_SERVER = 1;
constexpr std::uint32_t CLSCTX_INPROC_HANDLER = 2;
constexpr std::uint32_t CLSCTX_LOCAL_SERVER = 4;
constexpr std::uint32_t CLSCTX_REMOTE_SERVER = 16;
constexpr std::uint32_t CLSCTX_ALL = 23;

// The host's main thread has COM ready, as on the real host: CoInitialize only counts
// (S_OK the first time, S_FALSE after) and creation does not depend on it.
HRESULT CoInitialize(void* reserved = nullptr);
void CoUninitialize();

// Creates an object of a registered class and asks it for `iid`. Aggregation is not
// supported (CLASS_E_NOAGGREGATION); an unknown class gives REGDB_E_CLASSNOTREG.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, std::uint32_t context, const IID& iid,
                         void** object);

// Puts an object into its running state: calls IRunnableObject::Run when the object
// has that interface; an object without it is running already (S_OK).
HRESULT OleRun(IUnknown* object);

// The class registrations that installed servers leave in the system. `create` answers
// a new object as IUnknown holding one reference, or null when it cannot be made.
// Registering a class again replaces its factory (S_FALSE); a null factory is refused.
using ComCreateFunction = IUnknown* (*)();
HRESULT comRegisterClass(const CLSID& clsid, ComCreateFunction create);
// S_FALSE when the class was not registered.
HRESULT comUnregisterClass(const CLSID& clsid);
// The factory registered for a class, or null.
ComCreateFunction comRegisteredClass(const CLSID& clsid);
