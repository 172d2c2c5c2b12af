// The layer ov_plumb-getLayer makes in the drawing from its row, with the properties a
// script cannot read, and the project's global settings. How keys resolve is in
// scripts/frame_layers, frame_layer_keys and frame_layer_rows.
#include <gtest/gtest.h>

#include "arx/db_symtab.h"
#include "frame/context.h"
#include "frame/function_table.h"
#include "frame/globals.h"
#include "frame_fixture.h"

namespace {

class LayerKeys : public FrameTest {
 protected:
  void SetUp() override {
    openProject("proj");
    const long system = number(L"select ixLayerSystem from tblLayerSystem where sDescription = \"New Work\"");
    ASSERT_GT(system, 0);
    system_ = std::to_string(system);
    addKey(acutUtf8ToWide(system_), L"HIDDENKEY", L"\"P-TEST-HIDDEN\", 0, 30, \"HIDDEN\", 0, \"50\", \"Heavy\"");
    addKey(acutUtf8ToWide(system_), L"DASHKEY", L"\"P-TEST-DASH\", 0, 5, \"DASHED\", -1, \"\", null");
    doc_ = open("proj/plan.hdw");
    ASSERT_NE(doc_, nullptr);
    context_ = startContext();
    ovRegisterLispFunctions();
  }

  // A layer row and a key of the system that names it.
  void addKey(const std::wstring& system, const std::wstring& key, const std::wstring& layer) {
    sql(L"insert into tblLayer (sName, bRGBColor, iColor, sLinetype, bPlot, sLineweight, sPlotstyle) values (" + layer +
        L")");
    sql(L"insert into tblLayerKey (ixLayerSystem, ixLayer, sKey) values (" + system +
        L", (select max(ixLayer) from tblLayer), \"" + key + L"\")");
  }
  std::string getLayer(const std::string& arguments) {
    return acutWideToUtf8(eval("(ov_plumb-getLayer " + arguments + ")"));
  }

  // The drawing's layer of that name opened for read, or null; closed by the caller.
  AcDbLayerTableRecord* layer(const wchar_t* name) {
    AcDbLayerTable* table = nullptr;
    if (doc_->database()->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return nullptr;
    AcDbLayerTableRecord* found = nullptr;
    table->getAt(name, found, AcDb::kForRead);
    table->close();
    return found;
  }
  template <typename Table>
  AcDbObjectId addRecord(AcDbSymbolTableRecord* record) {
    Table* table = nullptr;
    EXPECT_EQ(doc_->database()->getSymbolTable(table, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    EXPECT_EQ(table->add(id, record), Acad::eOk);
    record->close();
    table->close();
    return id;
  }

  std::string system_;
  AcApDocument* doc_ = nullptr;
  ovApplication* context_ = nullptr;
};

// A new layer takes plotting, lineweight, plot style and a linetype the drawing has from
// its row; a linetype it lacks and an empty lineweight leave the defaults. (Its colour is
// in scripts/frame_layers.)
TEST_F(LayerKeys, EveryPropertyOfTheRowReachesTheNewLayer) {
  auto* linetype = new AcDbLinetypeTableRecord();
  linetype->setName(L"DASHED");
  const AcDbObjectId dashed = addRecord<AcDbLinetypeTable>(linetype);
  ASSERT_EQ(layer(L"P-DOMW-CPIP"), nullptr);
  EXPECT_EQ(getLayer("\"HIDDENKEY\" " + system_), "\"P-TEST-HIDDEN\"");
  EXPECT_EQ(getLayer("\"DASHKEY\" " + system_), "\"P-TEST-DASH\"");
  EXPECT_EQ(getLayer("\"CW\" " + system_), "\"P-DOMW-CPIP\"");
  EXPECT_EQ(output_, L"");
  AcDbLayerTableRecord* standard = layer(L"P-DOMW-CPIP");
  ASSERT_NE(standard, nullptr);
  EXPECT_TRUE(standard->isPlottable());
  EXPECT_EQ(standard->lineWeight(), AcDb::kLnWt035);
  const AcDbObjectId defaultLinetype = standard->linetypeObjectId();
  standard->close();
  AcDbLayerTableRecord* hidden = layer(L"P-TEST-HIDDEN");
  ASSERT_NE(hidden, nullptr);
  EXPECT_FALSE(hidden->isPlottable());
  EXPECT_EQ(hidden->lineWeight(), AcDb::kLnWt050);
  ACHAR* style = hidden->plotStyleName();
  EXPECT_EQ(std::wstring(style != nullptr ? style : L""), L"Heavy");
  acutDelString(style);
  EXPECT_EQ(hidden->linetypeObjectId(), defaultLinetype) << "a linetype the drawing lacks leaves the default";
  hidden->close();
  AcDbLayerTableRecord* dash = layer(L"P-TEST-DASH");
  ASSERT_NE(dash, nullptr);
  EXPECT_EQ(dash->linetypeObjectId(), dashed);
  EXPECT_EQ(dash->lineWeight(), AcDb::kLnWtByLwDefault) << "an empty lineweight is not set";
  dash->close();
}

TEST_F(LayerKeys, ALockedLayerOfTheDrawingComesBackUnlockedAndOtherwiseAsItWas) {
  auto* locked = new AcDbLayerTableRecord();
  locked->setName(L"P-DOMW-CPIP");
  AcCmColor green;
  green.setColorIndex(3);
  locked->setColor(green);
  locked->setIsPlottable(false);
  locked->setIsLocked(true);
  addRecord<AcDbLayerTable>(locked);
  EXPECT_EQ(getLayer("\"CW\" " + system_), "\"P-DOMW-CPIP\"");
  AcDbLayerTableRecord* found = layer(L"P-DOMW-CPIP");
  ASSERT_NE(found, nullptr);
  EXPECT_FALSE(found->isLocked());
  EXPECT_EQ(found->color().colorIndex(), 3);
  EXPECT_FALSE(found->isPlottable());
  EXPECT_EQ(found->lineWeight(), AcDb::kLnWtByLwDefault);
  found->close();
}

// Numbers are read by key (a missing one, or no context, is 0); setting one adds its
// row once then edits it, leaving the others; text settings are not numeric.
TEST_F(LayerKeys, GlobalSettingsAreReadAndWrittenByKey) {
  ASSERT_TRUE(context_->connect(context_->currentDocData(), true, kModuleToken));
  const auto rows = [&](const wchar_t* key) {
    return number(L"select count(*) from tblGlobal where sKey = \"" + std::wstring(key) + L"\"");
  };
  EXPECT_EQ(ovGetGlobalNumber(context_, L"pipe-breakWidth"), 3.0);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"no such setting"), 0.0);
  EXPECT_EQ(ovGetGlobalNumber(nullptr, L"pipe-breakWidth"), 0.0) << "no context, no cache";
  const long before = number(L"select count(*) from tblGlobal");
  ovSetGlobalNumber(context_, L"test-spacing", 2.5);
  ovSetGlobalNumber(context_, L"test-spacing", 4.0);
  EXPECT_EQ(rows(L"test-spacing"), 1);
  EXPECT_EQ(number(L"select count(*) from tblGlobal"), before + 1);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"test-spacing"), 4.0);
  EXPECT_EQ(number(L"select bNumeric from tblGlobal where sKey = \"test-spacing\""), -1);
  ovSetGlobalNumber(context_, L"pipe-breakWidth", 5.0);
  EXPECT_EQ(rows(L"pipe-breakWidth"), 1);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"pipe-breakWidth"), 5.0);
  EXPECT_EQ(ovGetGlobalNumber(context_, L"pipe-arcRadius"), 6.0) << "editing one setting leaves the others";

  EXPECT_EQ(ovGetGlobalText(context_, L"stackedFractions"), L"YES");
  ovSetGlobalText(context_, L"stackedFractions", L"NO");
  EXPECT_EQ(ovGetGlobalText(context_, L"stackedFractions"), L"NO");
  EXPECT_EQ(rows(L"stackedFractions"), 1);
  EXPECT_EQ(number(L"select bNumeric from tblGlobal where sKey = \"stackedFractions\""), 0);
  EXPECT_EQ(ovGetGlobalText(context_, L"no such setting"), L"");
}

}  // namespace
