// The COM stand-ins in bulk: arrays resized in place (small ones from the heap, large
// ones mapped, both ways across the boundary), and texts carved in batches that holders
// free one by one in any order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/safearray.h"
#include "com/variant.h"

namespace {

// Far more elements than a mapped block starts at (2 MB of VARIANTs), and a few.
constexpr ULONG kLarge = 300000;
constexpr ULONG kSmall = 5;

VARIANT* elementsOf(SAFEARRAY* array) { return static_cast<VARIANT*>(array->pvData); }

void putNumbers(SAFEARRAY* array, ULONG from, ULONG to) {
  for (ULONG i = from; i < to; ++i) {
    elementsOf(array)[i].vt = VT_I4;
    elementsOf(array)[i].lVal = static_cast<std::int32_t>(i);
  }
}

// The first `count` elements hold their own index; the rest up to `to` are VT_EMPTY.
::testing::AssertionResult holdsNumbersThenEmpty(SAFEARRAY* array, ULONG count, ULONG to) {
  for (ULONG i = 0; i < to; ++i) {
    const VARIANT& v = elementsOf(array)[i];
    if (i < count && (v.vt != VT_I4 || v.lVal != static_cast<std::int32_t>(i)))
      return ::testing::AssertionFailure() << "element " << i << " lost its value";
    if (i >= count && v.vt != VT_EMPTY) return ::testing::AssertionFailure() << "element " << i << " is not empty";
  }
  return ::testing::AssertionSuccess();
}

ULONG countOf(SAFEARRAY* array) { return array->rgsabound[0].cElements; }

// ---- resizing arrays ----------------------------------------------------------------

TEST(ComSafeArrayRedim, GrowingKeepsValuesAndAddsEmptyElementsAcrossTheMappedBoundary) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, kSmall);
  putNumbers(array, 0, kSmall);
  SAFEARRAYBOUND large{kLarge, 0};
  ASSERT_EQ(SafeArrayRedim(array, &large), S_OK);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kSmall, kLarge));
  putNumbers(array, kSmall, kLarge);
  SAFEARRAYBOUND larger{kLarge * 3, 0};
  ASSERT_EQ(SafeArrayRedim(array, &larger), S_OK);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kLarge, kLarge * 3));
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(ComSafeArrayRedim, ShrinkingClearsWhatIsCutOffAndKeepsTheRest) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, kLarge);
  putNumbers(array, 0, kLarge);
  // Texts in the part cut off are freed (LeakSanitizer would report them otherwise).
  for (ULONG i = kLarge - 10; i < kLarge; ++i) {
    VariantClear(&elementsOf(array)[i]);
    elementsOf(array)[i].vt = VT_BSTR;
    elementsOf(array)[i].bstrVal = SysAllocString(L"cut off");
  }
  SAFEARRAYBOUND fewer{kLarge / 2, 0};
  ASSERT_EQ(SafeArrayRedim(array, &fewer), S_OK);
  EXPECT_EQ(countOf(array), kLarge / 2);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kLarge / 2, kLarge / 2));
  SAFEARRAYBOUND small{kSmall, 3};
  ASSERT_EQ(SafeArrayRedim(array, &small), S_OK);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kSmall, kSmall));
  LONG low = 0;
  ASSERT_EQ(SafeArrayGetLBound(array, 1, &low), S_OK);
  EXPECT_EQ(low, 3);
  SAFEARRAYBOUND none{0, 0};
  ASSERT_EQ(SafeArrayRedim(array, &none), S_OK);
  EXPECT_EQ(countOf(array), 0u);
  ASSERT_EQ(SafeArrayRedim(array, &small), S_OK);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, 0, kSmall));
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(ComSafeArrayRedim, RefusesLockedArraysAndBadBounds) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, kSmall);
  putNumbers(array, 0, kSmall);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  SAFEARRAYBOUND more{kSmall * 2, 0};
  EXPECT_EQ(SafeArrayRedim(array, &more), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  SAFEARRAYBOUND overflowing{2, INT32_MAX};
  EXPECT_EQ(SafeArrayRedim(array, &overflowing), E_INVALIDARG);
  EXPECT_EQ(SafeArrayRedim(array, nullptr), E_INVALIDARG);
  EXPECT_EQ(SafeArrayRedim(nullptr, &more), E_INVALIDARG);
  EXPECT_TRUE(holdsNumbersThenEmpty(array, kSmall, kSmall));  // unchanged by the refusals
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(ComSafeArrayRedim, LargeArraysCopyAndDestroyWithTheirTexts) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, kLarge);
  for (ULONG i = 0; i < kLarge; i += 1000) {
    elementsOf(array)[i].vt = VT_BSTR;
    elementsOf(array)[i].bstrVal = SysAllocString(std::to_wstring(i).c_str());
  }
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
  for (ULONG i = 0; i < kLarge; ++i) {
    const VARIANT& v = elementsOf(copy)[i];
    if (i % 1000 == 0)
      ASSERT_EQ(std::wstring(v.bstrVal), std::to_wstring(i));
    else
      ASSERT_EQ(v.vt, VT_EMPTY);
  }
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
}

// ---- texts in batches ---------------------------------------------------------------

TEST(ComBstrBatch, TextsAreOrdinaryBstrsFreedInAnyOrder) {
  std::vector<BSTR> texts;
  {
    BstrBatch batch;
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
  for (int i = 0; i < 60000; i += 997) ASSERT_EQ(std::wstring(texts[static_cast<std::size_t>(i)]), L"text number " + std::to_wstring(i));
  BSTR withNul = texts[60000];
  EXPECT_EQ(SysStringLen(withNul), 3u);
  EXPECT_EQ(withNul[2], L'b');
  EXPECT_EQ(withNul[3], L'\0');
  EXPECT_EQ(std::wstring(texts[60001], 4), std::wstring(4, L'\0'));
  EXPECT_EQ(SysStringLen(texts[60002]), 0u);
  EXPECT_EQ(SysStringLen(texts[60003]), 20000u);
  // Holders may change their own text without touching the others.
  texts[1][0] = L'T';
  EXPECT_EQ(std::wstring(texts[0]), L"text number 0");
  EXPECT_EQ(std::wstring(texts[2]), L"text number 2");

  std::mt19937 shuffle(7);
  std::shuffle(texts.begin(), texts.end(), shuffle);
  // The last text of every block frees it; AddressSanitizer and LeakSanitizer check.
  for (BSTR text : texts) SysFreeString(text);
}

TEST(ComBstrBatch, TextsOutliveTheirBatchAndTheirNeighbours) {
  BSTR kept = nullptr;
  {
    BstrBatch batch;
    BSTR before = batch.allocate(L"before", 6);
    kept = batch.allocate(L"kept", 4);
    BSTR after = batch.allocate(L"after", 5);
    SysFreeString(before);
    SysFreeString(after);
  }
  EXPECT_EQ(std::wstring(kept), L"kept");
  _bstr_t owner(kept, false);
  _bstr_t copy = owner;
  EXPECT_NE(copy.GetBSTR(), owner.GetBSTR());
  EXPECT_EQ(copy, owner);
}

TEST(ComBstrBatch, AReleaserFreesMixedTextsAsSysFreeStringWould) {
  std::vector<BSTR> texts;
  BstrBatch first;
  BstrBatch second;
  for (int i = 0; i < 3000; ++i) {
    texts.push_back(first.allocate(L"first", 5));
    texts.push_back(SysAllocString(L"alone"));
    texts.push_back(second.allocate(L"second", 6));
    texts.push_back(nullptr);
  }
  BSTR survivor = first.allocate(L"survivor", 8);
  {
    BstrReleaser releaser;
    for (BSTR text : texts) releaser.release(text);
  }
  EXPECT_EQ(std::wstring(survivor), L"survivor");
  SysFreeString(survivor);
}

}  // namespace
