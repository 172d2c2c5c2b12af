// Proxies: the filing of objects kept for a class the host cannot read, byte for byte.
#include "arx/db_proxy.h"

#include "arx/db_database.h"
#include "arx/dwg_filer_mem.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbProxyObject)
ACRX_DEFINE_HOST_MEMBERS(AcDbProxyEntity)

namespace {

// In a drawing file the kept bytes are the object's whole record, exactly as its own
// class filed it, so that its class reads them again. Copies and undo records also
// carry the class it stands for, since a copy is made from the proxy class alone.
// The bytes only travel through the host's binary filer: any other filer has no way
// to take them back whole.
Acad::ErrorStatus fileProxyOut(const AcDbProxyData& data, AcDbDwgFiler* filer) {
  auto* mem = AcDbMemDwgFiler::cast(filer);
  if (mem == nullptr) return Acad::eNotApplicable;
  if (filer->filerType() != AcDb::kFileFiler) {
    filer->writeString(data.className);
    filer->writeString(data.dxfName);
    filer->writeString(data.appName);
    filer->writeInt32(data.proxyFlags);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
  }
  mem->appendRaw(data.bytes);
  return filer->filerStatus();
}

Acad::ErrorStatus fileProxyIn(AcDbProxyData& data, AcDbDwgFiler* filer) {
  auto* mem = AcDbMemDwgFiler::cast(filer);
  if (mem == nullptr) return Acad::eNotApplicable;
  AcDbProxyData read;
  if (filer->filerType() != AcDb::kFileFiler) {
    Adesk::Int32 flags = 0;
    filer->readString(read.className);
    filer->readString(read.dxfName);
    filer->readString(read.appName);
    filer->readInt32(&flags);
    if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
    read.proxyFlags = flags;
  } else {
    // A file record carries no class: the reader set it from the file's class table.
    read.className = data.className;
    read.dxfName = data.dxfName;
    read.appName = data.appName;
    read.proxyFlags = data.proxyFlags;
  }
  // Everything from here to the end is the object's own data.
  const std::span<const unsigned char> rest = mem->unread();
  read.bytes.assign(rest.begin(), rest.end());
  data = std::move(read);
  return Acad::eOk;
}

}  // namespace

Acad::ErrorStatus AcDbProxyObject::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  return fileProxyOut(data_, filer);
}

Acad::ErrorStatus AcDbProxyObject::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  return fileProxyIn(data_, filer);
}

Acad::ErrorStatus AcDbProxyEntity::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  return fileProxyOut(data_, filer);
}

// The entity fields lead every entity's record, so they are read from the front of the
// kept bytes: the proxy stays on its layer with its colour and linetype. The bytes are
// read as a file's, whatever filer brought them, because they hold handles.
Acad::ErrorStatus AcDbProxyEntity::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  AcDbProxyData read = data_;
  Acad::ErrorStatus es = fileProxyIn(read, filer);
  if (es != Acad::eOk) return es;
  AcDbDatabase* db = filer->database() ? filer->database() : database();
  AcDbMemDwgFiler entityFields(read.bytes, AcDb::kFileFiler, db);
  es = AcDbEntity::dwgInFields(&entityFields);
  if (es != Acad::eOk) return es;
  data_ = std::move(read);
  return Acad::eOk;
}
