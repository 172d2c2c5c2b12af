// SVG plan of recorded primitives: y is flipped (SVG runs down), every number is
// written with a fixed format so that the same drawing always gives the same bytes.
#include "arx/svg_render.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <optional>

#include "arx/aced_print.h"
#include "arx/db_entities.h"
#include "arx/plan_style.h"

extern char** environ;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Six decimals, trailing zeros dropped, never "-0": stable across runs and readable.
std::string num(double v) {
  if (!std::isfinite(v)) v = 0.0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.6f", v);
  std::string s = buf;
  s.erase(s.find_last_not_of('0') + 1);
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

// Text for element content and attribute values. Characters XML 1.0 cannot carry
// (control characters other than tab and newline) are dropped.
std::string xmlText(const std::wstring& text) {
  std::wstring clean;
  for (wchar_t c : text)
    if (c >= 0x20 || c == L'\t' || c == L'\n') clean.push_back(c);
  std::string utf8 = acutWideToUtf8(clean), out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string hex(const PlanRgb& c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r & 0xff, c.g & 0xff, c.b & 0xff);
  return buf;
}

// An SVG dash array alternates dash and gap starting with a dash, so runs of the
// same sign are merged, a leading gap gets a zero dash before it, and an odd count
// gets a zero gap after it (SVG would otherwise repeat the list with roles swapped).
// A dot becomes a dash as long as the line is wide.
std::string dashArray(const std::vector<double>& pattern, double scale, double dotLength) {
  std::vector<double> runs;
  bool lastIsDash = false;
  double total = 0;
  for (double d : pattern) {
    if (!std::isfinite(d)) return "";
    bool dash = d >= 0;
    double len = dash ? (d == 0 ? dotLength : d * scale) : -d * scale;
    total += len;
    if (runs.empty() && !dash) runs.push_back(0.0);
    else if (!runs.empty() && dash == lastIsDash) {
      runs.back() += len;
      continue;
    }
    runs.push_back(len);
    lastIsDash = dash;
  }
  if (runs.empty() || total <= 0) return "";
  if (runs.size() % 2 == 1) runs.push_back(0.0);
  std::string out;
  for (double r : runs) {
    if (!out.empty()) out += ',';
    out += num(r);  // appended apart: GCC 12 warns falsely on "," + num(r) (-Wrestrict)
  }
  return out;
}

// Plan coordinates as written: x as is, y flipped.
std::string xy(double x, double y) { return num(x) + " " + num(-y); }

// Writes path commands, remembering where the pen is so that joined pieces stay one
// stroke.
class PathBuilder {
 public:
  explicit PathBuilder(double tolerance) : tol_(tolerance) {}

  void moveOrLine(double x, double y) {
    if (!pen_) d_ += "M" + xy(x, y);
    else if (std::hypot(x - pen_->first, y - pen_->second) > tol_) d_ += " L" + xy(x, y);
    pen_ = {x, y};
  }
  void lineTo(double x, double y) {
    d_ += " L" + xy(x, y);
    pen_ = {x, y};
  }
  // SVG cannot draw a full turn in one command, so sweeps are written in halves
  // whenever they exceed half a turn.
  void arc(const PlanArc& a) {
    moveOrLine(a.cx + a.r * std::cos(a.a0), a.cy + a.r * std::sin(a.a0));
    int pieces = std::fabs(a.sweep) > kPi ? 2 : 1;
    for (int i = 1; i <= pieces; ++i) {
      double t = a.a0 + a.sweep * i / pieces;
      double x = a.cx + a.r * std::cos(t), y = a.cy + a.r * std::sin(t);
      // y is flipped, so counter-clockwise in plan turns against SVG's positive
      // (clockwise on screen) sweep: its sweep flag is 0.
      d_ += " A" + num(a.r) + " " + num(a.r) + " 0 0 " + (a.sweep > 0 ? "0 " : "1 ") + xy(x, y);
      pen_ = {x, y};
    }
  }
  const std::string& data() const { return d_; }

 private:
  double tol_;
  std::string d_;
  std::optional<std::pair<double, double>> pen_;
};

std::string strokeAttrs(const PlanItem& item, double dashScale, double strokeWidth) {
  std::string a = " stroke=\"" + hex(item.color) + "\"";
  std::string dash = dashArray(*item.dashes, dashScale, strokeWidth);
  if (!dash.empty()) a += " stroke-dasharray=\"" + dash + "\"";
  return a;
}

std::string textElement(const GiPrimitive& p, const PlanRgb& color) {
  static const char* anchors[3] = {"start", "middle", "end"};
  PlanTextBox box = planTextBox(p);
  int col = (std::clamp(p.attachment, 1, 9) - 1) % 3;
  std::string e = "<text xml:space=\"preserve\" transform=\"translate(" + xy(p.location.x, p.location.y) + ")";
  if (p.rotation != 0) e += " rotate(" + num(-p.rotation * 180.0 / kPi) + ")";
  if (planWidthFactor(p) != 1.0) e += " scale(" + num(planWidthFactor(p)) + " 1)";
  e += "\" font-family=\"monospace\" font-size=\"" + num(p.height) + "\" text-anchor=\"" + anchors[col] +
       "\" fill=\"" + hex(color) + "\" stroke=\"none\">";
  // Baselines in SVG's downward y: the first lies one text height below the box's
  // top, the others follow at the line spacing.
  double spacing = AcDbMText::kLineSpacingFactor * p.height;
  for (size_t i = 0; i < p.lines.size(); ++i)
    e += "<tspan x=\"0\" y=\"" + num(-box.top + p.height + i * spacing) + "\">" + xmlText(p.lines[i]) + "</tspan>";
  return e + "</text>";
}

std::string element(const PlanItem& item, double dashScale, double strokeWidth, double tolerance) {
  const GiPrimitive& p = *item.prim;
  std::string stroke = strokeAttrs(item, dashScale, strokeWidth);
  switch (p.kind) {
    case GiPrimitiveKind::Polyline: {
      if (p.points.size() == 2)
        return "<line x1=\"" + num(p.points[0].x) + "\" y1=\"" + num(-p.points[0].y) + "\" x2=\"" +
               num(p.points[1].x) + "\" y2=\"" + num(-p.points[1].y) + "\"" + stroke + "/>";
      std::string pts;
      for (const AcGePoint3d& pt : p.points) pts += (pts.empty() ? "" : " ") + num(pt.x) + "," + num(-pt.y);
      return "<polyline points=\"" + pts + "\"" + stroke + "/>";
    }
    case GiPrimitiveKind::Circle:
      return "<circle cx=\"" + num(p.center.x) + "\" cy=\"" + num(-p.center.y) + "\" r=\"" + num(p.radius) + "\"" +
             stroke + "/>";
    case GiPrimitiveKind::Arc: {
      PathBuilder path(tolerance);
      path.arc(planArc(p));
      return "<path d=\"" + path.data() + "\"" + stroke + "/>";
    }
    case GiPrimitiveKind::FitCurve: {
      PathBuilder path(tolerance);
      for (const GiPrimitive& piece : item.pieces) {
        if (piece.kind == GiPrimitiveKind::Arc) {
          path.arc(planArc(piece));
          continue;
        }
        path.moveOrLine(piece.points[0].x, piece.points[0].y);
        for (size_t i = 1; i < piece.points.size(); ++i) path.lineTo(piece.points[i].x, piece.points[i].y);
      }
      return "<path d=\"" + path.data() + "\"" + stroke + "/>";
    }
    case GiPrimitiveKind::Text:
      return textElement(p, item.color);
  }
  return "";
}

}  // namespace

std::string renderSvg(AcDbDatabase* db, std::span<const GiPrimitive> primitives, const SvgOptions& options) {
  PlanScene scene(db, primitives);
  const std::vector<PlanItem>& items = scene.items();
  PlanBounds bounds = scene.bounds();
  if (bounds.empty) bounds = {0, 0, 100, 100, false};
  double size = std::max(bounds.maxX - bounds.minX, bounds.maxY - bounds.minY);
  if (!(size > 0)) size = 1.0;
  double margin = size * std::clamp(options.marginFraction, 0.0, 1.0);
  if (!(margin > 0)) margin = size * 1e-3;
  double vbX = bounds.minX - margin, vbY = -bounds.maxY - margin;
  double vbW = bounds.maxX - bounds.minX + 2 * margin, vbH = bounds.maxY - bounds.minY + 2 * margin;
  int widthPx = options.widthPx > 0 ? options.widthPx : 1000;
  long heightPx = std::max(1L, std::lround(widthPx * vbH / vbW));
  double strokeWidth = size * 0.0015;
  double dashScale = options.dashScale > 0 && std::isfinite(options.dashScale) ? options.dashScale : size / 50.0;

  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + std::to_string(widthPx) +
         "\" height=\"" + std::to_string(heightPx) + "\" viewBox=\"" + num(vbX) + " " + num(vbY) + " " + num(vbW) +
         " " + num(vbH) + "\">\n";
  svg += "<rect x=\"" + num(vbX) + "\" y=\"" + num(vbY) + "\" width=\"" + num(vbW) + "\" height=\"" + num(vbH) +
         "\" fill=\"#ffffff\"/>\n";
  svg += "<g fill=\"none\" stroke-width=\"" + num(strokeWidth) + "\" stroke-linejoin=\"round\">\n";
  for (const PlanItem& item : items) svg += element(item, dashScale, strokeWidth, size * 1e-7) + "\n";
  svg += "</g>\n</svg>\n";
  return svg;
}

Acad::ErrorStatus renderModelSpaceSvg(AcDbDatabase* db, std::string& svg, const SvgOptions& options) {
  AcGiRecordingWorldDraw rec;
  Acad::ErrorStatus es = recordModelSpace(db, rec);
  if (es != Acad::eOk) return es;
  svg = renderSvg(db, rec.primitives(), options);
  return Acad::eOk;
}

Acad::ErrorStatus writeModelSpaceSvg(AcDbDatabase* db, const std::wstring& path, const SvgOptions& options) {
  std::string svg;
  Acad::ErrorStatus es = renderModelSpaceSvg(db, svg, options);
  if (es != Acad::eOk) return es;
  std::ofstream out(acutWideToUtf8(path), std::ios::binary | std::ios::trunc);
  if (!out) return Acad::eFileAccessErr;
  out.write(svg.data(), static_cast<std::streamsize>(svg.size()));
  return out.good() ? Acad::eOk : Acad::eFileAccessErr;
}

namespace {

std::string findOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string full = (dir.empty() ? "." : dir) + "/" + program;
    if (access(full.c_str(), X_OK) == 0) return full;
    start = end + 1;
  }
  return "";
}

}  // namespace

bool rsvgConvertAvailable() { return !findOnPath("rsvg-convert").empty(); }

bool svgToPng(const std::wstring& svgPath, const std::wstring& pngPath, int widthPx, std::wstring& message) {
  message.clear();
  std::string program = findOnPath("rsvg-convert");
  if (program.empty()) {
    message = L"rsvg-convert is not installed (Debian package librsvg2-bin); no PNG written";
    return false;
  }
  if (widthPx <= 0) {
    message = L"the PNG width must be positive";
    return false;
  }
  std::string width = std::to_string(widthPx), svg = acutWideToUtf8(svgPath), png = acutWideToUtf8(pngPath);
  std::vector<std::string> args = {program, "-w", width, "-b", "white", "-f", "png", "-o", png, svg};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  // rsvg-convert's complaints become the message: its standard error goes to a pipe.
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    message = L"cannot run rsvg-convert: no pipe";
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
  posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 0, 0);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string errors;
  char buf[512];
  ssize_t n;
  while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) errors.append(buf, static_cast<size_t>(n));
  close(pipeFds[0]);
  if (spawned != 0) {
    message = L"cannot run rsvg-convert";
    return false;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) errors.pop_back();
    message = L"rsvg-convert failed" + (errors.empty() ? std::wstring() : L": " + acutUtf8ToWide(errors));
    return false;
  }
  return true;
}
