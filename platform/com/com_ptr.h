// _com_ptr_t: a counted reference to a COM interface, as the platform's smart pointers.
#pragma once

#include <cstddef>

#include "com/com_base.h"
#include "com/com_error.h"

// T names its identifier with a static `T::iid()`.
template <class T>
class _com_ptr_t {
 public:
  _com_ptr_t() noexcept = default;
  _com_ptr_t(std::nullptr_t) noexcept {}
  // Holds `p`, adding a reference unless `addRef` is false (the reference is taken over).
  explicit _com_ptr_t(T* p, bool addRef = true) noexcept : p_(p) {
    if (p_ && addRef) p_->AddRef();
  }
  _com_ptr_t(const _com_ptr_t& other) noexcept : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  _com_ptr_t(_com_ptr_t&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ~_com_ptr_t() { reset(nullptr); }

  _com_ptr_t& operator=(const _com_ptr_t& other) noexcept {
    if (other.p_) other.p_->AddRef();
    reset(other.p_);
    return *this;
  }
  _com_ptr_t& operator=(_com_ptr_t&& other) noexcept {
    if (this != &other) {
      reset(other.p_);
      other.p_ = nullptr;
    }
    return *this;
  }
  _com_ptr_t& operator=(T* p) noexcept {
    if (p) p->AddRef();
    reset(p);
    return *this;
  }
  _com_ptr_t& operator=(std::nullptr_t) noexcept {
    reset(nullptr);
    return *this;
  }

  static const IID& GetIID() { return T::iid(); }

  // Creates an object of class `clsid`. With a local-server context (CLSCTX_ALL has
  // one) the object is created as IUnknown, run with OleRun, then asked for T, as the
  // platform does for servers that may live out of process; otherwise it is asked for
  // T directly. Any reference held before is released first.
  HRESULT CreateInstance(const CLSID& clsid, IUnknown* outer = nullptr, std::uint32_t context = CLSCTX_ALL) {
    reset(nullptr);
    if ((context & CLSCTX_LOCAL_SERVER) == 0) {
      void* object = nullptr;
      HRESULT hr = CoCreateInstance(clsid, outer, context, GetIID(), &object);
      if (SUCCEEDED(hr)) p_ = static_cast<T*>(object);
      return hr;
    }
    void* unknownObject = nullptr;
    HRESULT hr = CoCreateInstance(clsid, outer, context, IID_IUnknown, &unknownObject);
    if (FAILED(hr)) return hr;
    auto* unknown = static_cast<IUnknown*>(unknownObject);
    hr = OleRun(unknown);
    if (SUCCEEDED(hr)) {
      void* object = nullptr;
      hr = unknown->QueryInterface(GetIID(), &object);
      if (SUCCEEDED(hr)) p_ = static_cast<T*>(object);
    }
    unknown->Release();
    return hr;
  }

  // Raises _com_error E_POINTER when empty, as the platform does.
  T* operator->() const {
    if (!p_) _com_issue_error(E_POINTER);
    return p_;
  }
  T& operator*() const {
    if (!p_) _com_issue_error(E_POINTER);
    return *p_;
  }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  operator T*() const noexcept { return p_; }
  T* GetInterfacePtr() const noexcept { return p_; }

  // Releases the reference and empties the pointer; E_POINTER when already empty.
  void Release() {
    if (!p_) _com_issue_error(E_POINTER);
    reset(nullptr);
  }
  // Takes `p` over without adding a reference.
  void Attach(T* p) noexcept { reset(p); }
  // Gives the reference up to the caller.
  T* Detach() noexcept {
    T* p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  void reset(T* p) noexcept {
    T* old = p_;
    p_ = p;
    if (old) old->Release();
  }
  T* p_ = nullptr;
};
