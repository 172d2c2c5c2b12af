// The host's multiline text: its contents broken into lines ("\P" and, with a width,
// word wrap), laid out with the fixed font metric of AcDbMText, drawn one line at a
// time, transformed, and filed.
#include <algorithm>

#include "arx/curve_geometry.h"
#include "arx/db_database.h"
#include "arx/entity_support.h"

ACRX_DEFINE_HOST_MEMBERS(AcDbMText)

namespace {

constexpr double kDegrees = 180.0 / M_PI;
constexpr size_t kDxfChunk = 250;

// The paragraphs of the contents: "\P" ends one, "\\" is a backslash.
std::vector<std::wstring> paragraphs(const std::wstring& contents) {
  std::vector<std::wstring> out(1);
  for (size_t i = 0; i < contents.size(); ++i) {
    wchar_t c = contents[i];
    if (c == L'\\' && i + 1 < contents.size() && (contents[i + 1] == L'P' || contents[i + 1] == L'\\')) {
      if (contents[++i] == L'P')
        out.emplace_back();
      else
        out.back() += L'\\';
      continue;
    }
    out.back() += c;
  }
  return out;
}

// Greedy word wrap: words are added to a line while it fits; a word longer than the
// width keeps a line of its own.
void wrapInto(const std::wstring& paragraph, double charWidth, double width, std::vector<std::wstring>& lines) {
  std::wstring line;
  size_t pos = 0;
  for (;;) {
    size_t space = paragraph.find(L' ', pos);
    std::wstring word = paragraph.substr(pos, space == std::wstring::npos ? std::wstring::npos : space - pos);
    std::wstring candidate = line.empty() ? word : line + L' ' + word;
    if (!line.empty() && static_cast<double>(candidate.size()) * charWidth > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
    if (space == std::wstring::npos) break;
    pos = space + 1;
  }
  lines.push_back(line);
}

struct LaidLine {
  std::wstring text;
  AcGePoint3d start;  // where the baseline starts
  double width;
};

// Where each line goes: the box of the text (actual width by actual height) sits at
// the location by its attachment point; the first baseline is one text height below
// the box's top and the next ones follow at the line spacing; lines are aligned
// left, centred or right in the box as the attachment says.
std::vector<LaidLine> layOut(const AcDbMText& mt) {
  double h = mt.textHeight(), w = mt.actualWidth(), boxHeight = mt.actualHeight();
  int col = (mt.attachment() - 1) % 3, row = (mt.attachment() - 1) / 3;
  double left = col == 0 ? 0 : (col == 1 ? -w / 2 : -w);
  double top = row == 0 ? 0 : (row == 1 ? boxHeight / 2 : boxHeight);
  AcGeVector3d dir = mt.direction(), up = mt.normal().crossProduct(dir);
  std::vector<LaidLine> out;
  const std::vector<std::wstring>& lines = mt.lines();
  for (size_t i = 0; i < lines.size(); ++i) {
    double lw = static_cast<double>(lines[i].size()) * AcDbMText::kCharWidthFactor * h;
    double x = left + (col == 0 ? 0 : (col == 1 ? (w - lw) / 2 : w - lw));
    double y = top - h - static_cast<double>(i) * AcDbMText::kLineSpacingFactor * h;
    out.push_back({lines[i], mt.location() + dir * x + up * y, lw});
  }
  return out;
}

std::wstring styleName(const AcDbObjectId& id) {
  const AcDbSymbolTableRecord* rec = id.stub() ? AcDbSymbolTableRecord::cast(id.stub()->object) : nullptr;
  return rec ? rec->name() : L"Standard";
}

AcDbObjectId styleNamed(AcDbDatabase* db, const ACHAR* name) {
  AcDbObjectId id;
  AcDbTextStyleTable* table = nullptr;
  if (db == nullptr || name == nullptr || db->getTextStyleTable(table, AcDb::kForRead) != Acad::eOk) return id;
  table->getAt(name, id);
  table->close();
  return id;
}

bool readsLeftToRight(const HostOcs& ocs, const AcGeVector3d& dir) {
  double a = ocs.angleOf(dir);
  return a > -M_PI / 2 + 1e-12 && a <= M_PI / 2 + 1e-12;
}

}  // namespace

Acad::ErrorStatus AcDbMText::setLocation(const AcGePoint3d& p) { return hostSetField(this, location_, p); }
Acad::ErrorStatus AcDbMText::setNormal(const AcGeVector3d& n) {
  return hostSetField(this, normal_, n.normal(), !n.isZeroLength());
}
Acad::ErrorStatus AcDbMText::setRotation(double angle) { return hostSetField(this, rotation_, angle); }
Acad::ErrorStatus AcDbMText::setTextHeight(double h) { return hostSetField(this, height_, h, h > 0); }
Acad::ErrorStatus AcDbMText::setWidth(double w) { return hostSetField(this, width_, w, w >= 0); }
Acad::ErrorStatus AcDbMText::setAttachment(AttachmentPoint a) {
  return hostSetField(this, attachment_, a, a >= kTopLeft && a <= kBottomRight);
}
Acad::ErrorStatus AcDbMText::setTextStyle(AcDbObjectId styleId) { return hostSetField(this, style_, styleId); }

AcGeVector3d AcDbMText::direction() const { return HostOcs(normal_).direction(rotation_); }

ACHAR* AcDbMText::contents() const {
  assertReadEnabled();
  return acutNewString(contents_.c_str());
}

int AcDbMText::setContents(const ACHAR* text) {
  assertWriteEnabled();
  contents_ = text ? text : L"";
  recordGraphicsModified();
  return static_cast<int>(contents_.size());
}

const std::vector<std::wstring>& AcDbMText::lines() const {
  assertReadEnabled();
  if (layout_.width == width_ && layout_.height == height_ && layout_.contents == contents_) return layout_.lines;
  std::vector<std::wstring> out;
  const double charWidth = kCharWidthFactor * height_;
  if (!contents_.empty()) {
    for (const std::wstring& p : paragraphs(contents_)) {
      if (width_ > 0)
        wrapInto(p, charWidth, width_, out);
      else
        out.push_back(p);
    }
  }
  layout_ = Layout{contents_, width_, height_, std::move(out)};
  return layout_.lines;
}

double AcDbMText::actualWidth() const {
  size_t longest = 0;
  for (const std::wstring& l : lines()) longest = std::max(longest, l.size());
  return static_cast<double>(longest) * kCharWidthFactor * height_;
}

double AcDbMText::actualHeight() const {
  size_t n = lines().size();
  return n == 0 ? 0.0 : height_ + static_cast<double>(n - 1) * kLineSpacingFactor * height_;
}

bool AcDbMText::subWorldDraw(AcGiWorldDraw* wd) {
  AcGeVector3d dir = direction();
  for (const LaidLine& line : layOut(*this))
    if (!line.text.empty()) wd->geometry().text(line.start, normal_, dir, height_, 1.0, 0.0, line.text.c_str());
  return true;
}

Acad::ErrorStatus AcDbMText::subTransformBy(const AcGeMatrix3d& xform) {
  if (!isWriteEnabled()) return Acad::eWasNotOpenForWrite;
  AcGeVector3d dir = direction(), up = normal_.crossProduct(dir), n = normal_;
  AcGePoint3d loc = location_;
  loc.transformBy(xform);
  dir.transformBy(xform);
  up.transformBy(xform);
  n.transformBy(xform);
  if (!hostIsFinite(loc) || !hostIsFinite(n) || dir.isZeroLength() || up.isZeroLength() || n.isZeroLength() ||
      !hostIsFinite(dir) || !hostIsFinite(up))
    return Acad::eInvalidInput;
  HostOcs ocs(n);
  AcGeVector3d newDir = dir.normal();
  // A mirror would make the text read backwards or upside down; as on the host, it is
  // kept readable: either its direction or its up side is kept, whichever reads left
  // to right.
  if (dir.crossProduct(up).dotProduct(n) < 0 && !readsLeftToRight(ocs, newDir))
    newDir = up.crossProduct(ocs.z).normal();
  location_ = loc;
  normal_ = ocs.z;
  rotation_ = ocs.angleOf(newDir);
  height_ *= up.length();
  width_ *= dir.length();
  recordGraphicsModified();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::subGetGeomExtents(AcDbExtents& extents) const {
  assertReadEnabled();
  std::vector<LaidLine> laid = layOut(*this);
  if (laid.empty()) {
    extents.addPoint(location_);
    return Acad::eOk;
  }
  AcGeVector3d dir = direction(), up = normal_.crossProduct(dir);
  for (const LaidLine& line : laid)
    for (double x : {0.0, line.width})
      for (double y : {0.0, height_}) extents.addPoint(line.start + dir * x + up * y);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::subExplode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

Acad::ErrorStatus AcDbMText::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d&,
                                               const AcGePoint3d&, const AcGeMatrix3d&, AcGePoint3dArray& snapPoints,
                                               AcDbIntArray&) const {
  assertReadEnabled();
  if (mode != AcDb::kOsModeIns) return Acad::eInvalidInput;
  snapPoints.append(location_);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbEntity::dwgOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeInt32(kHostEntityVersion) << filer->writePoint3d(location_) << filer->writeVector3d(normal_)
     << filer->writeDouble(rotation_) << filer->writeDouble(height_) << filer->writeDouble(width_)
     << filer->writeInt32(attachment_) << filer->writeHardPointerId(style_) << filer->writeString(contents_);
  return es.status();
}

Acad::ErrorStatus AcDbMText::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  HostFilerStatus es;
  es << AcDbEntity::dwgInFields(filer);
  if (es.ok()) es << hostReadEntityVersion(filer);
  if (!es.ok()) return es.status();
  AcGePoint3d loc;
  AcGeVector3d n;
  double rot = 0, h = 0, w = 0;
  Adesk::Int32 att = 0;
  AcDbHardPointerId style;
  std::wstring text;
  es << filer->readPoint3d(&loc) << filer->readVector3d(&n) << filer->readDouble(&rot) << filer->readDouble(&h)
     << filer->readDouble(&w) << filer->readInt32(&att);
  if (!es.ok()) return es.status();
  // A style missing from the file leaves the text in the standard style.
  Acad::ErrorStatus styleStatus = filer->readHardPointerId(&style);
  if (styleStatus != Acad::eOk && styleStatus != Acad::eUnknownHandle) return styleStatus;
  es << filer->readString(text);
  if (!es.ok()) return es.status();
  if (n.isZeroLength() || !(h > 0) || !(w >= 0) || att < kTopLeft || att > kBottomRight) return Acad::eInvalidInput;
  location_ = loc;
  normal_ = n.normal();
  rotation_ = rot;
  height_ = h;
  width_ = w;
  attachment_ = static_cast<AttachmentPoint>(att);
  style_ = style;
  contents_ = std::move(text);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbMText::dxfOutFields(AcDbDxfFiler* filer) const {
  assertReadEnabled();
  HostFilerStatus es;
  es << AcDbEntity::dxfOutFields(filer);
  if (!es.ok()) return es.status();
  es << filer->writeString(AcDb::kDxfSubclass, L"AcDbMText") << filer->writePoint3d(AcDb::kDxfXCoord, location_)
     << filer->writeDouble(AcDb::kDxfTxtSize, height_) << filer->writeDouble(static_cast<AcDb::DxfCode>(41), width_)
     << filer->writeInt16(static_cast<AcDb::DxfCode>(71), static_cast<Adesk::Int16>(attachment_));
  // Long contents go in 250-character pieces: all but the last under group 3.
  size_t pos = 0;
  for (; contents_.size() - pos > kDxfChunk; pos += kDxfChunk)
    es << filer->writeString(AcDb::kDxfDescription, contents_.substr(pos, kDxfChunk));
  es << filer->writeString(AcDb::kDxfText, contents_.substr(pos));
  es << filer->writeString(AcDb::kDxfTextStyleName, styleName(style_));
  if (!normal_.isEqualTo(AcGeVector3d::kZAxis)) es << filer->writeVector3d(AcDb::kDxfNormalX, normal_);
  es << filer->writeDouble(AcDb::kDxfAngle, rotation_ * kDegrees);
  return es.status();
}

Acad::ErrorStatus AcDbMText::dxfInFields(AcDbDxfFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
  if (es != Acad::eOk) return es;
  if (!filer->atSubclassData(L"AcDbMText")) return Acad::eBadDxfSequence;
  AcDbDatabase* db = database() ? database() : filer->database();
  AcGePoint3d loc = location_;
  AcGeVector3d n = normal_, xDir;
  double h = height_, w = width_, rotDegrees = rotation_ * kDegrees;
  int att = attachment_;
  std::wstring leading, last;
  bool anyText = false;
  AcDbObjectId style = style_;
  es = hostReadDxfGroups(filer, false, [&](const resbuf& rb) {
    switch (rb.restype) {
      case 10: loc = hostRbPoint(rb); break;
      case 11: xDir = hostRbVector(rb); break;
      case 40: h = rb.resval.rreal; break;
      case 41: w = rb.resval.rreal; break;
      case 50: rotDegrees = rb.resval.rreal; break;
      case 71: att = rb.resval.rint; break;
      case 1:
        last = rb.resval.rstring ? rb.resval.rstring : L"";
        anyText = true;
        break;
      case 3:
        leading += rb.resval.rstring ? rb.resval.rstring : L"";
        anyText = true;
        break;
      case 7: {
        AcDbObjectId id = styleNamed(db, rb.resval.rstring);
        if (!id.isNull()) style = id;
        break;
      }
      case 210: n = hostRbVector(rb); break;
      default: break;
    }
  });
  if (es != Acad::eOk) return es;
  if (n.isZeroLength() || !(h > 0) || !(w >= 0) || att < kTopLeft || att > kBottomRight || !hostIsFinite(loc) ||
      !std::isfinite(rotDegrees))
    return Acad::eInvalidInput;
  HostOcs ocs(n);
  location_ = loc;
  normal_ = ocs.z;
  // A direction vector, when given, says the rotation instead of the angle.
  rotation_ = xDir.isZeroLength() ? rotDegrees / kDegrees : ocs.angleOf(xDir);
  height_ = h;
  width_ = w;
  attachment_ = static_cast<AttachmentPoint>(att);
  style_ = style;
  if (anyText) contents_ = leading + last;
  return Acad::eOk;
}

void AcDbMText::subList() const {
  AcDbEntity::subList();
  acutPrintf(L"                Location: X=%10.4f  Y=%10.4f  Z=%10.4f\n", location_.x, location_.y, location_.z);
  acutPrintf(L"                   Width: %10.4f\n", width_);
  acutPrintf(L"         Text height: %10.4f\n", height_);
  acutPrintf(L"            Rotation: %8.4f\n", rotation_ * kDegrees);
  acutPrintf(L"          Text style: \"%ls\"\n", styleName(style_).c_str());
  acutPrintf(L"            Contents: %ls\n", contents_.c_str());
}
