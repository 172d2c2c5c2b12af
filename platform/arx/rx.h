// Run-time classes of the host: every host and plug-in class has a class descriptor
// registered by name in the "ClassDictionary" of the system registry, with its parent,
// versions, proxy flags, DXF name and application name.
#pragma once

#include <map>
#include <string>

#include "arx/status.h"

class AcRxClass;

class AcRxObject {
 public:
  virtual ~AcRxObject() = default;
  static AcRxClass* desc();
  virtual AcRxClass* isA() const;
  bool isKindOf(const AcRxClass* cls) const;
  static AcRxObject* cast(const AcRxObject* p) { return const_cast<AcRxObject*>(p); }
};

// Declares desc(), isA() and cast() for a host class; the matching definition macro
// looks the descriptor up once in the class dictionary.
#define ACRX_DECLARE_MEMBERS(CLASS)                                          \
  static AcRxClass* desc();                                                  \
  AcRxClass* isA() const override;                                           \
  static CLASS* cast(const AcRxObject* p) {                                  \
    return (p && p->isKindOf(CLASS::desc())) ? static_cast<CLASS*>(const_cast<AcRxObject*>(p)) : nullptr; \
  }

#define ACRX_DEFINE_HOST_MEMBERS(CLASS)                                      \
  AcRxClass* CLASS::desc() {                                                 \
    static AcRxClass* d = acrxFindHostClass(L## #CLASS);                      \
    return d;                                                                \
  }                                                                          \
  AcRxClass* CLASS::isA() const { return CLASS::desc(); }

using AcRxPseudoConstructor = AcRxObject* (*)();

class AcRxClass : public AcRxObject {
 public:
  static AcRxClass* desc();
  AcRxClass* isA() const override;
  static AcRxClass* cast(const AcRxObject* p);

  AcRxClass(const std::wstring& name, AcRxClass* parent, int dwgVersion, int maintVersion,
            int proxyFlags, AcRxPseudoConstructor ctor, const std::wstring& dxfName,
            const std::wstring& appName, const std::wstring& parentName = L"");

  const ACHAR* name() const { return name_.c_str(); }
  AcRxClass* myParent() const { return parent_; }
  AcRxObject* create() const { return ctor_ ? ctor_() : nullptr; }
  bool isConcrete() const { return ctor_ != nullptr; }
  const ACHAR* appName() const { return appName_.c_str(); }
  const ACHAR* dxfName() const { return dxfName_.c_str(); }
  int proxyFlags() const { return proxyFlags_; }
  Acad::ErrorStatus getClassVersion(int& dwgVersion, int& maintVersion) const {
    dwgVersion = dwgVersion_;
    maintVersion = maintVersion_;
    return Acad::eOk;
  }
  bool isDerivedFrom(const AcRxClass* other) const;
  // Links the parent by name; acrxBuildClassHierarchy calls it for every class.
  void resolveParent();

 private:
  std::wstring name_;
  AcRxClass* parent_;
  std::wstring parentName_;
  int dwgVersion_, maintVersion_, proxyFlags_;
  AcRxPseudoConstructor ctor_;
  std::wstring dxfName_, appName_;
};

// A dictionary of named objects. The system registry is one; its entry
// "ClassDictionary" is another, holding every class descriptor by name. The
// dictionary does not own its entries.
class AcRxDictionary : public AcRxObject {
 public:
  static AcRxClass* desc();
  AcRxClass* isA() const override;
  static AcRxDictionary* cast(const AcRxObject* p);

  AcRxObject* at(const ACHAR* key) const;
  // Stores the entry and answers the one it replaced (or null).
  AcRxObject* atPut(const ACHAR* key, AcRxObject* obj);
  AcRxObject* remove(const ACHAR* key);
  bool has(const ACHAR* key) const { return at(key) != nullptr; }
  int numEntries() const { return static_cast<int>(entries_.size()); }
  const std::map<std::wstring, AcRxObject*>& entries() const { return entries_; }

 private:
  std::map<std::wstring, AcRxObject*> entries_;
};

#define ACRX_CLASS_DICTIONARY L"ClassDictionary"

AcRxDictionary* acrxSysRegistry();
AcRxDictionary* acrxClassDictionary();

// Creates a class descriptor and registers it in the class dictionary under its name.
AcRxClass* newAcRxClass(const ACHAR* className, const ACHAR* parentClassName, int dwgVersion,
                        int maintVersion, int proxyFlags, AcRxPseudoConstructor ctor,
                        const ACHAR* dxfName = nullptr, const ACHAR* appName = nullptr);
// Unregisters and deletes a descriptor made by newAcRxClass.
void deleteAcRxClass(AcRxClass* cls);
void acrxBuildClassHierarchy();
// Looks up a class by name (null when unknown).
AcRxClass* acrxFindClass(const ACHAR* name);
// Finds a built-in host class, registering the host's classes on first use.
AcRxClass* acrxFindHostClass(const ACHAR* name);
// Finds a class by its DXF name (the custom classes of plug-ins included).
AcRxClass* acrxFindClassByDxfName(const ACHAR* dxfName);

// Stops the host with a fatal message, as the real host does on an unrecoverable
// plug-in error. Never returns.
[[noreturn]] void acrx_abort(const ACHAR* format, ...);
