// Writes the seed corpus of the fuzz targets: small valid drawings and damaged copies
// of them. Run by hand when a file format changes:
//   build/fuzz/bin/make_fuzz_corpus tests/fuzz/corpus
// Names say what the replay test expects: "valid-" files load, "broken-" files are
// refused with a message.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "arx/aced_print.h"
#include "arx/db_entities.h"
#include "arx/hdw_format.h"
#include "../module/test_arrow_layouts.h"
#include "../module/test_pipe_filing_layouts.h"
#include "sample_drawing.h"

namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

// A plug-in entity the fuzz targets do not register, so that they read it as a proxy.
class CorpusGadget : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(CorpusGadget)
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es == Acad::eOk) es = filer->writeInt32(7);
    if (es == Acad::eOk) es = filer->writeString(L"gadget");
    return es;
  }
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    Adesk::Int32 n = 0;
    std::wstring s;
    if (es == Acad::eOk) es = filer->readInt32(&n);
    if (es == Acad::eOk) es = filer->readString(s);
    return es;
  }
};
AcRxClass* CorpusGadget::desc() { return acrxFindClass(L"CorpusGadget"); }
AcRxClass* CorpusGadget::isA() const { return CorpusGadget::desc(); }
AcRxObject* makeGadget() { return new CorpusGadget(); }

// The plumbing module's pipe as each of its releases filed it, under the pipe's own
// class and DXF names, so that the corpus holds pipes of every layout (the fuzz
// targets, without the module, keep them as proxies).
class CorpusPipe : public AcDbCurve {
 public:
  ACRX_DECLARE_MEMBERS(CorpusPipe)
  int version = 13;
  AcDbMText label;
  PipeLayout layout;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    return es == Acad::eOk ? writePipeLayout(filer, version, layout) : es;
  }
};
AcRxClass* CorpusPipe::desc() { return acrxFindClass(L"PlumbPipe"); }
AcRxClass* CorpusPipe::isA() const { return CorpusPipe::desc(); }
AcRxObject* makeCorpusPipe() { return new CorpusPipe(); }

// A pipe of the version with breaks, fittings, a label and references to records of
// the sample drawing.
CorpusPipe* corpusPipe(int version, const SampleDrawing& s) {
  auto* pipe = new CorpusPipe();
  pipe->version = version;
  pipe->setLayer(s.pipesLayer);
  pipe->label.setContents(L"3\" CW");
  pipe->label.setTextStyle(s.notesStyle);
  PipeLayout& v = pipe->layout;
  v.start = {10.0 * version, 0, 10};
  v.end = {10.0 * version + 50, 20, 8};
  v.ixPipe = version;
  v.dwg = L"corpus";
  LayoutElbow elbow;
  elbow.length = 3;
  elbow.angle = 0.785;
  elbow.breaks[0] = 1.5;
  v.elbows = {elbow};
  v.arcRadius = 1.5;
  LayoutArc arc;
  arc.length = 1.2;
  arc.offset = 4;
  arc.normal = -1;
  v.arcs = {arc};
  v.tickOffsetHead = 2;
  v.tickOffsetTail = 3;
  v.tickWidth = 1;
  v.verticalAngles = {0.5, 2.5};
  v.breaks = {12.5, 30};
  v.text = L"3\" CW";
  v.label = &pipe->label;
  v.textStyle = s.notesStyle;
  v.textLayer = s.lockedLayer;
  v.ptrap = true;
  v.ptrapWidth = 4;
  v.ptrapLine1 = {0.5};
  v.ptrapPolyline = {1, 2};
  v.ptrapLine2 = {0.25};
  v.hiddenLayer = s.pipesLayer;
  return pipe;
}

// The plumbing module's flow arrow as each of its releases filed it, under the arrow's
// own class and DXF names (the fuzz targets, without the module, keep them as proxies).
class CorpusArrow : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(CorpusArrow)
  int version = 3;
  ArrowLayout layout;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    return es == Acad::eOk ? writeArrowLayout(filer, version, layout) : es;
  }
};
AcRxClass* CorpusArrow::desc() { return acrxFindClass(L"PlumbPipeArrow"); }
AcRxClass* CorpusArrow::isA() const { return CorpusArrow::desc(); }
AcRxObject* makeCorpusArrow() { return new CorpusArrow(); }

// An arrow of the version whose values tell the versions apart: its key is the version
// and it starts at x = 100 times the version.
CorpusArrow* corpusArrow(int version, const SampleDrawing& s) {
  auto* arrow = new CorpusArrow();
  arrow->version = version;
  arrow->setLayer(s.pipesLayer);
  ArrowLayout& v = arrow->layout;
  v.start = {100.0 * version, 0, 10};
  v.end = {100.0 * version + 60, 80, 20};
  v.arrowLength = 9;
  v.tailOffset = 1.5;
  v.headOffset = 2.5;
  v.ixPipe = version;
  v.hangers = {48, -24, 100};
  v.reversed = true;
  return arrow;
}

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
  std::printf("  %s (%zu bytes)\n", path.string().c_str(), bytes.size());
}

void writeText(const fs::path& path, const std::string& text) { writeFile(path, Bytes(text.begin(), text.end())); }

Bytes truncated(Bytes b, size_t keep) {
  b.resize(keep < b.size() ? keep : b.size());
  return b;
}

Bytes flipped(Bytes b, size_t pos, int bit) {
  b.at(pos) ^= static_cast<unsigned char>(1u << bit);
  return b;
}

// A damaged container whose checksum is made right again, so that the damage is found
// by the checks behind the checksum.
template <typename Damage>
Bytes damagedBehindCrc(const Bytes& good, Damage damage) {
  HdwContainer c;
  std::wstring error;
  if (hdwParse(good.data(), good.size(), c, error) != Acad::eOk)
    throw std::runtime_error("the sample drawing does not parse: " + acutWideToUtf8(error));
  damage(c);
  return hdwSerialize(c);
}

void save(AcDbDatabase& db, const fs::path& path) {
  if (db.saveAs(acutUtf8ToWide(path.string()).c_str()) != Acad::eOk)
    throw std::runtime_error("cannot save " + path.string() + ": " + acutWideToUtf8(db.lastFileError()));
}

void makeHdwSeeds(const fs::path& dir) {
  fs::create_directories(dir);
  {
    AcDbDatabase db(true);
    save(db, dir / "valid-empty-drawing.hdw");
  }
  {
    AcDbDatabase db(true);
    buildSampleDrawing(db);
    save(db, dir / "valid-sample.hdw");
  }
  {
    AcRxClass* cls = newAcRxClass(L"CorpusGadget", L"AcDbEntity", 1, 1, 1, &makeGadget, L"OVCORPUSGADGET",
                                  L"Corpus gadget|fuzz seed");
    {
      AcDbDatabase db(true);
      SampleDrawing s = buildSampleDrawing(db);
      auto* gadget = new CorpusGadget();
      gadget->setLayer(s.lockedLayer);
      appendToModelSpace(db, gadget);
      save(db, dir / "valid-with-proxy.hdw");
    }
    deleteAcRxClass(cls);
  }

  {
    AcRxClass* cls = newAcRxClass(L"PlumbPipe", L"AcDbCurve", 1, 1, 1, &makeCorpusPipe, L"OVPLUMBPIPE",
                                  L"Plumbing Pipe|Orvane Software, Inc|https://www.orvane.example");
    {
      AcDbDatabase db(true);
      SampleDrawing s = buildSampleDrawing(db);
      // Every layout ever written, one no release wrote (5) and one of a later release (14).
      for (int version : {1, 2, 11, 12, 13, 5, 14}) appendToModelSpace(db, corpusPipe(version, s));
      save(db, dir / "valid-pipes-every-version.hdw");
    }
    deleteAcRxClass(cls);
  }

  {
    AcRxClass* cls = newAcRxClass(L"PlumbPipeArrow", L"AcDbEntity", 1, 1, 1, &makeCorpusArrow, L"OVPLUMBPIPEARROW",
                                  L"\"Plumbing Pipe Arrow|Orvane Software, Inc|https://www.orvane.example\"");
    {
      AcDbDatabase db(true);
      SampleDrawing s = buildSampleDrawing(db);
      // Every layout ever written, one no release wrote (0) and one of a later release (4).
      for (int version : {1, 2, 3, 0, 4}) appendToModelSpace(db, corpusArrow(version, s));
      save(db, dir / "valid-arrows-every-version.hdw");
    }
    deleteAcRxClass(cls);
  }

  const Bytes good = readFile(dir / "valid-sample.hdw");
  writeFile(dir / "broken-empty.hdw", {});
  writeFile(dir / "broken-magic-only.hdw", truncated(good, 5));
  writeFile(dir / "broken-truncated-header.hdw", truncated(good, 40));
  writeFile(dir / "broken-truncated-half.hdw", truncated(good, good.size() / 2));
  writeFile(dir / "broken-truncated-last-byte.hdw", truncated(good, good.size() - 1));
  writeFile(dir / "broken-bitflip-body.hdw", flipped(good, good.size() / 3, 2));
  writeFile(dir / "broken-bitflip-crc.hdw", flipped(good, good.size() - 2, 7));
  writeFile(dir / "broken-wrong-magic.hdw", flipped(good, 0, 0));
  Bytes newer = good;
  newer[5] = 99;
  hdwRepairCrc(newer);
  writeFile(dir / "broken-newer-version.hdw", newer);
  writeFile(dir / "broken-bad-class-index.hdw",
            damagedBehindCrc(good, [](HdwContainer& c) { c.objects.back().classIndex = 1000; }));
  writeFile(dir / "broken-duplicate-handle.hdw", damagedBehindCrc(good, [](HdwContainer& c) {
              c.objects.back().handle = c.objects.front().handle;
            }));
  writeFile(dir / "broken-object-bytes.hdw",
            damagedBehindCrc(good, [](HdwContainer& c) { c.objects.back().bytes.at(0) = 0xEE; }));
  writeFile(dir / "broken-no-layer-table.hdw",
            damagedBehindCrc(good, [](HdwContainer& c) { c.header.layerTable = c.header.blockTable; }));
  Bytes hugeCount = good;
  // The class count follows the mark, the version and nine handles.
  for (size_t i = 0; i < 4; ++i) hugeCount.at(5 + 4 + 9 * 8 + i) = 0xFF;
  hdwRepairCrc(hugeCount);
  writeFile(dir / "broken-huge-class-count.hdw", hugeCount);
}

// A DXF as a simple tool writes it: a header naming the version, then entities only.
const char* kForeignDxf =
    "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1015\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nENTITIES\n"
    "  0\nLINE\n  5\n20\n  8\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 11\n10.0\n 21\n5.0\n 31\n0.0\n"
    "  0\nCIRCLE\n  5\n21\n  8\n0\n 10\n3.0\n 20\n4.0\n 30\n0.0\n 40\n2.0\n"
    "  0\nARC\n  5\n22\n  8\n0\n 10\n-3.0\n 20\n1.0\n 30\n0.0\n 40\n1.5\n 50\n30.0\n 51\n200.0\n"
    "  0\nENDSEC\n  0\nEOF\n";

void makeDxfSeeds(const fs::path& dir) {
  fs::create_directories(dir);
  {
    AcDbDatabase db(true);
    buildSampleDrawing(db);
    fs::path path = dir / "valid-sample.dxf";
    if (db.dxfOut(acutUtf8ToWide(path.string()).c_str()) != Acad::eOk)
      throw std::runtime_error("cannot write " + path.string() + ": " + acutWideToUtf8(db.lastFileError()));
    std::printf("  %s (%ju bytes)\n", path.string().c_str(), static_cast<std::uintmax_t>(fs::file_size(path)));
  }
  writeText(dir / "valid-foreign-entities.dxf", kForeignDxf);

  const Bytes good = readFile(dir / "valid-sample.dxf");
  const std::string text(good.begin(), good.end());
  writeFile(dir / "broken-empty.dxf", {});
  writeText(dir / "broken-not-dxf.dxf", "hello, this is not a drawing\n");
  writeFile(dir / "broken-truncated-half.dxf", truncated(good, good.size() / 2));
  // A group code turned into a non-number: "10" becomes "1p" by one flipped bit.
  size_t entities = text.find("ENTITIES");
  size_t code = text.find("\n 10\n", entities == std::string::npos ? 0 : entities);
  if (code != std::string::npos) writeFile(dir / "broken-bitflip-group-code.dxf", flipped(good, code + 3, 6));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR (e.g. tests/fuzz/corpus)\n", argv[0]);
    return 2;
  }
  try {
    fs::path root = argv[1];
    makeHdwSeeds(root / "hdw");
    makeDxfSeeds(root / "dxf");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_fuzz_corpus: %s\n", e.what());
    return 1;
  }
  return 0;
}
