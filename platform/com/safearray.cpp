// One-dimensional arrays of VARIANT: creation with a lower bound, element copies in and
// out, direct access under a lock count, and destruction that clears every element.
#include "com/safearray.h"

#include <cstdint>
#include <new>

namespace {

// More elements than any row or query result needs; refusing them keeps a bad count
// from asking for an impossible allocation.
constexpr ULONG kMaxElements = 0x0FFFFFFFu;

VARIANT* elements(SAFEARRAY* array) { return static_cast<VARIANT*>(array->pvData); }

// The element at *index, or null outside the bounds.
VARIANT* elementAt(SAFEARRAY* array, const LONG* index) {
  std::int64_t offset = static_cast<std::int64_t>(*index) - array->rgsabound[0].lLbound;
  if (offset < 0 || offset >= static_cast<std::int64_t>(array->rgsabound[0].cElements)) return nullptr;
  return elements(array) + offset;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds) {
  if (vt != VT_VARIANT || dims != 1 || bounds == nullptr) return nullptr;
  ULONG count = bounds->cElements;
  // The upper bound must be a LONG too.
  if (count > kMaxElements || static_cast<std::int64_t>(bounds->lLbound) + count - 1 > INT32_MAX) return nullptr;
  auto* array = new (std::nothrow) SAFEARRAY;
  if (array == nullptr) return nullptr;
  array->fFeatures = FADF_VARIANT;
  array->rgsabound[0] = *bounds;
  if (count > 0) {
    auto* data = new (std::nothrow) VARIANT[count];
    if (data == nullptr) {
      delete array;
      return nullptr;
    }
    for (ULONG i = 0; i < count; ++i) VariantInit(&data[i]);
    array->pvData = data;
  }
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG count) {
  SAFEARRAYBOUND bound{count, lowerBound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  VARIANT* data = elements(array);
  for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) VariantClear(&data[i]);
  delete[] data;
  delete array;
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
  if (copy == nullptr) return E_POINTER;
  *copy = nullptr;
  if (array == nullptr) return S_OK;
  SAFEARRAY* made = SafeArrayCreate(VT_VARIANT, 1, &array->rgsabound[0]);
  if (made == nullptr) return E_OUTOFMEMORY;
  for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
    HRESULT hr = VariantCopy(&elements(made)[i], &elements(array)[i]);
    if (FAILED(hr)) {
      SafeArrayDestroy(made);
      return hr;
    }
  }
  *copy = made;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) { return array == nullptr ? 0 : array->cDims; }

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  *bound = array->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (array == nullptr || bound == nullptr) return E_INVALIDARG;
  if (dim != 1) return DISP_E_BADINDEX;
  // An empty array's upper bound lies one below its lower bound.
  *bound = static_cast<LONG>(static_cast<std::int64_t>(array->rgsabound[0].lLbound) +
                             array->rgsabound[0].cElements - 1);
  return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (array == nullptr || vt == nullptr) return E_INVALIDARG;
  *vt = VT_VARIANT;
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* index, void* value) {
  if (array == nullptr || index == nullptr || value == nullptr) return E_INVALIDARG;
  VARIANT* element = elementAt(array, index);
  if (element == nullptr) return DISP_E_BADINDEX;
  return VariantCopy(static_cast<VARIANT*>(value), element);
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* index, void* value) {
  if (array == nullptr || index == nullptr || value == nullptr) return E_INVALIDARG;
  VARIANT* element = elementAt(array, index);
  if (element == nullptr) return DISP_E_BADINDEX;
  return VariantCopy(element, static_cast<const VARIANT*>(value));
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  ++array->cLocks;
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  if (array->cLocks == 0) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}
