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

// Only -1 and 3 mean the dialog could not be created. The offer may be declined; accepted,
// it opens the download and says what to do next, or with a failing shell tells the user
// to contact support; the active window is put back after each box.
TEST_F(FrameServices, ADialogFailureOffersTheDownload) {
  for (int result : {0, 1, 2, 4, 100, -2}) EXPECT_EQ(ovDialogFailureCheck(result), result);
  EXPECT_TRUE(ui_.boxes.empty());
  const std::wstring address = kComponentsDownload;
  EXPECT_NE(address.find(L"OVComponents.exe"), std::wstring::npos);
  const HWND active = GetActiveWindow();
  const std::wstring support = L"Contact Orvane Software technical support at (555) 010-4477.";
  const struct {
    int result, answer;
    std::optional<INT_PTR> shell;
    int opened;
    std::wstring printed, told;
  } cases[] = {
      {-1, IDNO, std::nullopt, 0, L"", L""},
      {3, IDYES, std::nullopt, 1, L"\nDownloading " + address,
       L"Finish downloading OVComponents.exe.\nClose AutoCAD.\nRun OVComponents.exe.\nRestart AutoCAD.\n\nIf you "
       L"continue to have problems, contact Orvane Software technical support."},
      {-1, IDYES, SE_ERR_FNF, 1, L"\nError downloading " + address + L"\n" + support,
       L"Error downloading OVComponents.exe.\nContact Orvane Software technical support.\n" + support},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer == IDNO ? "declined" : c.shell ? "failing shell" : "accepted");
    ui_.boxes.clear();
    output_.clear();
    clearShellExecuteCalls();
    clearWindowActivations();
    setShellExecuteResult(c.shell);
    ui_.answers.push_back(c.answer);
    EXPECT_EQ(ovDialogFailureCheck(c.result), c.result);
    ASSERT_EQ(ui_.boxes.size(), c.told.empty() ? 1u : 2u);
    for (const auto& box : ui_.boxes) EXPECT_EQ(box.title, L"Orvane Error");
    EXPECT_EQ(ui_.boxes[0].text, L"Dialog box could not be created.\nComponents need to be installed.\nWould you like "
                                 L"to download a fix to this error?");
    EXPECT_EQ(ui_.boxes[0].buttons, std::vector<int>({IDYES, IDNO}));
    if (!c.told.empty()) {
      EXPECT_EQ(ui_.boxes[1].text, c.told);
    }
    EXPECT_EQ(output_, c.printed);
    const std::vector<ShellExecuteCall> calls = shellExecuteCalls();
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(c.opened));
    for (const ShellExecuteCall& call : calls) EXPECT_EQ(call.operation + L" " + call.file, L"OPEN " + address);
    std::vector<HWND> restored;
    for (const WindowActivation& a : windowActivations())
      if (a.call == L"SetActiveWindow") restored.push_back(a.window);
    EXPECT_EQ(restored, std::vector<HWND>(ui_.boxes.size(), active));
  }
}

}  // namespace
