// The pipe's class registration, its setters, the label gap and the fitting extent,
// and its listing.
#include "pipe/PlumbPipe.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "arx/resbuf.h"

namespace {

AcRxClass* gPipeClass = nullptr;

// The host asks this for a pipe it reads from a file: a pipe with every default.
AcRxObject* makeDefaultPipe() { return new PlumbPipe(); }

// The value the label box is rotated by to get its sides, as the pipe has always
// computed it (slightly short of a true right angle; drawings depend on it).
constexpr double kRightAngle = 3.14159265 * 0.5;

struct Vec2 {
  double x, y;
};

// Where the line through the origin along dir meets the segment p0-p1: the distance
// from the origin, or a negative value when it does not meet it.
double hitDistance(Vec2 dir, Vec2 p0, Vec2 p1) {
  const Vec2 edge{p1.x - p0.x, p1.y - p0.y};
  const double denom = dir.x * edge.y - dir.y * edge.x;
  if (std::fabs(denom) < 1e-12) return -1.0;
  // origin + t * dir = p0 + s * edge
  const double t = (p0.x * edge.y - p0.y * edge.x) / denom;
  const double s = (p0.x * dir.y - p0.y * dir.x) / denom;
  if (s < -1e-10 || s > 1.0 + 1e-10) return -1.0;
  return std::fabs(t);
}

// Two decimals with the zeros of the fraction dropped: 12.50 is "12.5", 3.00 is "3".
std::wstring elevationText(double z) {
  wchar_t buf[64];
  std::swprintf(buf, sizeof buf / sizeof buf[0], L"%.2f", z);
  std::wstring text = buf;
  if (text.find(L'.') != std::wstring::npos) {
    while (!text.empty() && text.back() == L'0') text.pop_back();
    if (!text.empty() && text.back() == L'.') text.pop_back();
  }
  if (text == L"-0") text = L"0";
  return text;
}

}  // namespace

AcRxClass* PlumbPipe::desc() { return gPipeClass; }
AcRxClass* PlumbPipe::isA() const { return PlumbPipe::desc(); }

void PlumbPipe::rxInit() {
  const AcRxObject* known = acrxClassDictionary()->at(L"PlumbPipe");
  if (known != nullptr) {
    // Loading the module again finds its own descriptor; any other one under this
    // name would make every pipe of the drawing something else.
    if (known != gPipeClass) acrx_abort(L"Class mismatch");
    return;
  }
  gPipeClass = newAcRxClass(L"PlumbPipe", L"AcDbCurve", 1, 1, 1, makeDefaultPipe, L"OVPLUMBPIPE",
                            L"Plumbing Pipe|Orvane Software, Inc|https://www.orvane.example");
}

void PlumbPipe::rxUninit() {
  if (gPipeClass == nullptr) return;
  deleteAcRxClass(gPipeClass);
  gPipeClass = nullptr;
}

PlumbPipe::PlumbPipe() = default;
PlumbPipe::~PlumbPipe() = default;

void PlumbPipe::setStartPoint(const AcGePoint3d& point, bool wholePoint) {
  assertWriteEnabled();
  ptStart = AcGePoint3d(point.x, point.y, wholePoint ? point.z : ptStart.z);
  recordGraphicsModified();
}

void PlumbPipe::setEndPoint(const AcGePoint3d& point, bool wholePoint) {
  assertWriteEnabled();
  ptEnd = AcGePoint3d(point.x, point.y, wholePoint ? point.z : ptEnd.z);
  recordGraphicsModified();
}

void PlumbPipe::setPipeId(Adesk::Int32 id) {
  assertWriteEnabled();
  ixPipe = id;
  recordGraphicsModified();
}

Adesk::Int32 PlumbPipe::pipeId() const {
  assertReadEnabled();
  return ixPipe;
}

void PlumbPipe::setBreakWidth(double width) {
  assertWriteEnabled();
  dBreakWidth = width;
}

void PlumbPipe::setVerticalRadius(double radius) {
  assertWriteEnabled();
  dVerticalRadius = radius;
}

void PlumbPipe::setTextStyle(AcDbObjectId styleId) {
  assertWriteEnabled();
  idTextStyle = styleId;
  mtLabel.setTextStyle(styleId);
}

double PlumbPipe::labelGap() const {
  assertReadEnabled();
  if (strText.empty()) return 0.0;
  const double r = mtLabel.rotation();
  const double w = mtLabel.actualWidth();
  const double h = mtLabel.actualHeight();
  const double along = (w + h) / 2.0;  // the text grown by H/2 at each end
  const double across = h;             // and by H above and below its centre line
  const Vec2 u{std::cos(r) * along, std::sin(r) * along};
  const Vec2 v{std::cos(r + kRightAngle) * across, std::sin(r + kRightAngle) * across};
  const Vec2 topLeft{-u.x + v.x, -u.y + v.y}, topRight{u.x + v.x, u.y + v.y};
  const Vec2 bottomLeft{-u.x - v.x, -u.y - v.y}, bottomRight{u.x - v.x, u.y - v.y};
  const double a = std::atan2(ptEnd.y - ptStart.y, ptEnd.x - ptStart.x);
  const Vec2 dir{std::cos(a), std::sin(a)};
  // The top edge first, then the others: the first edge the line meets decides.
  const Vec2 edges[4][2] = {{topLeft, topRight}, {bottomLeft, bottomRight}, {bottomLeft, topLeft},
                            {bottomRight, topRight}};
  for (const auto& edge : edges) {
    const double d = hitDistance(dir, edge[0], edge[1]);
    if (d >= 0.0) return d;
  }
  return h;
}

double PlumbPipe::elbowLength() const {
  assertReadEnabled();
  double longestSweep = 0.0;
  for (const arcInfo& arc : aArcs)
    if (arc.dLength > longestSweep) longestSweep = arc.dLength;
  double extent = longestSweep * dArcRadius;
  for (const elbowInfo& elbow : aElbows)
    if (elbow.dLength > extent) extent = elbow.dLength;
  return extent;
}

Acad::ErrorStatus PlumbPipe::audit(AcDbAuditInfo*) { return Acad::eOk; }

void PlumbPipe::subList() const {
  assertReadEnabled();
  AcDbCurve::subList();
  acutPrintf(L"                   Pipe ID = %d\n", static_cast<int>(ixPipe));
  acutPrintf(L"                   Starting elevation = %s\n", elevationText(ptStart.z).c_str());
  acutPrintf(L"                   Ending elevation = %s\n", elevationText(ptEnd.z).c_str());
}
