// One-dimensional arrays of VARIANT with a lower bound, as COM passes rows (SAFEARRAY).
#pragma once

#include "com/com_base.h"
#include "com/variant.h"

struct SAFEARRAYBOUND {
  ULONG cElements = 0;
  LONG lLbound = 0;
};

// Only arrays of VT_VARIANT with one dimension are made; the other kinds the platform
// knows are refused at creation, so every array seen here holds VARIANTs.
struct SAFEARRAY {
  WORD cDims = 1;
  WORD fFeatures = 0;
  ULONG cbElements = sizeof(VARIANT);
  ULONG cLocks = 0;
  void* pvData = nullptr;
  SAFEARRAYBOUND rgsabound[1];
};

constexpr WORD FADF_VARIANT = 0x0800;

// Null for any element type but VT_VARIANT, any dimension count but 1, or a null bound.
// Elements start as VT_EMPTY.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG count);
// Clears every element and frees the array; DISP_E_ARRAYISLOCKED while data is accessed.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
// Gives the array the bound `bound` (its new lower bound and element count): elements
// added start VT_EMPTY, elements cut off are cleared, the others keep their values.
// DISP_E_ARRAYISLOCKED while data is accessed; E_OUTOFMEMORY when the elements cannot be
// had (the array keeps its bound, elements that were to be cut off are cleared).
HRESULT SafeArrayRedim(SAFEARRAY* array, const SAFEARRAYBOUND* bound);
// A new array with copies of every element.
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);
UINT SafeArrayGetDim(SAFEARRAY* array);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
// Copies the element at *index into the VARIANT at `value` (which must be initialised:
// its old content is cleared first). DISP_E_BADINDEX outside the bounds.
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* index, void* value);
// Copies the VARIANT at `value` into the element at *index, clearing the old element.
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* index, void* value);
// Direct access to the elements (VARIANT*, first element at the lower bound); each
// access locks the array until the matching unaccess.
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
