// Proxies: objects of a class the host does not know, or whose reader asked to be a
// proxy, kept with their filed data byte for byte so that saving writes them back
// unchanged.
#pragma once

#include <string>
#include <vector>

#include "arx/db_entity.h"

// What a proxy remembers of the object it stands for.
struct AcDbProxyData {
  std::wstring className;          // the original class name
  std::wstring dxfName;            // its DXF name, when known
  std::wstring appName;            // the application that defined it
  int proxyFlags = 0;
  std::vector<unsigned char> bytes;  // everything the object filed, as filed
};

class AcDbProxyObject : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbProxyObject)
  AcDbProxyData& proxyData() { return data_; }
  const AcDbProxyData& proxyData() const { return data_; }
  const ACHAR* originalClassName() const { return data_.className.c_str(); }
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  AcDbProxyData data_;
};

// An entity proxy. Its layer and the other entity fields are read from the front of
// the kept bytes so that it stays on its layer; it draws nothing and cannot be edited.
class AcDbProxyEntity : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbProxyEntity)
  AcDbProxyData& proxyData() { return data_; }
  const AcDbProxyData& proxyData() const { return data_; }
  const ACHAR* originalClassName() const { return data_.className.c_str(); }
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d&) override { return Acad::eNotApplicable; }

 private:
  AcDbProxyData data_;
};
