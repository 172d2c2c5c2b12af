// DXF: the filers' group pairs (formatted without printf, checked against it), the
// parsers with their compact groups, and the files: a plug-in entity's class, the
// flattened form, handles and sections, refused files, reading from a pipe. What a
// save keeps in either format is in test_hdw.cpp; files of other tools are read by
// tests/scripts/arx_foreign_dxf.lsp, and ezdxf audits what the host writes in
// tests/scripts/restroom_files.sh.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <limits>
#include <random>
#include <set>

#include "arx/db_proxy.h"
#include "arx/dxf_filer_mem.h"
#include "test_drawing_files.h"

namespace {

std::vector<AcDbDxfGroup> parse(const std::string& text) {
  std::vector<AcDbDxfGroup> groups;
  std::wstring error;
  EXPECT_EQ(acdbParseDxfGroups(text, groups, error), Acad::eOk) << acutWideToUtf8(error);
  return groups;
}

// The entities of model space by DXF type name, in block order.
std::vector<AcDbObjectId> modelSpaceOf(AcDbDatabase& db, const wchar_t* dxfName) {
  Reading<AcDbBlockTableRecord> ms(db.modelSpaceId());
  std::vector<AcDbObjectId> out;
  for (const AcDbObjectId& id : ms->entityIds())
    if (wcscmp(id.objectClass()->dxfName(), dxfName) == 0) out.push_back(id);
  return out;
}

// ---- the filers ------------------------------------------------------------------------

// Codes stand right-aligned in three characters; reals keep a decimal point and the
// precision asked for; a point is three groups; a flag is 0 or 1; an id or handle is
// upper-case hex (0 for none); a caret before a letter becomes "^ ", a control
// character a ^ escape, text beyond ASCII \U+ escapes (two for a character beyond the
// basic plane), so that one group stays two lines.
TEST(DxfFiler, WriterFormatsGroupPairsAsAutoCadDoes) {
  AcDbDatabase db;
  AcDbMemDxfWriter w(&db);
  w.group(0, L"LINE");
  w.writeString(AcDb::kDxfLayerName, L"Pipes");
  w.writeDouble(AcDb::kDxfReal, 2.0);
  w.writePoint3d(AcDb::kDxfXCoord, AcGePoint3d(1.5, -2, 0.1));
  w.writeBool(AcDb::kDxfBool, true);
  w.writeInt16(AcDb::kDxfInt16, -3);
  w.group(90, -70000);
  w.group(100, L"AcDbLine");
  w.group(1000, L"note");
  w.writeObjectId(AcDb::kDxfSoftPointerId, db.layerZero());
  w.writeObjectId(AcDb::kDxfSoftPointerId, AcDbObjectId());
  w.groupHandle(5, AcDbHandle(0xABCDEF12));
  w.group(1, L"a^b^A\t\u00e9\U0001F600^");
  w.writeDouble(AcDb::kDxfAngle, M_PI, 7);
  EXPECT_EQ(w.filerStatus(), Acad::eOk);
  std::string handle = acutWideToUtf8(db.layerZero().handle().text());
  EXPECT_EQ(w.text(), "  0\nLINE\n  8\nPipes\n 40\n2.0\n 10\n1.5\n 20\n-2.0\n 30\n0.1\n290\n1\n 70\n-3\n 90\n-70000\n"
                      "100\nAcDbLine\n1000\nnote\n330\n" + handle + "\n330\n0\n  5\nABCDEF12\n"
                      "  1\na^b^ A^I\\U+00E9\\U+D83D\\U+DE00^ \n 50\n3.141593\n");
  AcDbMemDxfWriter four(nullptr, 4);
  four.writeDouble(AcDb::kDxfReal, M_PI);
  EXPECT_EQ(four.text(), " 40\n3.142\n");
  // Reading undoes the escapes; the full precision comes back exactly.
  AcDbMemDxfWriter texts;
  const std::wstring text = L"\u00e9tage 3^2 \u4e2d\U0001F600\nnext\tcol^";
  texts.writeString(AcDb::kDxfText, text);
  texts.writeDouble(AcDb::kDxfReal, 0.1 + 0.2);
  std::vector<AcDbDxfGroup> back = parse(texts.text());
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].text, text);
  EXPECT_NEAR(back[1].real, 0.1 + 0.2, 1e-15);
}

// A value of the wrong kind for its code is refused, and the refusal sticks.
TEST(DxfFiler, WriterRefusesValuesOfTheWrongKind) {
  AcDbMemDxfWriter w;
  EXPECT_EQ(w.writeString(AcDb::kDxfReal, L"two"), Acad::eInvalidDxfCode);
  EXPECT_EQ(w.writeString(AcDb::kDxfLayerName, L"0"), Acad::eInvalidDxfCode);
  EXPECT_EQ(w.filerStatus(), Acad::eInvalidDxfCode);
  EXPECT_TRUE(w.text().empty());
  AcDbMemDxfWriter w2;
  EXPECT_EQ(w2.writeInt32(AcDb::kDxfInt16, 70000), Acad::eInvalidDxfCode);
  AcDbMemDxfWriter w3;
  EXPECT_EQ(w3.writeDouble(AcDb::kDxfReal, NAN), Acad::eInvalidInput);
}

// Reals are written as printf's %g writes them, with the decimal point a real keeps.
TEST(DxfFiler, RealsAreWrittenAsPrintfWritesThem) {
  auto printfReal = [](double v, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v == 0.0 ? 0.0 : v);
    std::string s = buf;
    return s.find_first_of(".eEn") == std::string::npos ? s + ".0" : s;
  };
  auto writtenReal = [](double v, int digits) {
    AcDbMemDxfWriter w(nullptr, digits);
    EXPECT_EQ(w.writeDouble(AcDb::kDxfReal, v), Acad::eOk);
    const std::string& t = w.text();  // " 40\n" then the value and its line end
    return t.size() > 5 ? t.substr(4, t.size() - 5) : std::string();
  };
  const double tricky[] = {0.0,  -0.0,    1.0,    -1.0,   0.1,   2.5,     0.5,      1e20,   1e-5,
                           1e-4, 123456789012345678.0, 1e16, 1e15, 9.999999999999999e15, 0.3,
                           1.0 / 3, 2.0 / 3, 1234.5, 99.95, 5e-324, std::numeric_limits<double>::max(), 1e100,
                           1e-100, 3.14159265358979, 42.0, -273.15, 6.02214076e23};
  for (double v : tricky)
    for (int digits = 1; digits <= 17; ++digits) EXPECT_EQ(writtenReal(v, digits), printfReal(v, digits)) << v;
  // Coordinates of a drawing: many digits after the point, some exactly halfway.
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> coord(-1e6, 1e6);
  for (int i = 0; i < 20000; ++i) {
    double v = coord(rng);
    if (i % 4 == 0) v = std::round(v * 8) / 8;  // binary fractions round to even in the last digit
    for (int digits : {6, 15, 16, 17}) ASSERT_EQ(writtenReal(v, digits), printfReal(v, digits)) << v;
  }
}

// The reader hands out one group at a time: x, y and z of a point as one point (a 2D
// point with z 0), pushBackItem repeats a group, references come back as ids, the end
// answers eEndOfObject. atSubclassData takes its marker only when it is next; groups
// written without any marker (older files) answer yes to every subclass. A reader
// over borrowed groups reads them in place.
TEST(DxfFiler, ReaderCombinesPointsStepsBackAndFollowsMarkers) {
  AcDbDatabase db;
  std::string layer0 = acutWideToUtf8(db.layerZero().handle().text());
  std::vector<AcDbDxfGroup> groups =
      parse("100\nAcDbEntity\n  8\nPipes\n100\nAcDbLine\n 10\n1\n 20\n2\n 30\n3\n 11\n4\n 21\n5\n 90\n70000\n330\n" +
            layer0 + "\n");
  AcDbMemDxfReader r(groups.data() + 1, groups.size() - 1, &db);  // from the layer on
  EXPECT_FALSE(r.atSubclassData(L"AcDbEntity"));
  resbuf rb{};
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 8);
  EXPECT_STREQ(rb.resval.rstring, L"Pipes");
  delete[] rb.resval.rstring;
  EXPECT_FALSE(r.atSubclassData(L"AcDbCircle"));
  EXPECT_TRUE(r.atSubclassData(L"AcDbLine"));
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 10);
  EXPECT_EQ(rb.resval.rpoint[2], 3.0);
  ASSERT_EQ(r.pushBackItem(), Acad::eOk);
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 10);
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.restype, 11);
  EXPECT_EQ(rb.resval.rpoint[1], 5.0);
  EXPECT_EQ(rb.resval.rpoint[2], 0.0);
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  EXPECT_EQ(rb.resval.rlong, 70000);
  ASSERT_EQ(r.readItem(&rb), Acad::eOk);
  AcDbObjectId id;
  id.setFromOldId(static_cast<std::intptr_t>(rb.resval.rlname[0]));
  EXPECT_EQ(id, db.layerZero());
  EXPECT_TRUE(r.atEndOfObject());
  EXPECT_EQ(r.readItem(&rb), Acad::eEndOfObject);
  EXPECT_EQ(r.currentLine(), 19);  // the code of the last group
  EXPECT_EQ(groups[1].text, L"Pipes");  // only borrowed

  AcDbMemDxfReader old(parse("  8\n0\n 10\n1\n 20\n2\n"), &db);
  EXPECT_TRUE(old.atSubclassData(L"AcDbEntity"));
  EXPECT_TRUE(old.atSubclassData(L"AcDbLine"));
  AcDbMemDxfReader none(nullptr, 3, nullptr);
  EXPECT_TRUE(none.atEOF());
  EXPECT_EQ(none.readItem(&rb), Acad::eEndOfObject);
}

// Values are checked against their code when the text is parsed, by both parsers
// alike; the reason names the line of the file.
TEST(DxfFiler, ParsersNameTheLineOfWhatTheyRefuse) {
  const std::pair<const char*, const wchar_t*> rows[] = {
      {"  0\nLINE\n 10\n1\n 20\n2\n 30\nabc\n", L"line 8: \"abc\" is not a number (group code 30)"},
      {"  0\nLINE\n 70\n1.5\n", L"line 4: \"1.5\" is not a 16-bit integer (group code 70)"},
      {"\xEF\xBB\xBF 70\r\n70000\r\n", L"line 2: \"70000\" is not a 16-bit integer (group code 70)"},
      {"  0\nLINE\n1p\n3\n", L"line 3: \"1p\" is not a group code"},
      {"  0\nLINE\n  \n 8\n0\n", L"line 3: \"\" is not a group code"},
      {"  0\nLINE\n 10\n1\n 30\n2\n", L"line 3: the point of group code 10 has no y (group code 20)"},
      {"  0\nLINE\n 10\n1\n 20\n", L"line 5: group code 20 has no value (the file ends there)"},
      {"  0\nLINE\n  0\n", L"line 3: group code 0 has no value (the file ends there)"},
      {"  0\nLINE\n330\nXYZ\n", L"line 4: \"XYZ\" is not a handle"},
      {"  0\nLINE\n310\nABC\n", L"line 4: \"ABC\" is not binary data in hex (group code 310)"},
      {"  0\nLINE\n2000\nx\n", L"line 3: 2000 is not a DXF group code"},
  };
  for (const auto& [text, reason] : rows) {
    std::vector<AcDbDxfGroup> groups;
    std::vector<AcDbDxfRawGroup> raw;
    std::wstring error, rawError;
    EXPECT_NE(acdbParseDxfGroups(text, groups, error), Acad::eOk) << text;
    EXPECT_NE(acdbParseDxfRawGroups(text, raw, rawError), Acad::eOk) << text;
    EXPECT_NE(error.find(reason), std::wstring::npos) << acutWideToUtf8(error);
    EXPECT_EQ(rawError, error);
  }
  // CRLF line ends and blanks around numbers are fine; blank lines after the last
  // group end the file.
  std::vector<AcDbDxfGroup> groups = parse("  0\r\nLINE\r\n 10 \r\n  1.5\r\n 20\r\n-2\t\r\n  0\nEOF\n\n \r\n\t\n");
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_TRUE(groups[1].point.isEqualTo(AcGePoint3d(1.5, -2, 0)));
}

// A text every kind of group is in, with CRLF line ends and blanks around codes.
const std::string kMixed =
    "\xEF\xBB\xBF  0\r\nSECTION\r\n  2\nENTITIES\n  0\n\\U+0045OF\n  5\n 1A2b \n 10\n1.5\n 20\n-2\n 30\n3e2\n"
    " 11\n4\n 21\n5\n 40\n0.25\n 70\n65535\n 90\n-5\n160\n123456789012\n310\n0aFF\n330\n 2C \n"
    "  1\ncaf\xC3\xA9 ^Ja\n  1\nLatin \xE9\n";

// The full groups are made one by one into fresh groups; here one group is used again
// and again, from the last to the first, so that nothing of a group made before may
// stay behind in the next. A raw group answers only for its own kind of value.
TEST(DxfFiler, RawGroupsMakeTheSameGroupsIntoReusedStorage) {
  std::vector<AcDbDxfGroup> full = parse(kMixed);
  std::vector<AcDbDxfRawGroup> raw;
  std::wstring error;
  ASSERT_EQ(acdbParseDxfRawGroups(kMixed, raw, error), Acad::eOk) << acutWideToUtf8(error);
  ASSERT_EQ(raw.size(), 14u);
  ASSERT_EQ(full.size(), 14u);
  AcDbDxfGroup made;
  made.text = L"left over from the group before";
  made.bytes = {1, 2, 3};
  for (size_t i = raw.size(); i-- > 0;) {
    acdbDxfGroupOf(raw[i], made);
    SCOPED_TRACE(full[i].code);
    EXPECT_EQ(made.code, full[i].code);
    EXPECT_EQ(made.line, full[i].line);
    EXPECT_EQ(made.kind, full[i].kind);
    EXPECT_EQ(made.text, full[i].text);
    EXPECT_EQ(made.real, full[i].real);
    EXPECT_EQ(made.integer, full[i].integer);
    EXPECT_TRUE(made.point.isEqualTo(full[i].point));
    EXPECT_EQ(made.bytes, full[i].bytes);
  }
  EXPECT_EQ(full[2].text, L"EOF");
  EXPECT_EQ(full[3].text, L" 1A2b ");  // 5 is a text group: its blanks stay
  EXPECT_TRUE(full[4].point.isEqualTo(AcGePoint3d(1.5, -2, 300)));
  EXPECT_TRUE(full[5].point.isEqualTo(AcGePoint3d(4, 5, 0)));  // a 2D point
  EXPECT_EQ(full[7].integer, -1);                               // 65535 as a 16-bit integer
  EXPECT_EQ(full[9].integer, 123456789012);
  EXPECT_EQ(full[10].bytes, (std::vector<unsigned char>{0x0A, 0xFF}));
  EXPECT_EQ(full[11].integer, 0x2C);
  EXPECT_EQ(full[11].text, L"2C");  // a reference's handle, without its blanks
  EXPECT_EQ(full[12].text, L"caf\u00e9 \na");
  EXPECT_EQ(full[13].text, L"Latin \u00e9");  // not UTF-8: one character per byte

  // An escaped type name is still its name; a different code or text is not.
  EXPECT_TRUE(raw[2].is(0, L"EOF"));
  EXPECT_FALSE(raw[2].is(1, L"EOF"));
  EXPECT_FALSE(raw[2].is(0, L"EO"));
  EXPECT_FALSE(raw[2].is(0, L"EOFS"));
  EXPECT_TRUE(raw[12].is(1, L"caf\u00e9 \na"));
  EXPECT_EQ(raw[6].real(), 0.25);
  EXPECT_EQ(raw[6].integer(), 0);
  EXPECT_EQ(raw[8].integer(), -5);
  EXPECT_EQ(raw[8].real(), 0.0);
  EXPECT_TRUE(raw[8].point().isEqualTo(AcGePoint3d::kOrigin));
  EXPECT_EQ(raw[8].text(), L"");
  EXPECT_EQ(raw[3].integer(), 0);
  EXPECT_EQ(raw[11].text(), L"2C");
  EXPECT_EQ(raw[10].text(), L"");  // binary data is no text
}

// ---- files ---------------------------------------------------------------------------------

class DxfFileTest : public DrawingFileTest {};

// A plug-in entity is written under its DXF name with its class listed; the file has
// the layout of AutoCAD 2000: its version, every handle once, the handle seed above
// them all, the sections in order. Without the plug-in its entities are left out and
// counted; a file that arrives through a pipe is read as it comes.
TEST_F(DxfFileTest, DxfFileLayoutClassesAndUnknownTypes) {
  buildDrawing();
  std::string text;
  std::wstring error;
  ASSERT_EQ(acdbDxfOutToText(*source_, text, 16, false, error), Acad::eOk) << acutWideToUtf8(error);
  EXPECT_NE(text.find("  0\nCLASS\n  1\nOVTESTWIDGET\n  2\nTestWidget\n  3\nTest piece|Test maker\n 90\n1\n 91\n1\n"),
            std::string::npos);
  EXPECT_NE(text.find("  0\nOVTESTWIDGET\n"), std::string::npos);
  std::vector<AcDbDxfGroup> groups = parse(text);
  std::set<std::uint64_t> handles;
  std::uint64_t seed = 0;
  std::vector<std::wstring> sections;
  for (size_t i = 0; i + 1 < groups.size(); ++i) {
    const AcDbDxfGroup& g = groups[i];
    if (g.is(9, L"$ACADVER")) {
      EXPECT_EQ(groups[i + 1].text, L"AC1015");
    }
    if (g.is(9, L"$HANDSEED")) seed = AcDbHandle::fromText(groups[i + 1].text).value();
    if (g.is(0, L"SECTION")) sections.push_back(groups[i + 1].text);
    if ((g.code == 5 || g.code == 105) && !(i > 0 && groups[i - 1].is(9, L"$HANDSEED"))) {
      std::uint64_t h = AcDbHandle::fromText(g.text).value();
      EXPECT_NE(h, 0u);
      EXPECT_TRUE(handles.insert(h).second) << "handle " << acutWideToUtf8(g.text) << " twice";
    }
  }
  EXPECT_GT(seed, *handles.rbegin());
  EXPECT_EQ(sections, (std::vector<std::wstring>{L"HEADER", L"CLASSES", L"TABLES", L"BLOCKS", L"ENTITIES", L"OBJECTS"}));
  EXPECT_TRUE(groups.back().is(0, L"EOF"));
  EXPECT_TRUE(handles.count(sample_.line.handle().value()));

  ASSERT_EQ(source_->dxfOut(path("plan.dxf").c_str()), Acad::eOk);
  const std::string fifo = acutWideToUtf8(path("plan.fifo"));
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    std::ifstream from(acutWideToUtf8(path("plan.dxf")), std::ios::binary);
    std::ofstream to(fifo, std::ios::binary);
    to << from.rdbuf();
    to.flush();  // _exit runs no destructor
    _exit(to.good() ? 0 : 1);
  }
  AcDbDxfInSummary summary;
  readBack(path("plan.fifo"), &summary);
  int status = 0;
  waitpid(writer, &status, 0);
  EXPECT_EQ(summary.entitiesRead, 7);

  unregisterWidget();
  AcDbDxfInSummary skipped;
  std::unique_ptr<AcDbDatabase> read = readBack(path("plan.dxf"), &skipped);
  EXPECT_EQ(skipped.skippedEntities[kWidgetDxfName], 1);
  EXPECT_EQ(skipped.entitiesRead, 6);
  EXPECT_TRUE(idOf(*read, widget_).isNull());
  EXPECT_FALSE(idOf(*read, sample_.circle).isNull());
}

// Flattened, the plug-in entity becomes what it draws, each piece on the layer it was
// drawn on, and no entity class is listed; an arc drawn clockwise (about -z) becomes
// the same arc counter-clockwise about +z; a proxy entity is left out.
TEST_F(DxfFileTest, FlattenedDxfHoldsPlainEntitiesOnly) {
  buildDrawing();
  class ClockwiseArc : public TestWidget {
   public:
    bool subWorldDraw(AcGiWorldDraw* wd) override {
      wd->geometry().circularArc(from, 5.0, AcGeVector3d(0, 0, -1), AcGeVector3d::kXAxis, M_PI / 2);
      return true;
    }
  };
  auto* cw = new ClockwiseArc();
  cw->from = AcGePoint3d(1, 1, 0);
  appendToModelSpace(*source_, cw);
  appendToModelSpace(*source_, new AcDbProxyEntity());
  ASSERT_EQ(source_->dxfOut(path("flat.dxf").c_str(), 16, true), Acad::eOk);
  const Bytes flat = fileBytes(path("flat.dxf"));
  const std::string text(flat.begin(), flat.end());
  EXPECT_EQ(text.find("OVTESTWIDGET"), std::string::npos);
  EXPECT_EQ(text.find("ACAD_PROXY_ENTITY"), std::string::npos);
  unregisterWidget();
  AcDbDxfInSummary summary;
  std::unique_ptr<AcDbDatabase> read = readBack(path("flat.dxf"), &summary);
  EXPECT_EQ(summary.skippedEntityCount(), 0);
  AcDbDatabase& db = *read;

  std::vector<AcDbObjectId> polylines = modelSpaceOf(db, L"POLYLINE");
  ASSERT_EQ(polylines.size(), 3u);  // the drawing's two and the widget's run
  Reading<AcDb2dPolyline> run(polylines.back());
  ASSERT_EQ(run->numVerts(), 3);
  EXPECT_TRUE(run->vertexAt(1).isEqualTo(AcGePoint3d(40, 10, 0)));
  EXPECT_EQ(recordName(run->layerId()), L"Pipes");
  std::vector<AcDbObjectId> circles = modelSpaceOf(db, L"CIRCLE");
  ASSERT_EQ(circles.size(), 2u);
  Reading<AcDbCircle> circle(circles.back());
  EXPECT_TRUE(circle->center().isEqualTo(AcGePoint3d(40, 16, 0)));
  EXPECT_DOUBLE_EQ(circle->radius(), 2.0);
  EXPECT_EQ(recordName(circle->layerId()), L"Locked");
  std::vector<AcDbObjectId> arcs = modelSpaceOf(db, L"ARC");
  ASSERT_EQ(arcs.size(), 3u);
  Reading<AcDbArc> arc(arcs[1]);
  EXPECT_TRUE(arc->center().isEqualTo(AcGePoint3d(30, 10, 0)));
  EXPECT_NEAR(arc->startAngle(), 0.0, 1e-12);
  EXPECT_NEAR(arc->endAngle(), M_PI / 2, 1e-12);
  EXPECT_EQ(recordName(arc->layerId()), L"Pipes");
  // From (6,1) clockwise to (1,-4): counter-clockwise from -90 degrees to 0.
  Reading<AcDbArc> clockwise(arcs[2]);
  EXPECT_TRUE(clockwise->normal().isEqualTo(AcGeVector3d::kZAxis));
  EXPECT_NEAR(clockwise->startAngle(), 1.5 * M_PI, 1e-12);
  EXPECT_NEAR(clockwise->endAngle(), 0.0, 1e-12);
  std::vector<AcDbObjectId> texts = modelSpaceOf(db, L"MTEXT");
  ASSERT_EQ(texts.size(), 2u);
  Reading<AcDbMText> label(texts.back());
  EXPECT_EQ(label->contentsText(), L"\u00dcberlauf 2");
  EXPECT_TRUE(label->location().isEqualTo(AcGePoint3d(30, 10, 0)));
  EXPECT_DOUBLE_EQ(label->textHeight(), 2.0);
}

// Empty, cut short inside a group pair or between sections, a word where a number
// belongs, binary noise, a polyline without its end: each is refused with a reason
// naming the line, and nothing is left in the database.
TEST_F(DxfFileTest, DxfRefusesDamagedFiles) {
  buildDrawing();
  std::string good;
  std::wstring error;
  ASSERT_EQ(acdbDxfOutToText(*source_, good, 16, false, error), Acad::eOk);
  size_t entities = good.find("ENTITIES");
  size_t radius = good.find("\n 40\n", entities);
  ASSERT_NE(radius, std::string::npos);
  std::string wordForNumber = good;
  wordForNumber.replace(radius + 5, good.find('\n', radius + 5) - radius - 5, "two");
  std::string noSeqend = good;
  noSeqend.replace(noSeqend.find("  0\nSEQEND\n"), 11, "  0\nVERTEX\n");
  std::mt19937 random(7);
  std::string noise(4096, '\0'), printableNoise(4096, 'x');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  for (char& c : printableNoise) c = static_cast<char>(' ' + random() % 95);
  const std::pair<std::string, const char*> cases[] = {
      {"", "the file is empty"},
      {good.substr(0, radius + 5), "has no value (the file ends there)"},
      {good.substr(0, good.find("  0\nENDSEC\n", entities)), "has no ENDSEC"},
      {good.substr(0, good.rfind("  0\nEOF")), "without 0 EOF"},
      {wordForNumber, "\"two\" is not a number (group code 40)"},
      {noise, "this is not an ASCII DXF file"},
      {printableNoise, "line 1:"},
      {noSeqend, "POLYLINE without SEQEND"},
  };
  for (const auto& [text, reason] : cases) {
    SCOPED_TRACE(reason);
    writeBytes(path("damaged.dxf"), Bytes(text.begin(), text.end()));
    AcDbDatabase db(false);
    Acad::ErrorStatus es = db.dxfIn(path("damaged.dxf").c_str());
    EXPECT_TRUE(es == Acad::eBadFileFormat || es == Acad::eBadDxfSequence) << acadErrorStatusText(es);
    std::string message = acutWideToUtf8(db.lastFileError());
    EXPECT_NE(message.find(reason), std::string::npos) << "message: " << message;
    EXPECT_NE(message.find("damaged.dxf"), std::string::npos) << "message: " << message;
    if (!text.empty()) {
      EXPECT_NE(message.find("line "), std::string::npos) << "message: " << message;
    }
    EXPECT_TRUE(db.stubs().empty());
  }
}

}  // namespace
