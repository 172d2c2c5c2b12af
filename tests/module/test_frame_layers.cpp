// Layer keys resolved through ov_plumb-getLayer on a standard project, with the layer
// made in the drawing from its row, and the project's global settings.
#include <gtest/gtest.h>

#include "arx/db_symtab.h"
#include "frame/context.h"
#include "frame/function_table.h"
#include "frame/globals.h"
#include "frame_fixture.h"
#include "test_record_double.h"

namespace {

class LayerKeys : public FrameTest {
 protected:
  void SetUp() override {
    const std::wstring file = makeProject("proj");
    ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(CLSID_ProjectDatabase, nullptr, CLSCTX_ALL)));
    ASSERT_EQ(std::wstring(db_->OpenProjectDatabase(_bstr_t(file.c_str()), 0, 0)), L"OK");
    system_ = number(L"select ixLayerSystem from tblLayerSystem where sDescription = \"New Work\"");
    ASSERT_GT(system_, 0);
    // The null system holds only the keys these tests add, so that what it lacks is
    // known whatever the standard customisation puts there.
    ASSERT_EQ(db_->Execute(_bstr_t(L"delete from tblLayerKey where ixLayerSystem is null")), VARIANT_TRUE);
    const long hidden = addLayer(L"\"P-TEST-HIDDEN\", 0, 30, \"HIDDEN\", 0, \"50\", \"Heavy\"");
    const long dashed = addLayer(L"\"P-TEST-DASH\", 0, 5, \"DASHED\", -1, \"\", null");
    const long nullSystem = addLayer(L"\"P-NULL\", 0, 2, \"CONTINUOUS\", -1, \"25\", null");
    addKey(std::to_wstring(system_), L"HIDDENKEY", hidden);
    addKey(std::to_wstring(system_), L"DASHKEY", dashed);
    addKey(L"null", L"NULLKEY", nullSystem);
    addKey(std::to_wstring(system_), L"ORPHAN", 987654);

    doc_ = open("proj/plan.hdw");
    ASSERT_NE(doc_, nullptr);
    context_ = startContext();
    ovRegisterLispFunctions();
  }
  void TearDown() override {
    _variant_t ignored;
    db_->CloseDatabase(&ignored);
    FrameTest::TearDown();
  }

  long number(const std::wstring& sql) {
    _variant_t rows;
    VARIANT_BOOL ok = VARIANT_FALSE;
    db_->Query(_bstr_t(sql.c_str()), &rows, &ok);
    std::vector<_variant_t> elements = readElements(rows);
    if (elements.size() < 3) return -1;
    switch (elements[2].vt) {
      case VT_I4: return elements[2].lVal;
      case VT_I2: return elements[2].iVal;
      case VT_R8: return static_cast<long>(elements[2].dblVal);
      case VT_BOOL: return elements[2].boolVal;
      default: return -1;
    }
  }
  long addLayer(const std::wstring& values) {
    EXPECT_EQ(db_->Execute(_bstr_t((L"insert into tblLayer (sName, bRGBColor, iColor, sLinetype, bPlot, sLineweight,"
                                    L" sPlotstyle) values (" + values + L")").c_str())),
              VARIANT_TRUE);
    return number(L"select max(ixLayer) from tblLayer");
  }
  void addKey(const std::wstring& system, const std::wstring& key, long layer) {
    EXPECT_EQ(db_->Execute(_bstr_t((L"insert into tblLayerKey (ixLayerSystem, ixLayer, sKey) values (" + system +
                                    L", " + std::to_wstring(layer) + L", \"" + key + L"\")").c_str())),
              VARIANT_TRUE);
  }

  std::string getLayer(const std::string& arguments) {
    return acutWideToUtf8(eval("(ov_plumb-getLayer " + arguments + ")"));
  }
  std::string system() const { return std::to_string(system_); }

  // Opens the drawing's layer of that name for read and hands it to check.
  template <typename Check>
  void withLayer(const wchar_t* name, Check check) {
    AcDbLayerTable* table = nullptr;
    ASSERT_EQ(doc_->database()->getLayerTable(table, AcDb::kForRead), Acad::eOk);
    AcDbLayerTableRecord* layer = nullptr;
    const Acad::ErrorStatus es = table->getAt(name, layer, AcDb::kForRead);
    table->close();
    ASSERT_EQ(es, Acad::eOk) << "no layer " << acutWideToUtf8(name);
    check(layer);
    layer->close();
  }
  bool drawingHas(const wchar_t* name) {
    AcDbLayerTable* table = nullptr;
    if (doc_->database()->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return false;
    const bool has = table->has(name);
    table->close();
    return has;
  }
  AcDbObjectId loadLinetype(const wchar_t* name) {
    AcDbLinetypeTable* table = nullptr;
    EXPECT_EQ(doc_->database()->getLinetypeTable(table, AcDb::kForWrite), Acad::eOk);
    auto* linetype = new AcDbLinetypeTableRecord();
    linetype->setName(name);
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, linetype), Acad::eOk);
    linetype->close();
    table->close();
    return id;
  }

  ProjectDatabasePtr db_;
  long system_ = 0;
  AcApDocument* doc_ = nullptr;
  ovApplication* context_ = nullptr;
};

TEST_F(LayerKeys, AKeyBecomesItsLayerMadeFromTheRow) {
  ASSERT_FALSE(drawingHas(L"P-DOMW-CPIP"));
  EXPECT_EQ(getLayer("\"CW\" " + system()), "\"P-DOMW-CPIP\"");
  withLayer(L"P-DOMW-CPIP", [](AcDbLayerTableRecord* layer) {
    EXPECT_EQ(layer->color().colorIndex(), 4);
    EXPECT_TRUE(layer->isPlottable());
    EXPECT_EQ(layer->lineWeight(), AcDb::kLnWt035);
    EXPECT_FALSE(layer->isLocked());
  });
  EXPECT_EQ(output_, L"");
}

TEST_F(LayerKeys, EveryPropertyOfTheRowReachesTheNewLayer) {
  const AcDbObjectId dashed = loadLinetype(L"DASHED");
  EXPECT_EQ(getLayer("\"HIDDENKEY\" " + system()), "\"P-TEST-HIDDEN\"");
  EXPECT_EQ(getLayer("\"DASHKEY\" " + system()), "\"P-TEST-DASH\"");
  EXPECT_EQ(getLayer("\"CW\" " + system()), "\"P-DOMW-CPIP\"");
  AcDbObjectId defaultLinetype;
  withLayer(L"P-DOMW-CPIP", [&](AcDbLayerTableRecord* layer) { defaultLinetype = layer->linetypeObjectId(); });
  withLayer(L"P-TEST-HIDDEN", [&](AcDbLayerTableRecord* layer) {
    EXPECT_EQ(layer->color().colorIndex(), 30);
    EXPECT_FALSE(layer->isPlottable());
    EXPECT_EQ(layer->lineWeight(), AcDb::kLnWt050);
    ACHAR* style = layer->plotStyleName();
    EXPECT_EQ(std::wstring(style != nullptr ? style : L""), L"Heavy");
    acutDelString(style);
    EXPECT_EQ(layer->linetypeObjectId(), defaultLinetype) << "a linetype the drawing lacks leaves the default";
  });
  withLayer(L"P-TEST-DASH", [&](AcDbLayerTableRecord* layer) {
    EXPECT_EQ(layer->color().colorIndex(), 5);
    EXPECT_EQ(layer->linetypeObjectId(), dashed);
    EXPECT_EQ(layer->lineWeight(), AcDb::kLnWtByLwDefault) << "an empty lineweight is not set";
  });
  EXPECT_EQ(output_, L"");
}

TEST_F(LayerKeys, AKeyMissingInItsSystemFallsBackOnTheSystemsDefaultSilently) {
  EXPECT_EQ(getLayer("\"NOSUCHKEY\" " + system()), "\"P-PIPE\"");
  EXPECT_TRUE(drawingHas(L"P-PIPE"));
  EXPECT_EQ(output_, L"");
}

TEST_F(LayerKeys, WithoutKeyAndDefaultTheUserIsToldAndLayerZeroAnswered) {
  EXPECT_EQ(getLayer("\"NOSUCHKEY\" 4242"), "\"0\"");
  EXPECT_EQ(output_, L"\nLayer key NOSUCHKEY:4242 does not exist in the database.");
  output_.clear();
  EXPECT_EQ(getLayer("\"ORPHAN\" " + system()), "\"0\"");
  EXPECT_EQ(output_, L"\nLayer corresponding to layer key ORPHAN:" + std::to_wstring(system_) +
                         L" does not exist in the database.");
}

TEST_F(LayerKeys, NilAndZeroBothMeanTheNullSystem) {
  EXPECT_EQ(getLayer("\"NULLKEY\" nil"), "\"P-NULL\"");
  EXPECT_EQ(getLayer("\"NULLKEY\" 0"), "\"P-NULL\"");
  EXPECT_EQ(getLayer("\"NULLKEY\" " + system()), "\"P-PIPE\"") << "the key lives in the null system only";
  EXPECT_EQ(output_, L"");
  EXPECT_EQ(getLayer("\"CW\" nil"), "\"0\"");
  EXPECT_EQ(output_, L"\nLayer key CW:0 does not exist in the database.");
}

TEST_F(LayerKeys, ASystemThatIsNeitherANumberNorNilAnswersNil) {
  for (const char* arguments : {"\"CW\" T", "\"CW\"", "\"CW\" \"1\"", "\"CW\" '(1 2)", "\"CW\" '(\"a\")", "5 1"}) {
    EXPECT_EQ(getLayer(arguments), "nil") << arguments;
  }
  EXPECT_EQ(output_, L"");
  EXPECT_FALSE(drawingHas(L"P-DOMW-CPIP"));
  EXPECT_EQ(getLayer("\"CW\" " + system() + ".9"), "\"P-DOMW-CPIP\"") << "a real system is truncated";
}

TEST_F(LayerKeys, ALockedLayerOfTheDrawingComesBackUnlockedAndOtherwiseAsItWas) {
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(doc_->database()->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
  auto* layer = new AcDbLayerTableRecord();
  layer->setName(L"P-DOMW-CPIP");
  AcCmColor green;
  green.setColorIndex(3);
  layer->setColor(green);
  layer->setIsPlottable(false);
  layer->setIsLocked(true);
  ASSERT_EQ(table->add(layer), Acad::eOk);
  layer->close();
  table->close();

  EXPECT_EQ(getLayer("\"CW\" " + system()), "\"P-DOMW-CPIP\"");
  withLayer(L"P-DOMW-CPIP", [](AcDbLayerTableRecord* found) {
    EXPECT_FALSE(found->isLocked());
    EXPECT_EQ(found->color().colorIndex(), 3);
    EXPECT_FALSE(found->isPlottable());
    EXPECT_EQ(found->lineWeight(), AcDb::kLnWtByLwDefault);
  });
}

TEST_F(LayerKeys, WithoutAProjectDatabaseTheCallAnswersNilAfterTheMessage) {
  ASSERT_NE(open("elsewhere/plan.hdw"), nullptr);
  EXPECT_EQ(getLayer("\"CW\" " + system()), "nil");
  EXPECT_EQ(output_, L"\nError finding the plumbing database.\nCannot connect to the plumbing database (Connection "
                     L"Error Code 1).");
}

// ---- global settings -----------------------------------------------------------------

class ProjectSettings : public LayerKeys {
 protected:
  void SetUp() override {
    LayerKeys::SetUp();
    ASSERT_TRUE(context_->connect(context_->currentDocData(), true, kModuleToken));
  }
  long rows(const std::wstring& key) {
    return number(L"select count(*) from tblGlobal where sKey = \"" + key + L"\"");
  }
};

TEST_F(ProjectSettings, NumbersAreReadByKeyAndAMissingOneIsZero) {
  EXPECT_EQ(ovGetGlobalNumber(context_, L"pipe-breakWidth"), 3.0);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"pipe-arcRadius"), 6.0);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"no such setting"), 0.0);
  EXPECT_EQ(ovGetGlobalNumber(nullptr, L"pipe-breakWidth"), 0.0) << "no context, no cache";
}

TEST_F(ProjectSettings, SettingANumberAddsTheRowOnceThenEditsIt) {
  const long before = number(L"select count(*) from tblGlobal");
  ovSetGlobalNumber(context_, L"test-spacing", 2.5);
  EXPECT_EQ(rows(L"test-spacing"), 1);
  ovSetGlobalNumber(context_, L"test-spacing", 4.0);
  EXPECT_EQ(rows(L"test-spacing"), 1);
  EXPECT_EQ(number(L"select count(*) from tblGlobal"), before + 1);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"test-spacing"), 4.0);
  EXPECT_EQ(number(L"select bNumeric from tblGlobal where sKey = \"test-spacing\""), -1);

  ovSetGlobalNumber(context_, L"pipe-breakWidth", 5.0);
  EXPECT_EQ(rows(L"pipe-breakWidth"), 1);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"pipe-breakWidth"), 5.0);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"pipe-arcRadius"), 6.0) << "editing one setting leaves the others";
}

TEST_F(ProjectSettings, TextSettingsAreNotNumeric) {
  EXPECT_EQ(ovGetGlobalText(context_, L"stackedFractions"), L"YES");
  ovSetGlobalText(context_, L"stackedFractions", L"NO");
  EXPECT_EQ(ovGetGlobalText(context_, L"stackedFractions"), L"NO");
  EXPECT_EQ(rows(L"stackedFractions"), 1);
  EXPECT_EQ(number(L"select bNumeric from tblGlobal where sKey = \"stackedFractions\""), 0);
  EXPECT_EQ(ovGetGlobalText(context_, L"no such setting"), L"");
}

}  // namespace
