// The COM stand-ins: identifiers, BSTR and VARIANT ownership and conversions, arrays
// with a lower bound resized in place (small ones from the heap, large ones mapped),
// texts carved in batches, counted references and creation through the class registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "com/bstr.h"
#include "com/com_base.h"
#include "com/com_error.h"
#include "com/com_ptr.h"
#include "com/safearray.h"
#include "com/variant.h"

namespace {

// A value with its kind ("I4 50", "BSTR abc", "EMPTY"), or a failure code in hex.
std::wstring describe(HRESULT hr, const VARIANT& v) {
  std::wostringstream text;
  if (FAILED(hr))
    text << L"error " << std::hex << static_cast<std::uint32_t>(hr);
  else if (v.vt == VT_I2)
    text << L"I2 " << v.iVal;
  else if (v.vt == VT_I4)
    text << L"I4 " << v.lVal;
  else if (v.vt == VT_R8)
    text << L"R8 " << v.dblVal;
  else if (v.vt == VT_BOOL)
    text << L"BOOL " << v.boolVal;
  else if (v.vt == VT_BSTR)
    text << L"BSTR " << std::wstring(v.bstrVal, SysStringLen(v.bstrVal));
  else
    text << (v.vt == VT_EMPTY ? L"EMPTY" : L"kind ") << (v.vt == VT_EMPTY ? L"" : std::to_wstring(v.vt));
  return text.str();
}

// An array element as describe() shows it.
std::wstring at(SAFEARRAY* array, LONG index) {
  _variant_t v;
  const HRESULT hr = SafeArrayGetElement(array, &index, &v);
  return describe(hr, v);
}

// A BSTR's length and characters with its terminator, each null shown as "|".
std::wstring whole(BSTR text) {
  std::wstring seen(text, SysStringLen(text) + 1);
  std::replace(seen.begin(), seen.end(), L'\0', L'|');
  return std::to_wstring(SysStringLen(text)) + L":" + seen;
}

TEST(ComGuid, ReadsTheRegistryFormAndNothingElse) {
  const GUID expected{0x4D6FDF05, 0xA48B, 0x43B0, {0xB6, 0x40, 0x64, 0xB2, 0x99, 0x54, 0x8B, 0xC4}};
  GUID g;
  ASSERT_TRUE(parseGuid("4d6fdf05-a48b-43b0-b640-64b299548bc4", g));
  EXPECT_EQ(g, expected);
  ASSERT_TRUE(parseGuid("{4D6FDF05-A48B-43B0-B640-64B299548BC4}", g));
  EXPECT_EQ(g, expected);
  for (const char* bad : {"", "4D6FDF05-A48B-43B0-B640-64B299548BC", "4D6FDF05-A48B-43B0-B640-64B299548BCG",
                          "4D6FDF05A-48B-43B0-B640-64B299548BC4", "{4D6FDF05-A48B-43B0-B640-64B299548BC4)"})
    EXPECT_FALSE(parseGuid(bad, g)) << bad;
  EXPECT_FALSE(guidOf("00000000-0000-0000-0000-000000000001") == guidOf("00000000-0000-0000-0000-000000000002"));
}

TEST(ComBstr, KeepsItsLengthAndItsOwnerCopiesAndFrees) {
  const wchar_t text[] = {L'a', L'\0', L'b'};
  BSTR b = SysAllocStringLen(text, 3);
  EXPECT_EQ(whole(b), L"3:a|b|");
  SysFreeString(b);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysAllocString(nullptr), nullptr);

  _bstr_t pipe(L"pipe");
  _bstr_t run = pipe;
  EXPECT_NE(pipe.GetBSTR(), run.GetBSTR());
  run += _bstr_t(L" run");
  EXPECT_EQ(pipe.wstring() + L"/" + run.wstring() + L"/" + std::to_wstring(run.length()), L"pipe/pipe run/8");
  // An out-parameter receives a new text; the old one is freed (LeakSanitizer checks).
  *run.GetAddress() = SysAllocString(L"new");
  EXPECT_EQ(run, _bstr_t(L"new"));
  SysFreeString(pipe.Detach());
  EXPECT_EQ(pipe.GetBSTR(), nullptr);
  // No text equals the empty text, and differs from any other.
  EXPECT_EQ(pipe, _bstr_t(L""));
  EXPECT_FALSE(_bstr_t(L"a") == _bstr_t(L"b"));
}

TEST(ComVariant, CopiesOwnTheirTextsAndArraysDeeplyAndClearRefusesWhatItCannot) {
  _variant_t source(L"abc");
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_NE(copy.bstrVal, source.bstrVal);
  source.bstrVal[0] = L'X';
  EXPECT_EQ(describe(VariantClear(&source), copy), L"BSTR abc");
  EXPECT_EQ(source.vt, VT_EMPTY);

  _variant_t array;
  array.vt = VT_ARRAY | VT_VARIANT;
  array.parray = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  LONG i = 1;
  ASSERT_EQ(SafeArrayPutElement(array.parray, &i, &copy), S_OK);
  EXPECT_EQ(VariantClear(&copy), S_OK);
  ASSERT_EQ(VariantCopy(&copy, &array), S_OK);
  ASSERT_NE(copy.parray, array.parray);
  // The copy must not share the inner text; clearing a locked array is refused.
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array.parray, &data), S_OK);
  EXPECT_EQ(VariantClear(&array), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(array.vt, VT_ARRAY | VT_VARIANT);
  ASSERT_EQ(SafeArrayUnaccessData(array.parray), S_OK);
  EXPECT_EQ(VariantClear(&array), S_OK);
  EXPECT_EQ(at(copy.parray, 1), L"BSTR abc");
  EXPECT_EQ(VariantClear(&copy), S_OK);
  copy.vt = 0x4003;  // a by-reference kind this platform does not make
  EXPECT_EQ(VariantClear(&copy), DISP_E_BADVARTYPE);
}

TEST(ComVariant, ConversionsAndTheOwnersKindsAndHandOver) {
  const struct {
    _variant_t from;
    VARTYPE to;
    const wchar_t* answer;
  } cases[] = {
      {2.5, VT_I4, L"I4 2"},  // halves go to the even neighbour
      {3.5, VT_I4, L"I4 4"},
      {-2.5, VT_I4, L"I4 -2"},
      {L" 12.25 ", VT_R8, L"R8 12.25"},
      {0.1, VT_BSTR, L"BSTR 0.1"},
      {1e20, VT_BSTR, L"BSTR 1E+20"},
      {true, VT_BSTR, L"BSTR -1"},
      {42, VT_BSTR, L"BSTR 42"},
      {L"True", VT_BOOL, L"BOOL -1"},
      {0, VT_BOOL, L"BOOL 0"},
      {30000, VT_I2, L"I2 30000"},
      {L"abc", VT_I4, L"error 80020005"},
      {L"", VT_R8, L"error 80020005"},
      {40000, VT_I2, L"error 8002000a"},
      {256, VT_UI1, L"error 8002000a"},
      {_variant_t::makeNull(), VT_I4, L"error 80020005"},
  };
  for (const auto& c : cases) {
    VARIANT out;
    VariantInit(&out);
    const HRESULT hr = VariantChangeType(&out, &c.from, 0, c.to);
    EXPECT_EQ(describe(hr, out), c.answer);
    EXPECT_TRUE(SUCCEEDED(hr) || out.vt == VT_EMPTY) << c.answer;
    VariantClear(&out);
  }
  VARIANT out;
  VariantInit(&out);
  const _variant_t no(false);
  EXPECT_EQ(describe(VariantChangeType(&out, &no, VARIANT_ALPHABOOL, VT_BSTR), out), L"BSTR False");
  VariantClear(&out);
  // The owner converts in place, and its extractors raise what does not convert.
  _variant_t v(2.5);
  v.ChangeType(VT_I4);
  EXPECT_EQ(describe(S_OK, v), L"I4 2");
  EXPECT_EQ(static_cast<long>(v), 2);
  EXPECT_THROW(static_cast<void>(static_cast<long>(_variant_t(L"abc"))), _com_error);

  EXPECT_EQ(describe(S_OK, _variant_t(true)), L"BOOL -1");
  EXPECT_EQ(describe(S_OK, _variant_t(short{5}, VT_BOOL)), L"BOOL -1");
  EXPECT_THROW(_variant_t(5000000000L), _com_error);
  _variant_t owner(L"kept");
  VARIANT taken = owner.Detach();
  EXPECT_EQ(owner.vt, VT_EMPTY);
  _variant_t again;
  again.Attach(taken);
  EXPECT_EQ(taken.vt, VT_EMPTY);
  _variant_t copied = again;
  _variant_t moved = std::move(again);
  EXPECT_EQ(describe(S_OK, copied) + L"/" + describe(S_OK, moved), L"BSTR kept/BSTR kept");
}

// ---- SAFEARRAY ---------------------------------------------------------------------

// Far more elements than a mapped block starts at (2 MB of VARIANTs), and a few.
constexpr ULONG kLarge = 300000;
constexpr ULONG kSmall = 5;

VARIANT* elementsOf(SAFEARRAY* array) { return static_cast<VARIANT*>(array->pvData); }

void putNumbers(SAFEARRAY* array, ULONG from, ULONG to) {
  for (ULONG i = from; i < to; ++i) elementsOf(array)[i] = _variant_t(static_cast<int>(i)).Detach();
}

// Of the first `to` elements, the first `count` hold their own index, the rest are empty.
::testing::AssertionResult holdsNumbersThenEmpty(SAFEARRAY* array, ULONG count, ULONG to) {
  for (ULONG i = 0; i < to; ++i) {
    const VARIANT& v = elementsOf(array)[i];
    if (i < count && (v.vt != VT_I4 || v.lVal != static_cast<std::int32_t>(i)))
      return ::testing::AssertionFailure() << "element " << i << " lost its value";
    if (i >= count && v.vt != VT_EMPTY) return ::testing::AssertionFailure() << "element " << i << " is not empty";
  }
  return ::testing::AssertionSuccess();
}

TEST(ComSafeArray, KeepsItsLowerBoundAndItsValuesAcrossTheMappedBoundaryBothWays) {
  SAFEARRAYBOUND bound{3, 5};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
  ASSERT_NE(array, nullptr);
  LONG low = 0;
  LONG high = 0;
  ASSERT_EQ(SafeArrayGetLBound(array, 1, &low), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(array, 1, &high), S_OK);
  EXPECT_EQ(std::to_string(low) + ".." + std::to_string(high), "5..7");
  EXPECT_EQ(SafeArrayGetLBound(array, 2, &low), DISP_E_BADINDEX);
  for (LONG i = 5; i <= 7; ++i) {
    _variant_t v(static_cast<int>(i * 10));
    ASSERT_EQ(SafeArrayPutElement(array, &i, &v), S_OK);
  }
  EXPECT_EQ(at(array, 4) + L"/" + at(array, 5) + L"/" + at(array, 8), L"error 8002000b/I4 50/error 8002000b");
  LONG outside = 8;
  _variant_t text(L"freed with the array");
  EXPECT_EQ(SafeArrayPutElement(array, &outside, &text), DISP_E_BADINDEX);
  // Overwriting an element frees the text it held; destroying frees the rest.
  LONG five = 5;
  ASSERT_EQ(SafeArrayPutElement(array, &five, &text), S_OK);
  ASSERT_EQ(SafeArrayPutElement(array, &five, &text), S_OK);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  EXPECT_EQ(static_cast<VARIANT*>(data)[2].lVal, 70);  // element 7 is the third
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);

  // An empty array ends below its start.
  array = SafeArrayCreateVector(VT_VARIANT, 1, 0);
  ASSERT_EQ(SafeArrayGetUBound(array, 1, &high), S_OK);
  EXPECT_EQ(high, 0);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);

  SAFEARRAYBOUND two{2, 0};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 1, &two), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, &two), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 1, nullptr), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, INT32_MAX, 2), nullptr);  // upper bound overflows
  EXPECT_EQ(SafeArrayCreateVector(VT_VARIANT, 0, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);

  array = SafeArrayCreateVector(VT_VARIANT, 0, kSmall);
  putNumbers(array, 0, kSmall);
  bound = {kLarge, 0};
  ASSERT_EQ(SafeArrayRedim(array, &bound), S_OK);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kSmall, kLarge));
  putNumbers(array, kSmall, kLarge);
  bound = {kLarge * 3, 0};
  ASSERT_EQ(SafeArrayRedim(array, &bound), S_OK);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kLarge, kLarge * 3));
  // A large array copies with its texts, and texts in the part cut off are freed
  // (LeakSanitizer would report them otherwise).
  for (ULONG i = kLarge; i < kLarge * 3; i += 1000)
    elementsOf(array)[i] = _variant_t(std::to_wstring(i).c_str()).Detach();
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  for (ULONG i = kLarge; i < kLarge * 3; ++i)
    ASSERT_EQ(at(copy, static_cast<LONG>(i)), i % 1000 ? L"EMPTY" : L"BSTR " + std::to_wstring(i)) << i;
  EXPECT_TRUE(holdsNumbersThenEmpty(copy, kLarge, kLarge));
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  bound = {kLarge / 2, 0};
  ASSERT_EQ(SafeArrayRedim(array, &bound), S_OK);
  EXPECT_EQ(array->rgsabound[0].cElements, kLarge / 2);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kLarge / 2, kLarge / 2));
  bound = {kSmall, 3};
  ASSERT_EQ(SafeArrayRedim(array, &bound), S_OK);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kSmall, kSmall));
  EXPECT_EQ(at(array, 3), L"I4 0");  // the new lower bound

  data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  bound = {kSmall * 2, 0};
  EXPECT_EQ(SafeArrayRedim(array, &bound), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  SAFEARRAYBOUND overflowing{2, INT32_MAX};
  EXPECT_EQ(SafeArrayRedim(array, &overflowing), E_INVALIDARG);
  EXPECT_EQ(SafeArrayRedim(array, nullptr), E_INVALIDARG);
  EXPECT_EQ(SafeArrayRedim(nullptr, &bound), E_INVALIDARG);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kSmall, kSmall));  // unchanged by the refusals
  bound = {0, 0};
  ASSERT_EQ(SafeArrayRedim(array, &bound), S_OK);
  EXPECT_EQ(array->rgsabound[0].cElements, 0u);
  bound = {kSmall, 0};
  ASSERT_EQ(SafeArrayRedim(array, &bound), S_OK);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, 0, kSmall));
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

// ---- texts in batches ---------------------------------------------------------------

TEST(ComBstrBatch, TextsAreOrdinaryBstrsThatOutliveTheirBatchAndAreFreedInAnyOrder) {
  std::vector<BSTR> texts;
  std::vector<BSTR> mixed;
  {
    BstrBatch batch;
    BstrBatch other;
    for (int i = 0; i < 3000; ++i)
      mixed.insert(mixed.end(),
                   {other.allocate(L"other", 5), SysAllocString(L"alone"), batch.allocate(L"a", 1), nullptr});
    // Enough to fill several blocks, the largest ones included.
    for (int i = 0; i < 60000; ++i) {
      std::wstring text = L"text number " + std::to_wstring(i);
      texts.push_back(batch.allocate(text.c_str(), static_cast<UINT>(text.size())));
    }
    const wchar_t withNul[] = {L'a', L'\0', L'b'};
    texts.push_back(batch.allocate(withNul, 3));
    texts.push_back(batch.allocate(nullptr, 4));
    texts.push_back(batch.allocate(L"", 0));
    std::wstring longText(20000, L'x');  // longer than a batch keeps
    texts.push_back(batch.allocate(longText.c_str(), static_cast<UINT>(longText.size())));
  }
  for (std::size_t i = 0; i < 60000; i += 997)
    ASSERT_EQ(std::wstring(texts[i], SysStringLen(texts[i])), L"text number " + std::to_wstring(i));
  EXPECT_EQ(whole(texts[60000]) + L" " + whole(texts[60001]) + L" " + whole(texts[60002]), L"3:a|b| 4:||||| 0:|");
  EXPECT_EQ(whole(texts[60003]), L"20000:" + std::wstring(20000, L'x') + L"|");
  // Holders may change their own text without touching the others, and a text outlives
  // its neighbours; an owner adopts one and copies it whole.
  texts[1][0] = L'T';
  SysFreeString(std::exchange(texts[0], nullptr));
  SysFreeString(std::exchange(texts[2], nullptr));
  {
    BstrReleaser releaser;  // texts of several batches and single ones, as SysFreeString frees them
    for (BSTR text : mixed) releaser.release(text);
  }
  EXPECT_EQ(std::wstring(texts[1]) + L"/" + texts[3], L"Text number 1/text number 3");
  _bstr_t owner(std::exchange(texts[60000], nullptr), false);
  _bstr_t copy = owner;
  EXPECT_NE(copy.GetBSTR(), owner.GetBSTR());
  EXPECT_EQ(whole(copy.GetBSTR()), L"3:a|b|");

  std::mt19937 shuffle(7);
  std::shuffle(texts.begin(), texts.end(), shuffle);
  // The last text of every block frees it; AddressSanitizer and LeakSanitizer check.
  for (BSTR text : texts) SysFreeString(text);
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
    const bool run = iid == IID_IRunnableObject && runnable;
    const bool thing = iid == IID_IUnknown || iid == ITestThing::iid();
    calls.push_back(iid == IID_IUnknown ? "QI IUnknown"
                    : thing             ? "QI ITestThing"
                    : run               ? "QI IRunnableObject"
                                        : "QI other");
    *object = run     ? static_cast<void*>(static_cast<IRunnableObject*>(this))
              : thing ? static_cast<void*>(static_cast<ITestThing*>(this))
                      : nullptr;
    if (*object) AddRef();
    return *object ? S_OK : E_NOINTERFACE;
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
  void SetUp() override { ASSERT_EQ(comRegisterClass(kTestClass, &RecordingThing::create), S_OK); }
  void TearDown() override {
    comUnregisterClass(kTestClass);
    EXPECT_EQ(RecordingThing::alive, 0) << "an object was leaked or released too often";
  }
};

// Out of process the object is asked for IUnknown, run, then asked for the interface;
// in process only for the interface; an object that cannot run is running already.
TEST_F(ComCreation, CreateInstanceAsksInTheOrderOfTheContextAndFailuresLeakNothing) {
  using Calls = std::vector<std::string>;
  const struct {
    std::uint32_t context;
    bool runnable;
    Calls calls;
  } cases[] = {
      {CLSCTX_ALL, true, {"QI IUnknown", "QI IRunnableObject", "Run", "QI ITestThing"}},
      {CLSCTX_INPROC_SERVER, true, {"QI ITestThing"}},
      {CLSCTX_ALL, false, {"QI IUnknown", "QI other", "QI ITestThing"}},
  };
  for (const auto& c : cases) {
    RecordingThing::calls.clear();
    RecordingThing::runnable = c.runnable;
    _com_ptr_t<ITestThing> thing;
    ASSERT_EQ(thing.CreateInstance(kTestClass, nullptr, c.context), S_OK);
    EXPECT_EQ(RecordingThing::calls, c.calls);
    EXPECT_EQ(thing->value(), 42);  // and TearDown finds no object left behind
  }

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
  thing = nullptr;

  // Registering again replaces the factory; unregistering makes the class unknown.
  EXPECT_EQ(comRegisterClass(kTestClass, &RecordingThing::create), S_FALSE);
  EXPECT_EQ(comRegisterClass(kTestClass, nullptr), E_INVALIDARG);
  EXPECT_EQ(comRegisteredClass(kTestClass), &RecordingThing::create);
  EXPECT_EQ(comUnregisterClass(kTestClass), S_OK);
  EXPECT_EQ(comUnregisterClass(kTestClass), S_FALSE);
  EXPECT_EQ(thing.CreateInstance(kTestClass), REGDB_E_CLASSNOTREG);
}

TEST_F(ComCreation, PointerCountsItsReferences) {
  _com_ptr_t<ITestThing> first;
  ASSERT_EQ(first.CreateInstance(kTestClass), S_OK);
  auto* object = static_cast<RecordingThing*>(first.GetInterfacePtr());
  {
    // A copy and an assignment hold a reference each, a move takes one over, and
    // self-assignment keeps it.
    _com_ptr_t<ITestThing> second = first;
    _com_ptr_t<ITestThing> third;
    third = second;
    _com_ptr_t<ITestThing> moved = std::move(third);
    EXPECT_FALSE(third);
    moved = moved;
    EXPECT_EQ(object->references, 3u);
  }
  EXPECT_EQ(object->references, 1u);
  ITestThing* raw = first.Detach();
  EXPECT_FALSE(first);
  _com_ptr_t<ITestThing> adopted;
  adopted.Attach(raw);
  EXPECT_EQ(object->references, 1u);
  adopted.Release();
  EXPECT_EQ(RecordingThing::alive, 0);
  EXPECT_THROW(adopted.Release(), _com_error);
  EXPECT_THROW(adopted->value(), _com_error);
}

TEST(ComError, CarriesCodeInterfaceAndTheObjectsDescriptionOnce) {
  constexpr IID someInterface = guidOf("6E1F0A13-5B7C-4C1D-9E2F-0123456789AB");
  comSetErrorDescription(L"table not found");
  for (int round = 0; round < 2; ++round) {
    try {
      _com_issue_errorex(round == 0 ? DISP_E_EXCEPTION : E_FAIL, nullptr, someInterface);
      ADD_FAILURE() << "no exception";
    } catch (const _com_error& e) {
      EXPECT_EQ(e.Error(), round == 0 ? DISP_E_EXCEPTION : E_FAIL);
      EXPECT_EQ(e.interfaceId(), someInterface);
      // The description went with the first error; the next one has none of its own.
      EXPECT_EQ(e.Description().wstring() + L"/" + e.ErrorMessage(),
                round == 0 ? L"table not found/Exception occurred." : L"/Unspecified error");
    }
  }
  EXPECT_EQ(comErrorMessage(static_cast<HRESULT>(0x80041234u)), L"Unknown error 0x80041234");
}

}  // namespace
