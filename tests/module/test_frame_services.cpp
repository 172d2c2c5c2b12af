// The frame's small services: registry strings, appending to model space with an alert
// per failure, and the download offer when a dialog cannot be created.
#include <gtest/gtest.h>

#include "arx/db_entities.h"
#include "arx/db_symtab.h"
#include "frame/host_services.h"
#include "frame_fixture.h"
#include "mfc/message_box.h"
#include "win/registry.h"
#include "win/shell_execute.h"
#include "win/window_focus.h"

namespace {

using FrameServices = FrameTest;

// A missing key or value reads empty; writing never creates the key; under an existing
// key any text round-trips, and values live under their own subkey.
TEST_F(FrameServices, RegistryStringsLiveOnlyUnderAnExistingKey) {
  EXPECT_EQ(ovRegistryRead(L"Plumbing", L"bCalloutFirst"), L"");
  EXPECT_FALSE(ovRegistryWrite(L"Plumbing", L"bCalloutFirst", L"1"));
  HKEY key = nullptr;
  const std::wstring plumbing = std::wstring(kRegistryRoot) + L"Plumbing";
  EXPECT_NE(RegOpenKeyEx(HKEY_CURRENT_USER, plumbing.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, plumbing.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                           &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ovRegistryRead(L"Plumbing", L"bCalloutFirst"), L"");
  for (const std::wstring& text : {std::wstring(L"1"), std::wstring(L"Ø 50 mm – Küche"), std::wstring(700, L'x'),
                                   std::wstring()}) {
    EXPECT_TRUE(ovRegistryWrite(L"Plumbing", L"sValue", text));
    EXPECT_EQ(ovRegistryRead(L"Plumbing", L"sValue"), text);
  }
  EXPECT_EQ(ovRegistryRead(L"Other", L"sValue"), L"");
}

// The entity joins model space, left open by the first form and closed by the second;
// each failure is alerted with its own text and answered, and without a working
// database nothing is appended.
TEST_F(FrameServices, AppendingToModelSpaceAlertsEachFailure) {
  AcApDocument* doc = open("p/plan.hdw");
  ASSERT_NE(doc, nullptr);
  const auto alerts = [this] {
    std::vector<std::wstring> texts;
    for (const auto& box : ui_.boxes) texts.push_back(box.text);
    ui_.boxes.clear();
    return texts;
  };
  const auto newLine = [] { return new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0)); };
  AcDbLine* open = newLine();
  ASSERT_EQ(ovAppendToModelSpace(open), Acad::eOk);
  EXPECT_FALSE(open->objectId().isNull());
  EXPECT_TRUE(open->isWriteEnabled()) << "the first form leaves the entity open";
  open->close();
  AcDbLine* closed = newLine();
  ASSERT_EQ(ovAppendToModelSpaceAndClose(closed), Acad::eOk);
  AcDbLine* again = nullptr;
  ASSERT_EQ(acdbOpenObject(again, closed->objectId(), AcDb::kForWrite), Acad::eOk) << "the second form closed it";
  EXPECT_EQ(ovAppendToModelSpace(again), Acad::eAlreadyInDb);
  again->close();
  EXPECT_EQ(alerts(), std::vector<std::wstring>({L"Failed to append entity!"}));

  AcDbLine* line = newLine();
  AcDbBlockTable* table = nullptr;
  ASSERT_EQ(doc->database()->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
  EXPECT_EQ(ovAppendToModelSpace(line), Acad::eWasOpenForWrite);
  table->close();
  EXPECT_EQ(alerts(), std::vector<std::wstring>({L"Failed to get block table!"}));
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(acdbOpenObject(space, doc->database()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  output_.clear();
  EXPECT_EQ(ovAppendToModelSpace(line), Acad::eWasOpenForWrite);
  const int entities = static_cast<int>(space->entityIds().size());
  space->close();
  EXPECT_EQ(alerts(), std::vector<std::wstring>({L"Failed to get block table record!"}));
  EXPECT_EQ(output_, L"\n" + std::to_wstring(static_cast<int>(Acad::eWasOpenForWrite)));
  EXPECT_EQ(entities, 2);

  AcDbHostApplicationServices* services = acdbHostApplicationServices();
  AcDbDatabase* working = services->workingDatabase();
  services->setWorkingDatabase(nullptr);
  EXPECT_NE(ovAppendToModelSpaceAndClose(line), Acad::eOk);
  services->setWorkingDatabase(working);
  delete line;
  EXPECT_EQ(alerts(), std::vector<std::wstring>({L"Failed to get block table!"}));
}

// Only -1 and 3 mean the dialog could not be created; declining the offer downloads
// nothing.
TEST_F(FrameServices, ADialogFailureOffersTheDownloadWhichMayBeDeclined) {
  for (int result : {0, 1, 2, 4, 100, -2}) EXPECT_EQ(ovDialogFailureCheck(result), result);
  EXPECT_TRUE(ui_.boxes.empty());
  ui_.answers.push_back(IDNO);
  EXPECT_EQ(ovDialogFailureCheck(-1), -1);
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].title, L"Orvane Error");
  EXPECT_EQ(ui_.boxes[0].text,
            L"Dialog box could not be created.\nComponents need to be installed.\nWould you like to download a fix "
            L"to this error?");
  EXPECT_EQ(ui_.boxes[0].buttons, std::vector<int>({IDYES, IDNO}));
  EXPECT_TRUE(shellExecuteCalls().empty());
  EXPECT_EQ(output_, L"");
}

// Accepting opens the download and says what to do next, the active window put back after
// each box; a failing shell tells the user to contact support.
TEST_F(FrameServices, AcceptingTheOfferOpensTheDownload) {
  const std::wstring address = kComponentsDownload;
  EXPECT_NE(address.find(L"OVComponents.exe"), std::wstring::npos);
  const HWND active = GetActiveWindow();
  clearWindowActivations();
  ui_.answers.push_back(IDYES);
  EXPECT_EQ(ovDialogFailureCheck(3), 3);
  std::vector<ShellExecuteCall> calls = shellExecuteCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].operation, L"OPEN");
  EXPECT_EQ(calls[0].file, address);
  EXPECT_EQ(output_, L"\nDownloading " + address);
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].text.rfind(L"Finish downloading OVComponents.exe.\nClose AutoCAD.\nRun OVComponents.exe.\n"
                                    L"Restart AutoCAD.\n\nIf you continue to have problems, contact Orvane Software "
                                    L"technical support.",
                                    0),
            0u);
  std::vector<HWND> restored;
  for (const WindowActivation& a : windowActivations())
    if (a.call == L"SetActiveWindow") restored.push_back(a.window);
  EXPECT_EQ(restored, std::vector<HWND>(2, active)) << "the active window is put back after each box";

  clearShellExecuteCalls();
  ui_.boxes.clear();
  output_.clear();
  setShellExecuteResult(SE_ERR_FNF);
  ui_.answers.push_back(IDYES);
  EXPECT_EQ(ovDialogFailureCheck(-1), -1);
  ASSERT_EQ(shellExecuteCalls().size(), 1u);
  const std::wstring first = L"\nError downloading " + address;
  ASSERT_EQ(output_.rfind(first, 0), 0u) << acutWideToUtf8(output_);
  const std::wstring support = output_.substr(first.size());
  EXPECT_EQ(support.rfind(L"\n", 0), 0u) << "the support line is a line of its own";
  EXPECT_NE(support.find(L"technical support"), std::wstring::npos);
  ASSERT_EQ(ui_.boxes.size(), 2u);
  EXPECT_EQ(ui_.boxes[1].title, L"Orvane Error");
  EXPECT_EQ(ui_.boxes[1].text.rfind(L"Error downloading OVComponents.exe.\nContact Orvane Software technical support.",
                                    0),
            0u);
}

}  // namespace
