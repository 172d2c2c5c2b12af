// Message boxes, alerts and file dialogs through the UI drivers: how a box's style
// becomes buttons, icon and default, what the console driver prints, and how the
// scripted driver answers from an answer file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "arx/aced_alert.h"
#include "arx/aced_print.h"
#include "arx/resbuf.h"
#include "mfc/afx_module.h"
#include "mfc/main_window.h"
#include "mfc/message_box.h"
#include "mfc/ui_script.h"
#include "win/last_error.h"

namespace {

namespace fs = std::filesystem;

// Collects everything printed and puts the host's sink and the default driver back.
class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldSink_ = acedSetPrintSink([this](const std::wstring& text) { printed_ += text; });
    setUiDriver(nullptr);
  }
  void TearDown() override {
    setUiDriver(nullptr);
    acedSetPrintSink(oldSink_);
  }
  std::wstring printed_;
  AcedPrintSink oldSink_;
};

// A driver that remembers what it was shown and answers a fixed button.
class RecordingDriver : public UiDriver {
 public:
  struct Shown {
    std::wstring title, text;
    UiIcon icon;
    std::vector<int> buttons;
    int defaultAnswer;
  };
  int messageBox(const std::wstring& title, const std::wstring& text, UiIcon icon, const std::vector<int>& buttons,
                 int defaultAnswer) override {
    shown.push_back(Shown{title, text, icon, buttons, defaultAnswer});
    return answer ? answer : defaultAnswer;
  }
  std::optional<std::wstring> pickFile(const std::wstring&, const std::wstring&, const std::wstring&,
                                       const std::wstring&) override {
    return std::nullopt;
  }
  std::vector<Shown> shown;
  int answer = 0;
};

// ---- message boxes -----------------------------------------------------------------

// The style's button set, icon and default button reach the driver as the platform
// reads them.
TEST_F(UiTest, StyleBecomesButtonsIconAndDefault) {
  RecordingDriver driver;
  setUiDriver(&driver);
  MessageBox(nullptr, L"t", L"T", MB_OK);
  MessageBox(nullptr, L"t", L"T", MB_OKCANCEL | MB_ICONINFORMATION | MB_DEFBUTTON2);
  MessageBox(nullptr, L"t", L"T", MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3);
  MessageBox(nullptr, L"t", L"T", MB_YESNO | MB_ICONERROR | MB_DEFBUTTON3);  // no third: the first
  MessageBox(nullptr, L"t", L"T", MB_ABORTRETRYIGNORE | MB_ICONQUESTION | MB_TASKMODAL);
  MessageBox(nullptr, L"t", L"T", MB_RETRYCANCEL | MB_DEFBUTTON2);
  ASSERT_EQ(driver.shown.size(), 6u);
  EXPECT_EQ(driver.shown[0].buttons, std::vector<int>{IDOK});
  EXPECT_EQ(driver.shown[0].icon, UiIcon::None);
  EXPECT_EQ(driver.shown[1].buttons, (std::vector<int>{IDOK, IDCANCEL}));
  EXPECT_EQ(driver.shown[1].defaultAnswer, IDCANCEL);
  EXPECT_EQ(driver.shown[1].icon, UiIcon::Information);
  EXPECT_EQ(driver.shown[2].buttons, (std::vector<int>{IDYES, IDNO, IDCANCEL}));
  EXPECT_EQ(driver.shown[2].defaultAnswer, IDCANCEL);
  EXPECT_EQ(driver.shown[2].icon, UiIcon::Warning);
  EXPECT_EQ(driver.shown[3].defaultAnswer, IDYES);
  EXPECT_EQ(driver.shown[3].icon, UiIcon::Error);
  EXPECT_EQ(driver.shown[4].buttons, (std::vector<int>{IDABORT, IDRETRY, IDIGNORE}));
  EXPECT_EQ(driver.shown[4].icon, UiIcon::Question);
  EXPECT_EQ(driver.shown[5].defaultAnswer, IDCANCEL);
  EXPECT_TRUE(printed_.empty());
}

// Titles: the caller's, "Error" when none is given, the application's name for the
// framework's box and for a window's box without a title.
TEST_F(UiTest, TitlesAndTexts) {
  RecordingDriver driver;
  setUiDriver(&driver);
  MessageBox(nullptr, L"text", L"Orvane Plumbing", MB_OK);
  MessageBox(nullptr, nullptr, nullptr, MB_OK);
  AfxMessageBox(L"framework");
  acedGetAcadFrame()->MessageBox(L"owned");
  registerModuleResource(AfxGetInstanceHandle(), ResourceKind::String, 7001, L"From a resource");
  AfxMessageBox(7001, MB_YESNO);
  unregisterModuleResources(AfxGetInstanceHandle());
  ASSERT_EQ(driver.shown.size(), 5u);
  EXPECT_EQ(driver.shown[0].title, L"Orvane Plumbing");
  EXPECT_EQ(driver.shown[0].text, L"text");
  EXPECT_EQ(driver.shown[1].title, L"Error");
  EXPECT_EQ(driver.shown[1].text, L"");
  EXPECT_EQ(driver.shown[2].title, L"AutoCAD");
  EXPECT_EQ(driver.shown[3].title, L"AutoCAD");
  EXPECT_EQ(driver.shown[4].text, L"From a resource");
  EXPECT_EQ(driver.shown[4].buttons, (std::vector<int>{IDYES, IDNO}));
}

// A driver cannot press a button the box lacks, and a style with no button set is
// refused before any driver sees it.
TEST_F(UiTest, AnswersAreLimitedToTheBoxButtons) {
  RecordingDriver driver;
  setUiDriver(&driver);
  driver.answer = IDNO;
  EXPECT_EQ(MessageBox(nullptr, L"t", L"T", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBox(nullptr, L"t", L"T", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  driver.shown.clear();
  SetLastError(0);
  EXPECT_EQ(MessageBox(nullptr, L"t", L"T", 0xF), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(driver.shown.empty());
}

// Setting a driver answers the one before; null puts the console driver back.
TEST_F(UiTest, DriverSwitching) {
  RecordingDriver first, second;
  UiDriver* console = &uiDriver();
  EXPECT_EQ(setUiDriver(&first), console);
  EXPECT_EQ(setUiDriver(&second), &first);
  EXPECT_EQ(&uiDriver(), &second);
  EXPECT_EQ(setUiDriver(nullptr), &second);
  EXPECT_EQ(&uiDriver(), console);
  EXPECT_EQ(setUiDriver(console), console);
  EXPECT_EQ(&uiDriver(), console);
}

// The console driver prints the box and takes its default button, with the text's
// own line breaks; the lines start with a new line as command-line messages do.
TEST_F(UiTest, ConsoleDriverPrintsBoxAndDefault) {
  const int answer = MessageBox(nullptr,
                                L"Dialog box could not be created.\nComponents need to be installed.\n"
                                L"Would you like to download a fix to this error?",
                                L"Orvane Error", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  EXPECT_EQ(answer, IDNO);
  EXPECT_EQ(printed_,
            L"\n[Orvane Error] Dialog box could not be created.\nComponents need to be installed.\n"
            L"Would you like to download a fix to this error?\n-> No");
  printed_.clear();
  EXPECT_FALSE(uiDriver().pickFile(L"", L"Drawing (*.dwg)|*.dwg||", L"/blocks/", L"VALVE 1"));
  EXPECT_EQ(printed_, L"\n[Open] choose a file: Drawing (*.dwg)|*.dwg|| in /blocks/, proposed VALVE 1\n-> Cancel");
}

// An alert is an OK box with the host's title.
TEST_F(UiTest, AlertShowsOkBoxWithHostTitle) {
  RecordingDriver driver;
  setUiDriver(&driver);
  EXPECT_EQ(acedAlert(L"Failed to get block table!"), RTNORM);
  EXPECT_EQ(acedAlert(nullptr), RTERROR);
  ASSERT_EQ(driver.shown.size(), 1u);
  EXPECT_EQ(driver.shown[0].title, L"AutoCAD Message");
  EXPECT_EQ(driver.shown[0].text, L"Failed to get block table!");
  EXPECT_EQ(driver.shown[0].buttons, std::vector<int>{IDOK});
  setUiDriver(nullptr);
  acedAlert(L"Failed to append entity!");
  EXPECT_EQ(printed_, L"\n[AutoCAD Message] Failed to append entity!\n-> OK");
}

// ---- the scripted driver -----------------------------------------------------------

std::unique_ptr<ScriptedUiDriver> script(const std::string& text) {
  std::wstring error;
  auto driver = ScriptedUiDriver::fromText(text, "/some/where/ui.txt", error);
  EXPECT_TRUE(driver) << acutWideToUtf8(error);
  return driver;
}

// Answers are taken in order, whatever the case of their words; each box prints the
// same line as on the console with the answer given.
TEST_F(UiTest, ScriptAnswersInOrder) {
  auto driver = script(
      "# answers for the download offer\r\n"
      "\n"
      "MessageBox yes\r\n"
      "  messagebox   OK  \n"
      "file /tmp/blocks/GATE.dwg\n"
      "file-cancel\n"
      "messagebox try again\n");
  ASSERT_TRUE(driver);
  EXPECT_EQ(driver->remaining(), 5u);
  setUiDriver(driver.get());
  EXPECT_EQ(MessageBox(nullptr, L"Download?", L"Orvane Error", MB_YESNO | MB_DEFBUTTON2), IDYES);
  EXPECT_EQ(AfxMessageBox(L"Finish downloading"), IDOK);
  EXPECT_EQ(uiDriver().pickFile(L"Open", L"Drawing (*.dwg)|*.dwg||", L"", L""), L"/tmp/blocks/GATE.dwg");
  EXPECT_EQ(uiDriver().pickFile(L"Open", L"Drawing (*.dwg)|*.dwg||", L"", L""), std::nullopt);
  EXPECT_EQ(MessageBox(nullptr, L"Again?", L"T", MB_CANCELTRYCONTINUE), IDTRYAGAIN);
  EXPECT_EQ(driver->remaining(), 0u);
  EXPECT_EQ(printed_,
            L"\n[Orvane Error] Download?\n-> Yes"
            L"\n[AutoCAD] Finish downloading\n-> OK"
            L"\n[Open] choose a file: Drawing (*.dwg)|*.dwg||\n-> /tmp/blocks/GATE.dwg"
            L"\n[Open] choose a file: Drawing (*.dwg)|*.dwg||\n-> Cancel"
            L"\n[T] Again?\n-> Try Again");
}

// Out of answers, a box takes its default and a file dialog cancels, saying why.
TEST_F(UiTest, ScriptTakesDefaultWhenExhausted) {
  auto driver = script("messagebox No\n");
  ASSERT_TRUE(driver);
  setUiDriver(driver.get());
  EXPECT_EQ(MessageBox(nullptr, L"First", L"T", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBox(nullptr, L"Second", L"T", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBox(nullptr, L"Third", L"T", MB_OKCANCEL), IDOK);
  EXPECT_EQ(uiDriver().pickFile(L"Open", L"*.dwg", L"", L""), std::nullopt);
  EXPECT_EQ(printed_,
            L"\n[T] First\n-> No"
            L"\n[T] Second\n-> No (default; no answers left in ui.txt)"
            L"\n[T] Third\n-> OK (default; no answers left in ui.txt)"
            L"\n[Open] choose a file: *.dwg\n-> Cancel (default; no answers left in ui.txt)");
}

// An answer for another kind of dialog is left for that dialog; an answer naming a
// button the box lacks is used up and the default taken.
TEST_F(UiTest, ScriptMismatchesTakeDefault) {
  auto driver = script("file /x/a.dwg\nmessagebox Yes\nmessagebox Retry\n");
  ASSERT_TRUE(driver);
  setUiDriver(driver.get());
  EXPECT_EQ(MessageBox(nullptr, L"Box", L"T", MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
  EXPECT_EQ(driver->remaining(), 3u);
  EXPECT_EQ(uiDriver().pickFile(L"Open", L"*.dwg", L"", L""), L"/x/a.dwg");
  EXPECT_EQ(uiDriver().pickFile(L"Open", L"*.dwg", L"", L""), std::nullopt);
  EXPECT_EQ(driver->remaining(), 2u);
  EXPECT_EQ(MessageBox(nullptr, L"Only OK", L"T", MB_OK), IDOK);
  EXPECT_EQ(driver->remaining(), 1u);
  EXPECT_EQ(MessageBox(nullptr, L"Retry?", L"T", MB_RETRYCANCEL | MB_DEFBUTTON2), IDRETRY);
  EXPECT_EQ(printed_,
            L"\n[T] Box\n-> Cancel (default; line 1 of ui.txt is not an answer to a message box)"
            L"\n[Open] choose a file: *.dwg\n-> /x/a.dwg"
            L"\n[Open] choose a file: *.dwg\n-> Cancel (default; line 2 of ui.txt is not an answer to a file dialog)"
            L"\n[T] Only OK\n-> OK (default; line 2 of ui.txt answers Yes, which this box does not offer)"
            L"\n[T] Retry?\n-> Retry");
}

// A malformed answer file, answers and dialog actions alike, is refused with the file
// and line at fault; a good one reads whatever the case of its words.
TEST_F(UiTest, MalformedScriptsAreRefused) {
  struct Case {
    const char* text;
    const wchar_t* error;
  };
  const Case cases[] = {
      {"messagebox Yes\nmessagebox Maybe\n",
       L"ui.txt:2: \"Maybe\" is not a message box answer (OK, Cancel, Yes, No, Abort, Retry, Ignore, Try Again, "
       L"Continue)"},
      {"messagebox\n", L"ui.txt:1: \"\" is not a message box answer (OK, Cancel, Yes, No, Abort, Retry, Ignore, "
                       L"Try Again, Continue)"},
      {"# fine\nfile   \n", L"ui.txt:2: a file answer needs a path (file-cancel cancels the dialog)"},
      {"file-cancel now\n", L"ui.txt:1: file-cancel takes nothing after it"},
      {"\n\nclack OK\n", L"ui.txt:3: unknown answer \"clack\" (expected messagebox, file, item, input, their "
                         L"-cancel forms, dialog or a dialog action)"},
      {"dialog\n", L"ui.txt:1: a dialog line needs the dialog's name"},
      {"click\n", L"ui.txt:1: expected click CONTROL"},
      {"click \"New\n", L"ui.txt:1: expected click CONTROL"},
      {"item\n", L"ui.txt:1: an item answer needs a text (item-cancel cancels)"},
      {"input-cancel 3\n", L"ui.txt:1: input-cancel takes nothing after it"},
      {"# c\nselect 5 1\n", L"ui.txt:2: expected select GRID ROW COLUMN"},
      {"tick 5 1 1 maybe\n", L"ui.txt:1: expected tick GRID ROW COLUMN on|off"},
      {"escape now\n", L"ui.txt:1: expected escape"},
  };
  for (const Case& c : cases) {
    std::wstring error;
    EXPECT_EQ(ScriptedUiDriver::fromText(c.text, "ui.txt", error), nullptr) << c.text;
    EXPECT_EQ(error, c.error);
  }
  std::wstring error;
  EXPECT_NE(ScriptedUiDriver::fromText("cell 5 2 3 \"  padded \"\npick 5 2 4 Browse. . .\nCHECK 3 OFF\n", "x.ui", error),
            nullptr)
      << acutWideToUtf8(error);
}

// Installing for the console host: a good file becomes the current driver, a missing
// or malformed one is an error that leaves the driver as it was.
TEST_F(UiTest, InstallScriptedDriverFromFile) {
  const fs::path dir = fs::temp_directory_path() / ("ov_ui_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string good = (dir / "answers.txt").string();
  const std::string bad = (dir / "bad.txt").string();
  std::ofstream(good) << "messagebox Cancel\n";
  std::ofstream(bad) << "messagebox Cancel\nwhatever\n";

  UiDriver* console = &uiDriver();
  std::wstring error;
  EXPECT_FALSE(installScriptedUiDriver((dir / "missing.txt").string(), error));
  EXPECT_EQ(error, L"cannot read the answer file " + acutUtf8ToWide((dir / "missing.txt").string()));
  EXPECT_FALSE(installScriptedUiDriver(dir.string(), error));
  EXPECT_FALSE(installScriptedUiDriver(bad, error));
  EXPECT_EQ(error.substr(0, bad.size() + 3), acutUtf8ToWide(bad) + L":2:");
  EXPECT_EQ(&uiDriver(), console);

  ASSERT_TRUE(installScriptedUiDriver(good, error));
  EXPECT_NE(&uiDriver(), console);
  EXPECT_EQ(MessageBox(nullptr, L"Go on?", L"T", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(MessageBox(nullptr, L"Go on?", L"T", MB_OKCANCEL), IDOK);
  EXPECT_EQ(printed_, L"\n[T] Go on?\n-> Cancel\n[T] Go on?\n-> OK (default; no answers left in answers.txt)");
  fs::remove_all(dir);
}

}  // namespace
