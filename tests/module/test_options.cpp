// The options dialog driven by a user through the scripted driver on a standard
// project: what it shows, greying by the vertical method, what OK writes and what
// Cancel does not, and the key it answers.
#include "test_options_fixture.h"

namespace {

// Rows of the options grid, as a user counts them (row 0 is the heading).
constexpr int kBreakWidthRow = 2;
constexpr int kMethodRow = 3;
constexpr int kMinimumRow = 4;
constexpr int kDiameterRow = 5;
constexpr int kFittingsSectionRow = 8;
constexpr int kTextDistanceRow = 15;
constexpr int kApproximationRow = 32;
constexpr int kLinetypeFileRow = 35;
constexpr int kTitleJustificationRow = 36;

std::string cell(int row, const std::string& text) { return "cell 1052 " + std::to_string(row) + " 1 " + text + "\n"; }
std::string pick(int row, const std::string& text) { return "pick 1052 " + std::to_string(row) + " 1 " + text + "\n"; }

constexpr char kOpen[] = "dialog ov_plumb:Options\n";
constexpr char kOk[] = "click 1\n";
constexpr char kCancel[] = "click 2\n";
constexpr char kCall[] = "(ov_plumb-options \"B/\")";

using OptionsDialog = OptionsTest;

TEST_F(OptionsDialog, ShowsEveryRowWithItsStoredValue) {
  sql(L"update tblGlobal set dNumber = 2.125 where sKey = \"pipe-breakWidth\"");
  sql(L"update tblGlobal set dNumber = null where sKey = \"pipe-arcRadius\"");
  sql(L"update tblGlobal set dNumber = 0.333333 where sKey = \"pipe-leaderSize\"");
  sql(L"delete from tblGlobal where sKey = \"PTRAP-WIDTH\"");
  EXPECT_EQ(runWith(kCall, std::string(kOpen) + kCancel), L"(\"\")");
  ASSERT_EQ(watcher_->opened.size(), 1u);
  const OptionsGridView& seen = watcher_->opened[0];
  EXPECT_EQ(seen.caption, L"Orvane Plumbing Options");
  EXPECT_EQ(seen.name, L"ov_plumb:Options");
  ASSERT_EQ(seen.values.size(), 39u);  // the heading, 5 sections and 33 settings
  EXPECT_EQ(seen.value(L"pipe-breakWidth"), L"2.125");
  EXPECT_EQ(seen.value(L"pipe-arcRadius"), L"0");  // a number row without its number
  EXPECT_EQ(seen.value(L"pipe-leaderSize"), L"0.3333");
  EXPECT_EQ(seen.value(L"PTRAP-WIDTH"), L"");
  EXPECT_EQ(seen.value(L"pipe-verticalMethod"), L"Not to scale");
  EXPECT_EQ(seen.value(L"stackedFractions"), L"Yes");
  EXPECT_EQ(seen.value(L"pipe-showTicksBeforeValve"), L"No");
  EXPECT_EQ(seen.value(L"ELEVLABEL TOP LABEL"), L"TOP");
  EXPECT_EQ(seen.value(L"3DApproximation"), L"16");
  EXPECT_EQ(seen.keys[kFittingsSectionRow], L"");
  EXPECT_EQ(seen.keys[38], L"scheduleTitleContinued");
}

TEST_F(OptionsDialog, LabelsAndSectionsAreAsTheUserReadsThem) {
  runWith(kCall, std::string(kOpen) + kCancel);
  const OptionsGridView& seen = watcher_->opened[0];
  ASSERT_EQ(seen.labels.size(), 39u);
  EXPECT_EQ(seen.labels[1], L"Pipe Graphics");
  EXPECT_EQ(seen.labels[kMinimumRow], L"       Minimum vertical pipe diameter");
  EXPECT_EQ(seen.labels[kDiameterRow], L"       Not to scale vertical pipe diameter");
  EXPECT_EQ(seen.labels[seen.rowOf(L"ELEVLABEL BOTTOM LABEL")], L"Bottom label ");
  EXPECT_EQ(seen.labels[seen.rowOf(L"ELEVLABEL CENTERLINE LABEL")], L"Centerline label ");
  EXPECT_EQ(seen.labels[31], L"Miscellaneous");
  EXPECT_EQ(seen.labels[0], L"");
  EXPECT_EQ(seen.values[0], L"Value");
}

TEST_F(OptionsDialog, NewKeysAreAddedWithTheirRowKind) {
  sql(L"delete from tblGlobal where sKey in (\"PTRAP-WIDTH\", \"linetypeFile\", \"DrawHangers3D\")");
  runWith(kCall, std::string(kOpen) + cell(6, "7.25") + cell(kLinetypeFileRow, "my.lin") + kOk);
  std::unique_ptr<tblGlobal> number = stored(L"PTRAP-WIDTH");
  ASSERT_TRUE(number);
  EXPECT_TRUE(number->bNumeric());
  EXPECT_DOUBLE_EQ(number->dNumber(), 7.25);
  std::unique_ptr<tblGlobal> text = stored(L"linetypeFile");
  ASSERT_TRUE(text);
  EXPECT_FALSE(text->bNumeric());
  EXPECT_EQ(text->sText(), L"my.lin");
  // A yes/no row left empty is written as "NO".
  std::unique_ptr<tblGlobal> yesNo = stored(L"DrawHangers3D");
  ASSERT_TRUE(yesNo);
  EXPECT_FALSE(yesNo->bNumeric());
  EXPECT_EQ(yesNo->sText(), L"NO");
}

TEST_F(OptionsDialog, StoredRowsKeepTheirKindWhateverTheRow) {
  // A number row stored as text and a text row stored as a number.
  sql(L"update tblGlobal set bNumeric = 0, dNumber = null, sText = \"wide\" where sKey = \"pipe-textDistance\"");
  sql(L"update tblGlobal set bNumeric = -1, dNumber = 3, sText = null where sKey = \"linetypeFile\"");
  runWith(kCall, std::string(kOpen) + cell(kLinetypeFileRow, "7.5 in") + kOk);
  EXPECT_EQ(watcher_->opened[0].value(L"pipe-textDistance"), L"wide");
  EXPECT_EQ(watcher_->opened[0].value(L"linetypeFile"), L"3");
  std::unique_ptr<tblGlobal> distance = stored(L"pipe-textDistance");
  EXPECT_FALSE(distance->bNumeric());
  EXPECT_EQ(distance->sText(), L"wide");
  std::unique_ptr<tblGlobal> linetype = stored(L"linetypeFile");
  EXPECT_TRUE(linetype->bNumeric());
  EXPECT_DOUBLE_EQ(linetype->dNumber(), 7.5);
  EXPECT_TRUE(linetype->isNull_sText());
}

TEST_F(OptionsDialog, NumbersAreWrittenAsTheLeadingNumberOfTheirText) {
  runWith(kCall, std::string(kOpen) + cell(kBreakWidthRow, "4.5 inches") + cell(6, "wide") + kOk);
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-breakWidth"), 4.5);
  EXPECT_DOUBLE_EQ(storedNumber(L"PTRAP-WIDTH"), 0.0);
}

TEST_F(OptionsDialog, CircleApproximationIsWholeAndAtLeastEight) {
  const std::pair<std::string, double> cases[] = {{"5", 8.0}, {"12.7", 12.0}, {"none", 8.0}, {"-20", 8.0}, {"40", 40.0}};
  for (const auto& [typed, expected] : cases) {
    runWith(kCall, std::string(kOpen) + cell(kApproximationRow, typed) + kOk);
    EXPECT_DOUBLE_EQ(storedNumber(L"3DApproximation"), expected) << typed;
    std::unique_ptr<tblGlobal> row = stored(L"3DApproximation");
    EXPECT_TRUE(row->bNumeric());
  }
}

TEST_F(OptionsDialog, YesNoValuesShowCapitalisedAndAreWrittenUpperCase) {
  sql(L"update tblGlobal set sText = \"yes\" where sKey = \"stackedFractions\"");
  sql(L"update tblGlobal set sText = \"YES\" where sKey = \"DrawHangers3D\"");
  runWith(kCall, std::string(kOpen) + pick(9, "Yes") + kOk);
  const OptionsGridView& seen = watcher_->opened[0];
  EXPECT_EQ(seen.value(L"stackedFractions"), L"No");
  EXPECT_EQ(seen.value(L"DrawHangers3D"), L"Yes");
  EXPECT_EQ(storedText(L"stackedFractions"), L"NO");
  EXPECT_EQ(storedText(L"DrawHangers3D"), L"YES");
  EXPECT_EQ(storedText(L"pipe-showTicksBeforeValve"), L"YES");
}

TEST_F(OptionsDialog, CancelWritesNothing) {
  sql(L"update tblGlobal set sText = \"yes\" where sKey = \"stackedFractions\"");
  sql(L"delete from tblGlobal where sKey = \"PTRAP-WIDTH\"");
  runWith(kCall, std::string(kOpen) + cell(kBreakWidthRow, "9") + pick(kMethodRow, "To scale") + kCancel);
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-breakWidth"), 3.0);
  EXPECT_EQ(storedText(L"pipe-verticalMethod"), L"Not to scale");
  EXPECT_EQ(storedText(L"stackedFractions"), L"yes");
  EXPECT_FALSE(stored(L"PTRAP-WIDTH"));
  // Escape is a cancel too.
  runWith(kCall, std::string(kOpen) + cell(kBreakWidthRow, "9") + "escape\n");
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-breakWidth"), 3.0);
}

TEST_F(OptionsDialog, VerticalMethodGreysItsDependentRows) {
  // Stored "Not to scale": only the minimum is greyed and cannot be edited.
  runWith(kCall, std::string(kOpen) + cell(kMinimumRow, "9") + cell(kDiameterRow, "5") + pick(kMethodRow, "To scale") +
                     cell(kDiameterRow, "6") + kOk);
  const OptionsGridView& first = watcher_->opened[0];
  EXPECT_TRUE(first.isGrey(L"pipe-verticalMinimum"));
  EXPECT_FALSE(first.isGrey(L"pipe-verticalDiameter"));
  // Switching to "To scale" greys both at once; the diameter typed before it stays.
  const OptionsGridView& last = watcher_->closed[0];
  EXPECT_TRUE(last.isGrey(L"pipe-verticalMinimum"));
  EXPECT_TRUE(last.isGrey(L"pipe-verticalDiameter"));
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-verticalMinimum"), 2.0);
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-verticalDiameter"), 5.0);
  EXPECT_EQ(storedText(L"pipe-verticalMethod"), L"To scale");

  // Stored "To scale": both greyed from the start; "To scale with minimum" frees the
  // minimum only.
  runWith(kCall, std::string(kOpen) + pick(kMethodRow, "To scale with minimum") + cell(kMinimumRow, "1.5") +
                     cell(kDiameterRow, "7") + kOk);
  EXPECT_TRUE(watcher_->opened[0].isGrey(L"pipe-verticalMinimum"));
  EXPECT_TRUE(watcher_->opened[0].isGrey(L"pipe-verticalDiameter"));
  EXPECT_FALSE(watcher_->closed[0].isGrey(L"pipe-verticalMinimum"));
  EXPECT_TRUE(watcher_->closed[0].isGrey(L"pipe-verticalDiameter"));
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-verticalMinimum"), 1.5);
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-verticalDiameter"), 5.0);
}

TEST_F(OptionsDialog, NoStoredMethodGreysNothingUntilOneIsChosen) {
  sql(L"delete from tblGlobal where sKey = \"pipe-verticalMethod\"");
  runWith(kCall, std::string(kOpen) + cell(kMinimumRow, "2.5") + pick(kMethodRow, "Not to scale") + kOk);
  EXPECT_FALSE(watcher_->opened[0].isGrey(L"pipe-verticalMinimum"));
  EXPECT_FALSE(watcher_->opened[0].isGrey(L"pipe-verticalDiameter"));
  EXPECT_EQ(watcher_->opened[0].value(L"pipe-verticalMethod"), L"");
  EXPECT_TRUE(watcher_->closed[0].isGrey(L"pipe-verticalMinimum"));
  EXPECT_DOUBLE_EQ(storedNumber(L"pipe-verticalMinimum"), 2.5);
  EXPECT_EQ(storedText(L"pipe-verticalMethod"), L"Not to scale");
}

TEST_F(OptionsDialog, OnlyTheValueColumnOfSettingRowsIsEdited) {
  runWith(kCall, std::string(kOpen) + cell(kFittingsSectionRow, "x") + "cell 1052 2 0 Width\n" +
                     pick(kMethodRow, "Sideways") + cell(kTitleJustificationRow, "Right") +
                     pick(kTitleJustificationRow, "Left") + kOk);
  // Four refusals: the section row, the label, and two texts no choice offers.
  std::size_t refusals = 0;
  for (std::size_t at = output_.find(L"-> refused"); at != std::wstring::npos; at = output_.find(L"-> refused", at + 1))
    ++refusals;
  EXPECT_EQ(refusals, 4u) << output_;
  EXPECT_EQ(watcher_->closed[0].value(L"pipe-verticalMethod"), L"Not to scale");
  EXPECT_EQ(storedText(L"scheduleTitleJustification"), L"Left");
  EXPECT_FALSE(stored(L""));
}

TEST_F(OptionsDialog, AnswersTheKeySelectedLast) {
  // Nothing selected: the given key, by either button.
  EXPECT_EQ(runWith("(ov_plumb-options \"B/\" \"pipe-arcRadius\")", std::string(kOpen) + kCancel),
            L"(\"pipe-arcRadius\")");
  EXPECT_EQ(runWith("(ov_plumb-options \"B/\" \"pipe-arcRadius\")", std::string(kOpen) + kOk), L"(\"pipe-arcRadius\")");
  // The row selected last, by a click or by an edit.
  EXPECT_EQ(runWith(kCall, std::string(kOpen) + "select 1052 2 1\nselect 1052 15 0\n" + kOk),
            L"(\"pipe-textDistance\")");
  EXPECT_EQ(runWith(kCall, std::string(kOpen) + "select 1052 2 1\n" + cell(kApproximationRow, "20") + kCancel),
            L"(\"3DApproximation\")");
  // A section row gives an empty key.
  EXPECT_EQ(runWith("(ov_plumb-options \"B/\" \"pipe-arcRadius\")",
                    std::string(kOpen) + "select 1052 2 1\nselect 1052 8 0\n" + kOk),
            L"(\"\")");
}

TEST_F(OptionsDialog, StartsOnTheGivenKeyEditingItWhenAsked) {
  runWith("(ov_plumb-options \"B/\" \"pipe-textDistance\" T)", std::string(kOpen) + kCancel);
  EXPECT_EQ(watcher_->opened[0].selectedRow, kTextDistanceRow);
  EXPECT_EQ(watcher_->opened[0].editRow, kTextDistanceRow);
  // Without the flag the row is selected only; a greyed row is never edited.
  runWith("(ov_plumb-options \"B/\" \"pipe-textDistance\")", std::string(kOpen) + kCancel);
  EXPECT_EQ(watcher_->opened[0].selectedRow, kTextDistanceRow);
  EXPECT_EQ(watcher_->opened[0].editRow, -1);
  runWith("(ov_plumb-options \"B/\" \"pipe-verticalMinimum\" T)", std::string(kOpen) + kCancel);
  EXPECT_EQ(watcher_->opened[0].selectedRow, kMinimumRow);
  EXPECT_EQ(watcher_->opened[0].editRow, -1);
  // A key no row has selects nothing, and is still the answer.
  EXPECT_EQ(runWith("(ov_plumb-options \"B/\" \"no such key\" T)", std::string(kOpen) + kCancel),
            L"(\"no such key\")");
  EXPECT_EQ(watcher_->opened[0].selectedRow, -1);
}

}  // namespace
