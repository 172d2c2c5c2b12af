// The COM stand-ins: identifiers, BSTR and VARIANT ownership, conversions, arrays with
// a lower bound, counted references and object creation through the class registry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/com_base.h"
#include "com/com_error.h"
#include "com/com_ptr.h"
#include "com/safearray.h"
#include "com/variant.h"

namespace {

// ---- identifiers ----------------------------------------------------------------

TEST(ComGuid, ReadsTheRegistryFormWithAndWithoutBraces) {
  GUID plain;
  GUID braced;
  ASSERT_TRUE(parseGuid("4d6fdf05-a48b-43b0-b640-64b299548bc4", plain));
  ASSERT_TRUE(parseGuid("{4D6FDF05-A48B-43B0-B640-64B299548BC4}", braced));
  EXPECT_EQ(plain, braced);
  EXPECT_EQ(plain.Data1, 0x4D6FDF05u);
  EXPECT_EQ(plain.Data2, 0xA48Bu);
  EXPECT_EQ(plain.Data3, 0x43B0u);
  EXPECT_EQ(plain.Data4[0], 0xB6);
  EXPECT_EQ(plain.Data4[7], 0xC4);
}

TEST(ComGuid, RefusesMalformedText) {
  GUID g;
  EXPECT_FALSE(parseGuid("", g));
  EXPECT_FALSE(parseGuid("4D6FDF05-A48B-43B0-B640-64B299548BC", g));    // one digit short
  EXPECT_FALSE(parseGuid("4D6FDF05-A48B-43B0-B640-64B299548BCG", g));   // not a hex digit
  EXPECT_FALSE(parseGuid("4D6FDF05A-48B-43B0-B640-64B299548BC4", g));   // dash misplaced
  EXPECT_FALSE(parseGuid("{4D6FDF05-A48B-43B0-B640-64B299548BC4)", g)); // wrong closing brace
}

TEST(ComGuid, DiffersInAnyByte) {
  constexpr GUID a = guidOf("00000000-0000-0000-0000-000000000001");
  constexpr GUID b = guidOf("00000000-0000-0000-0000-000000000002");
  static_assert(!(a == b));
  EXPECT_FALSE(IID_IUnknown == IID_IRunnableObject);
}

// ---- BSTR -------------------------------------------------------------------------

TEST(ComBstr, KeepsItsLengthIncludingEmbeddedNul) {
  const wchar_t text[] = {L'a', L'\0', L'b'};
  BSTR b = SysAllocStringLen(text, 3);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(b[2], L'b');
  EXPECT_EQ(b[3], L'\0');
  SysFreeString(b);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(ComBstr, OwnerCopiesAndFrees) {
  _bstr_t a(L"pipe");
  _bstr_t b = a;
  EXPECT_NE(a.GetBSTR(), b.GetBSTR());
  b += _bstr_t(L" run");
  EXPECT_EQ(a.wstring(), L"pipe");
  EXPECT_EQ(b.wstring(), L"pipe run");
  EXPECT_EQ(b.length(), 8u);
  // An out-parameter receives a new text; the old one is freed (ASan finds a leak).
  *b.GetAddress() = SysAllocString(L"new");
  EXPECT_EQ(b, _bstr_t(L"new"));
  BSTR detached = a.Detach();
  EXPECT_EQ(a.GetBSTR(), nullptr);
  SysFreeString(detached);
}

TEST(ComBstr, NullEqualsEmpty) {
  _bstr_t none;
  EXPECT_EQ(none, _bstr_t(L""));
  EXPECT_TRUE(!none);
  EXPECT_EQ(none.wstring(), L"");
  EXPECT_FALSE(_bstr_t(L"a") == _bstr_t(L"b"));
}

// ---- VARIANT ----------------------------------------------------------------------

VARIANT textVariant(const wchar_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

TEST(ComVariant, CopyOfTextIsIndependent) {
  VARIANT source = textVariant(L"abc");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_NE(copy.bstrVal, source.bstrVal);
  source.bstrVal[0] = L'X';
  EXPECT_EQ(std::wstring(copy.bstrVal), L"abc");
  EXPECT_EQ(VariantClear(&source), S_OK);
  EXPECT_EQ(source.vt, VT_EMPTY);
  EXPECT_EQ(VariantClear(&copy), S_OK);
}

TEST(ComVariant, CopyOfArrayIsDeep) {
  VARIANT array;
  VariantInit(&array);
  array.vt = VT_ARRAY | VT_VARIANT;
  array.parray = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  VARIANT text = textVariant(L"inner");
  LONG i = 1;
  ASSERT_EQ(SafeArrayPutElement(array.parray, &i, &text), S_OK);
  VariantClear(&text);

  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &array), S_OK);
  ASSERT_NE(copy.parray, array.parray);
  VariantClear(&array);  // the copy must not share the inner text
  _variant_t element;
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &i, &element), S_OK);
  EXPECT_EQ(std::wstring(element.bstrVal), L"inner");
  EXPECT_EQ(VariantClear(&copy), S_OK);
}

TEST(ComVariant, ClearRefusesUnknownKindsAndLockedArrays) {
  VARIANT odd;
  VariantInit(&odd);
  odd.vt = 0x4003;  // a by-reference kind this platform does not make
  EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);

  _variant_t holder;
  holder.vt = VT_ARRAY | VT_VARIANT;
  holder.parray = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(holder.parray, &data), S_OK);
  EXPECT_EQ(VariantClear(&holder), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(holder.vt, VT_ARRAY | VT_VARIANT);
  ASSERT_EQ(SafeArrayUnaccessData(holder.parray), S_OK);
}

TEST(ComVariant, ChangeTypeConvertsLikeThePlatform) {
  _variant_t v(2.5);
  v.ChangeType(VT_I4);
  EXPECT_EQ(v.vt, VT_I4);
  EXPECT_EQ(v.lVal, 2);  // half to even
  EXPECT_EQ(static_cast<long>(_variant_t(3.5)), 4);
  EXPECT_EQ(static_cast<long>(_variant_t(-2.5)), -2);

  EXPECT_DOUBLE_EQ(static_cast<double>(_variant_t(L" 12.25 ")), 12.25);
  EXPECT_EQ(static_cast<_bstr_t>(_variant_t(0.1)).wstring(), L"0.1");
  EXPECT_EQ(static_cast<_bstr_t>(_variant_t(1e20)).wstring(), L"1E+20");
  EXPECT_EQ(static_cast<_bstr_t>(_variant_t(true)).wstring(), L"-1");
  EXPECT_EQ(static_cast<_bstr_t>(_variant_t(42)).wstring(), L"42");
  EXPECT_TRUE(static_cast<bool>(_variant_t(L"True")));
  EXPECT_FALSE(static_cast<bool>(_variant_t(0)));

  VARIANT out;
  VariantInit(&out);
  _variant_t flagValue(false);
  ASSERT_EQ(VariantChangeType(&out, &flagValue, VARIANT_ALPHABOOL, VT_BSTR), S_OK);
  EXPECT_EQ(std::wstring(out.bstrVal), L"False");
  VariantClear(&out);
}

TEST(ComVariant, ChangeTypeRefusesWhatDoesNotConvert) {
  VARIANT out;
  VariantInit(&out);
  _variant_t letters(L"abc");
  EXPECT_EQ(VariantChangeType(&out, &letters, 0, VT_I4), DISP_E_TYPEMISMATCH);
  _variant_t empty(L"");
  EXPECT_EQ(VariantChangeType(&out, &empty, 0, VT_R8), DISP_E_TYPEMISMATCH);
  _variant_t big(40000);
  EXPECT_EQ(VariantChangeType(&out, &big, 0, VT_I2), DISP_E_OVERFLOW);
  _variant_t pastAByte(256);
  EXPECT_EQ(VariantChangeType(&out, &pastAByte, 0, VT_UI1), DISP_E_OVERFLOW);
  _variant_t null = _variant_t::makeNull();
  EXPECT_EQ(VariantChangeType(&out, &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(out.vt, VT_EMPTY);
  EXPECT_THROW(static_cast<void>(static_cast<long>(letters)), _com_error);
}

TEST(ComVariant, OwnerMakesTheKindItsValueCalls) {
  EXPECT_EQ(_variant_t(short{7}).vt, VT_I2);
  EXPECT_EQ(_variant_t(7).vt, VT_I4);
  EXPECT_EQ(_variant_t(7L).vt, VT_I4);
  EXPECT_EQ(_variant_t(7.0).vt, VT_R8);
  EXPECT_EQ(_variant_t(7.0f).vt, VT_R4);
  EXPECT_EQ(_variant_t(std::uint8_t{7}).vt, VT_UI1);
  EXPECT_EQ(_variant_t(L"7").vt, VT_BSTR);
  EXPECT_EQ(_variant_t(_bstr_t(L"7")).vt, VT_BSTR);
  EXPECT_EQ(_variant_t::makeNull().vt, VT_NULL);
  _variant_t yes(true);
  EXPECT_EQ(yes.vt, VT_BOOL);
  EXPECT_EQ(yes.boolVal, VARIANT_TRUE);
  _variant_t key(short{5}, VT_BOOL);
  EXPECT_EQ(key.vt, VT_BOOL);
  EXPECT_EQ(key.boolVal, VARIANT_TRUE);
  EXPECT_THROW(_variant_t(5000000000L), _com_error);
}

TEST(ComVariant, DetachHandsOwnershipOver) {
  _variant_t owner(L"kept");
  VARIANT taken = owner.Detach();
  EXPECT_EQ(owner.vt, VT_EMPTY);
  ASSERT_EQ(taken.vt, VT_BSTR);
  _variant_t again;
  again.Attach(taken);
  EXPECT_EQ(taken.vt, VT_EMPTY);
  EXPECT_EQ(std::wstring(again.bstrVal), L"kept");

  _variant_t copied = again;
  _variant_t moved = std::move(again);
  EXPECT_EQ(std::wstring(copied.bstrVal), L"kept");
  EXPECT_EQ(std::wstring(moved.bstrVal), L"kept");
}

// ---- SAFEARRAY ---------------------------------------------------------------------

TEST(ComSafeArray, KeepsANonZeroLowerBound) {
  SAFEARRAYBOUND bound{3, 5};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
  ASSERT_NE(array, nullptr);
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  LONG low = 0;
  LONG high = 0;
  ASSERT_EQ(SafeArrayGetLBound(array, 1, &low), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(array, 1, &high), S_OK);
  EXPECT_EQ(low, 5);
  EXPECT_EQ(high, 7);
  EXPECT_EQ(SafeArrayGetLBound(array, 2, &low), DISP_E_BADINDEX);

  for (LONG i = 5; i <= 7; ++i) {
    _variant_t v(static_cast<int>(i * 10));
    ASSERT_EQ(SafeArrayPutElement(array, &i, &v), S_OK);
  }
  _variant_t out;
  LONG outside = 4;
  EXPECT_EQ(SafeArrayGetElement(array, &outside, &out), DISP_E_BADINDEX);
  outside = 8;
  EXPECT_EQ(SafeArrayPutElement(array, &outside, &out), DISP_E_BADINDEX);
  LONG first = 5;
  ASSERT_EQ(SafeArrayGetElement(array, &first, &out), S_OK);
  EXPECT_EQ(out.lVal, 50);

  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(static_cast<VARIANT*>(data)[2].lVal, 70);  // element 7 is the third
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(ComSafeArray, EmptyArrayEndsBelowItsStart) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 1, 0);
  ASSERT_NE(array, nullptr);
  LONG high = 99;
  ASSERT_EQ(SafeArrayGetUBound(array, 1, &high), S_OK);
  EXPECT_EQ(high, 0);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(ComSafeArray, RefusesWhatItCannotHold) {
  SAFEARRAYBOUND bound{2, 0};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 1, &bound), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, &bound), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 1, nullptr), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, INT32_MAX, 2), nullptr);  // upper bound overflows
  EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, 0, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

TEST(ComSafeArray, DestroyFreesTextsItHolds) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  _variant_t text(L"freed with the array");
  for (LONG i = 0; i < 2; ++i) ASSERT_EQ(SafeArrayPutElement(array, &i, &text), S_OK);
  LONG i = 0;
  ASSERT_EQ(SafeArrayPutElement(array, &i, &text), S_OK);  // overwriting frees the old copy
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);                // LeakSanitizer checks the rest
}

// ---- objects ------------------------------------------------------------------------

constexpr CLSID kTestClass = guidOf("6E1F0A10-5B7C-4C1D-9E2F-0123456789AB");

struct ITestThing : IUnknown {
  virtual int value() = 0;
  static const IID& iid() {
    static constexpr IID id = guidOf("6E1F0A11-5B7C-4C1D-9E2F-0123456789AB");
    return id;
  }
};

// Records what is asked of it, so that the order of creation steps can be checked.
class RecordingThing final : public ITestThing, public IRunnableObject {
 public:
  static inline std::vector<std::string> calls;
  static inline int alive = 0;
  static inline bool runnable = true;

  static IUnknown* create() { return static_cast<ITestThing*>(new RecordingThing); }

  HRESULT QueryInterface(const IID& iid, void** object) override {
    *object = nullptr;
    if (iid == IID_IUnknown) {
      calls.push_back("QI IUnknown");
      *object = static_cast<ITestThing*>(this);
    } else if (iid == ITestThing::iid()) {
      calls.push_back("QI ITestThing");
      *object = static_cast<ITestThing*>(this);
    } else if (iid == IID_IRunnableObject) {
      calls.push_back("QI IRunnableObject");
      if (!runnable) return E_NOINTERFACE;
      *object = static_cast<IRunnableObject*>(this);
    } else {
      calls.push_back("QI other");
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override {
    ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }
  HRESULT Run(void*) override {
    calls.push_back("Run");
    return S_OK;
  }
  int value() override { return 42; }

  ULONG references = 1;

 private:
  RecordingThing() { ++alive; }
  ~RecordingThing() override { --alive; }
};

class ComCreation : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordingThing::calls.clear();
    RecordingThing::runnable = true;
    ASSERT_EQ(comRegisterClass(kTestClass, &RecordingThing::create), S_OK);
  }
  void TearDown() override {
    comUnregisterClass(kTestClass);
    EXPECT_EQ(RecordingThing::alive, 0) << "an object was leaked or released too often";
  }
};

TEST_F(ComCreation, CreateInstanceGoesThroughIUnknownRunAndQuery) {
  _com_ptr_t<ITestThing> thing;
  ASSERT_EQ(thing.CreateInstance(kTestClass, nullptr, CLSCTX_ALL), S_OK);
  std::vector<std::string> expected = {"QI IUnknown", "QI IRunnableObject", "Run", "QI ITestThing"};
  EXPECT_EQ(RecordingThing::calls, expected);
  EXPECT_EQ(thing->value(), 42);
  EXPECT_EQ(static_cast<RecordingThing*>(thing.GetInterfacePtr())->references, 1u);
}

TEST_F(ComCreation, InProcessOnlyContextAsksForTheInterfaceDirectly) {
  _com_ptr_t<ITestThing> thing;
  ASSERT_EQ(thing.CreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER), S_OK);
  std::vector<std::string> expected = {"QI ITestThing"};
  EXPECT_EQ(RecordingThing::calls, expected);
}

TEST_F(ComCreation, AnObjectWithoutRunIsRunningAlready) {
  RecordingThing::runnable = false;
  _com_ptr_t<ITestThing> thing;
  ASSERT_EQ(thing.CreateInstance(kTestClass), S_OK);
  EXPECT_EQ(RecordingThing::calls.back(), "QI ITestThing");
}

TEST_F(ComCreation, FailuresAnswerTheirCodesAndLeakNothing) {
  constexpr CLSID unknownClass = guidOf("6E1F0A1F-5B7C-4C1D-9E2F-0123456789AB");
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(unknownClass, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  _com_ptr_t<ITestThing> thing;
  EXPECT_EQ(thing.CreateInstance(unknownClass), REGDB_E_CLASSNOTREG);
  EXPECT_FALSE(thing);

  constexpr IID otherInterface = guidOf("6E1F0A12-5B7C-4C1D-9E2F-0123456789AB");
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_ALL, otherInterface, &object), E_NOINTERFACE);
  EXPECT_EQ(RecordingThing::alive, 0);

  ASSERT_EQ(thing.CreateInstance(kTestClass), S_OK);
  EXPECT_EQ(CoCreateInstance(kTestClass, thing, CLSCTX_ALL, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, 0, IID_IUnknown, &object), E_INVALIDARG);
  EXPECT_EQ(RecordingThing::alive, 1);
}

TEST_F(ComCreation, RegisteringAgainReplacesTheFactory) {
  EXPECT_EQ(comRegisterClass(kTestClass, &RecordingThing::create), S_FALSE);
  EXPECT_EQ(comRegisterClass(kTestClass, nullptr), E_INVALIDARG);
  EXPECT_EQ(comRegisteredClass(kTestClass), &RecordingThing::create);
  EXPECT_EQ(comUnregisterClass(kTestClass), S_OK);
  EXPECT_EQ(comUnregisterClass(kTestClass), S_FALSE);
  _com_ptr_t<ITestThing> thing;
  EXPECT_EQ(thing.CreateInstance(kTestClass), REGDB_E_CLASSNOTREG);
}

TEST_F(ComCreation, PointerCountsItsReferences) {
  _com_ptr_t<ITestThing> first;
  ASSERT_EQ(first.CreateInstance(kTestClass), S_OK);
  auto* object = static_cast<RecordingThing*>(first.GetInterfacePtr());
  {
    _com_ptr_t<ITestThing> second = first;
    EXPECT_EQ(object->references, 2u);
    _com_ptr_t<ITestThing> third;
    third = second;
    EXPECT_EQ(object->references, 3u);
    _com_ptr_t<ITestThing> moved = std::move(third);
    EXPECT_EQ(object->references, 3u);
    EXPECT_FALSE(third);
    moved = moved;  // self-assignment keeps the reference
    EXPECT_EQ(object->references, 3u);
  }
  EXPECT_EQ(object->references, 1u);

  ITestThing* raw = first.Detach();
  EXPECT_FALSE(first);
  EXPECT_EQ(object->references, 1u);
  _com_ptr_t<ITestThing> adopted;
  adopted.Attach(raw);
  EXPECT_EQ(object->references, 1u);
  adopted.Release();
  EXPECT_EQ(RecordingThing::alive, 0);
  EXPECT_THROW(adopted.Release(), _com_error);
  EXPECT_THROW(adopted->value(), _com_error);
}

// ---- errors -------------------------------------------------------------------------

TEST(ComError, CarriesCodeInterfaceAndTheObjectsDescription) {
  constexpr IID someInterface = guidOf("6E1F0A13-5B7C-4C1D-9E2F-0123456789AB");
  comSetErrorDescription(L"table not found");
  try {
    _com_issue_errorex(DISP_E_EXCEPTION, nullptr, someInterface);
    FAIL() << "no exception";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), DISP_E_EXCEPTION);
    EXPECT_EQ(e.interfaceId(), someInterface);
    EXPECT_EQ(e.Description().wstring(), L"table not found");
    EXPECT_EQ(std::wstring(e.ErrorMessage()), L"Exception occurred.");
  }
  // The description went with that error; the next one has none of its own.
  try {
    _com_issue_errorex(E_FAIL, nullptr, someInterface);
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Description().length(), 0u);
    EXPECT_EQ(std::wstring(e.ErrorMessage()), L"Unspecified error");
  }
  EXPECT_EQ(comErrorMessage(static_cast<HRESULT>(0x80041234u)), L"Unknown error 0x80041234");
}

}  // namespace
