// Constructors of the host classes that the host creates by class name when it reads
// a drawing file.
#include <functional>
#include <map>

#include "arx/db_entities.h"
#include "arx/db_proxy.h"
#include "arx/db_symtab.h"

template <typename T>
static AcRxObject* make() {
  return new T();
}

AcRxPseudoConstructor hostClassConstructor(const std::wstring& name) {
  static const std::map<std::wstring, AcRxPseudoConstructor> ctors = {
      {L"AcDbLine", &make<AcDbLine>},
      {L"AcDbArc", &make<AcDbArc>},
      {L"AcDbCircle", &make<AcDbCircle>},
      {L"AcDb2dPolyline", &make<AcDb2dPolyline>},
      {L"AcDbMText", &make<AcDbMText>},
      {L"AcDbProxyObject", &make<AcDbProxyObject>},
      {L"AcDbProxyEntity", &make<AcDbProxyEntity>},
      {L"AcDbBlockTable", &make<AcDbBlockTable>},
      {L"AcDbLayerTable", &make<AcDbLayerTable>},
      {L"AcDbLinetypeTable", &make<AcDbLinetypeTable>},
      {L"AcDbTextStyleTable", &make<AcDbTextStyleTable>},
      {L"AcDbRegAppTable", &make<AcDbRegAppTable>},
      {L"AcDbBlockTableRecord", &make<AcDbBlockTableRecord>},
      {L"AcDbLayerTableRecord", &make<AcDbLayerTableRecord>},
      {L"AcDbLinetypeTableRecord", &make<AcDbLinetypeTableRecord>},
      {L"AcDbTextStyleTableRecord", &make<AcDbTextStyleTableRecord>},
      {L"AcDbRegAppTableRecord", &make<AcDbRegAppTableRecord>},
  };
  auto it = ctors.find(name);
  return it == ctors.end() ? nullptr : it->second;
}
