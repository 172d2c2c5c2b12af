// One-dimensional arrays of VARIANT: creation with a lower bound, resizing, element copies
// in and out, direct access under a lock count, and destruction that clears every element.
#include "com/safearray.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "com/bulk_memory.h"

namespace {

// More elements than any row or query result needs; refusing them keeps a bad count
// from asking for an impossible allocation.
constexpr ULONG kMaxElements = 0x0FFFFFFFu;

VARIANT* elements(SAFEARRAY* array) { return static_cast<VARIANT*>(array->pvData); }

// A bound the platform can hold: a count within reason and an upper bound that is a LONG.
bool boundFits(const SAFEARRAYBOUND& bound) {
  return bound.cElements <= kMaxElements && static_cast<std::int64_t>(bound.lLbound) + bound.cElements - 1 <= INT32_MAX;
}

// Element storage. Small blocks come from malloc; large ones (a query's rows run to tens
// of megabytes) are mapped, so that growing moves no element and added pages arrive as
// zeros, which is VT_EMPTY. Which kind a block is follows from its element count.
bool mapped(ULONG count) { return static_cast<std::size_t>(count) * sizeof(VARIANT) >= bulk_memory::kHugePageBytes; }

// The storage of `before` elements made room for `after`, added ones VT_EMPTY. Null for
// no elements; `data` itself (unchanged) with `ok` false when memory runs out.
VARIANT* resizeElements(VARIANT* data, ULONG before, ULONG after, bool& ok) {
  std::size_t oldBytes = static_cast<std::size_t>(before) * sizeof(VARIANT);
  std::size_t newBytes = static_cast<std::size_t>(after) * sizeof(VARIANT);
  void* resized = nullptr;
  if (after > 0 && mapped(before) && mapped(after)) {
    resized = bulk_memory::remap(data, oldBytes, newBytes);
  } else if (after > 0 && !mapped(before) && !mapped(after)) {
    resized = std::realloc(data, newBytes);
    if (resized != nullptr)
      for (ULONG i = before; i < after; ++i) VariantInit(&static_cast<VARIANT*>(resized)[i]);
  } else {
    // Across the boundary the elements kept are copied bit by bit: nothing points into them.
    if (after > 0) {
      resized = mapped(after) ? bulk_memory::map(newBytes) : std::calloc(after, sizeof(VARIANT));
      std::size_t kept = before < after ? oldBytes : newBytes;
      if (resized != nullptr && kept > 0) std::memcpy(resized, data, kept);
    }
    if (after == 0 || resized != nullptr) {
      if (mapped(before))
        bulk_memory::unmap(data, oldBytes);
      else
        std::free(data);
    }
  }
  ok = after == 0 || resized != nullptr;
  return ok ? static_cast<VARIANT*>(resized) : data;
}

// Frees what the elements from `from` to `to` own, as VariantClear would, but without
// marking each one empty: their storage goes next. (Writing them would also bring in
// pages of a large array that were never used.)
void releaseElements(VARIANT* data, ULONG from, ULONG to) {
  BstrReleaser texts;
  for (ULONG i = from; i < to; ++i) {
    if (data[i].vt == VT_BSTR)
      texts.release(data[i].bstrVal);
    else if (data[i].vt == (VT_ARRAY | VT_VARIANT))
      SafeArrayDestroy(data[i].parray);
  }
}

// The element at *index, or null outside the bounds.
VARIANT* elementAt(SAFEARRAY* array, const LONG* index) {
  std::int64_t offset = static_cast<std::int64_t>(*index) - array->rgsabound[0].lLbound;
  if (offset < 0 || offset >= static_cast<std::int64_t>(array->rgsabound[0].cElements)) return nullptr;
  return elements(array) + offset;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds) {
  if (vt != VT_VARIANT || dims != 1 || bounds == nullptr || !boundFits(*bounds)) return nullptr;
  auto* array = new (std::nothrow) SAFEARRAY;
  if (array == nullptr) return nullptr;
  array->fFeatures = FADF_VARIANT;
  if (FAILED(SafeArrayRedim(array, bounds))) {
    delete array;
    return nullptr;
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
  ULONG count = array->rgsabound[0].cElements;
  releaseElements(data, 0, count);
  bool ok = true;
  resizeElements(data, count, 0, ok);
  delete array;
  return S_OK;
}

HRESULT SafeArrayRedim(SAFEARRAY* array, const SAFEARRAYBOUND* bound) {
  if (array == nullptr || bound == nullptr || !boundFits(*bound)) return E_INVALIDARG;
  if (array->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  ULONG before = array->rgsabound[0].cElements;
  ULONG after = bound->cElements;
  releaseElements(elements(array), after, before);
  bool ok = true;
  VARIANT* data = resizeElements(elements(array), before, after, ok);
  if (!ok) {
    for (ULONG i = after; i < before; ++i) VariantInit(&data[i]);
    return E_OUTOFMEMORY;
  }
  array->pvData = data;
  array->rgsabound[0] = *bound;
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
