// The observation sheet over a small field: rows, cells, night columns,
// refreshes, copy with headers and sort requests.
#include <gtest/gtest.h>

#include <corekit/clipboard.h>
#include <ombrix_model/angles.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "ombrix_views/observation_sheet.h"
#include "screenshots.h"

namespace {

using namespace ombrix_data;
using ombrix_sht::CObservationSheet;
using ombrix_views_test::SaveShot;

double Degrees(double degrees) { return ombrix_model::DegreesToRadians(degrees); }

CObjectListElem* AddObject(CField& field, const char* name, const char* alternate = "") {
  auto* o = new CObjectListElem;
  std::snprintf(o->name, sizeof o->name, "%s", name);
  std::snprintf(o->altName, sizeof o->altName, "%s", alternate);
  o->metaDataSource = mdsManualEntry;
  field.Append(o);
  return o;
}

void AddSeries(CObjectListElem& o, double start, double end) {
  auto* s = new CLocalSeriesTreeElem;
  s->InsertPoint({start, 10.0, 0.01});
  s->InsertPoint({end, 10.2, 0.01});
  EXPECT_TRUE(o.InsertSeries(s));
}

// Headers of the shown table, in order.
std::vector<std::string> Headers(CObservationSheet& sheet) {
  std::vector<std::string> headers;
  const gridon::CTableListElem* table = sheet.GetPTable(ombrix_sht::kSheetTable);
  for (vlist::CListElem* e = table ? table->columns.first : nullptr; e; e = e->next)
    headers.push_back(static_cast<gridon::CColumnListElem*>(e)->header);
  return headers;
}

std::vector<std::string> Row(CObservationSheet& sheet, uint32_t row) {
  std::vector<std::string> cells;
  for (uint32_t c = 1; c <= sheet.Columns(); ++c) cells.push_back(sheet.CellText(ombrix_sht::kSheetTable, row, c));
  return cells;
}

// Text measured at 7 pixels a byte, so that widths are exact.
class CTestSheet : public CObservationSheet {
 public:
  int32_t MeasureText(const vfont::CFont*, int32_t length, const char*) override { return 7 * length; }
};

const std::vector<std::string> kFixedHeaders = {
    "Name", "Alternate name", "Type",    "Comment",   "M0",        "Period",   "Max. Mag", "Min. Mag", "R.A.",
    "Dec.", "Catalog",        "Cat. Id", "Cat. R.A.", "Cat. Dec.", "Cat. Mag", "Cat. B-V", "Cat. J-K"};

class ObservationSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Night dates are local dates.
    setenv("TZ", "UTC", 1);
    tzset();
    view::EnsureApplication();
    ASSERT_TRUE(sheet.Init(nullptr, vcom::CRect(0, 0, 900, 160)));
    vcom::SetClipboardProvider(&clipboard);
    field.Init();

    // AB Cyg: series from 2459000.2 and 2459000.9 (one night) and from
    // 2459001.1 (the next); CD Lyr: no coordinates, a series from
    // 2459001.7; EF Her: no series.
    CObjectListElem* ab = AddObject(field, "AB Cyg", "BD+30 1234");
    std::snprintf(ab->variabilityType, sizeof ab->variabilityType, "EA");
    std::snprintf(ab->comment, sizeof ab->comment, "deep primary");
    ab->m0 = 2459000.25;
    ab->period = 0.5;
    ab->maxMagnitude = 10.5;
    TStarData& star = ab->metaData.var;
    star.ra = Degrees(188.73662083);
    star.dec = Degrees(12.582441389);
    std::snprintf(star.catalog, sizeof star.catalog, "GSC");
    std::snprintf(star.catalogId, sizeof star.catalogId, "1234-5678");
    star.catalogDec = Degrees(-0.5);
    star.catalogMag = 10.524;
    star.catalogJK = 0.3;
    AddSeries(*ab, 2459000.2, 2459000.4);
    AddSeries(*ab, 2459000.9, 2459001.3);  // runs into the next night
    AddSeries(*ab, 2459001.1, 2459001.2);
    CObjectListElem* cd = AddObject(field, "CD Lyr");
    AddSeries(*cd, 2459001.7, 2459001.8);
    AddObject(field, "EF Her");
  }
  void TearDown() override {
    sheet.Done();
    field.Done();
    vcom::SetClipboardProvider(nullptr);
  }

  std::string Clipboard() {
    std::string text;
    EXPECT_TRUE(clipboard.GetText(text));
    return text;
  }

  vcom::CMemoryClipboard clipboard;
  CField field;
  CTestSheet sheet;
};

TEST_F(ObservationSheetTest, RowsHoldTheObjectsAndTheirNights) {
  sheet.Refresh(field);
  ASSERT_EQ(sheet.Rows(), 3u);
  ASSERT_EQ(sheet.Nights(), 2u);
  std::vector<std::string> headers = kFixedHeaders;
  headers.push_back("2020-05-30");
  headers.push_back("2020-05-31");
  EXPECT_EQ(Headers(sheet), headers);
  EXPECT_EQ(sheet.RowCount(), 3u);

  EXPECT_EQ(Row(sheet, 1), (std::vector<std::string>{"AB Cyg", "BD+30 1234", "EA", "deep primary", "2459000.2500000",
                                                     "0.5000000", "10.500", "", "12 34 56.789", "+12 34 56.79", "GSC",
                                                     "1234-5678", "", "-00 30 00.00", "10.52", "", "0.30", "x", "x"}));
  EXPECT_EQ(Row(sheet, 2), (std::vector<std::string>{"CD Lyr", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
                                                     "", "", "", "x"}));
  EXPECT_EQ(Row(sheet, 3)[0], "EF Her");
  EXPECT_EQ(Row(sheet, 3)[17], "");

  // Cells outside the table do not exist.
  char text[32];
  gridon::TColor colour = 0;
  uint32_t flags = 7;
  EXPECT_TRUE(sheet.DS_ReadDataString(1, 1, 19, 31, text, colour, flags));
  EXPECT_STREQ(text, "x");
  EXPECT_EQ(colour, gridon::kNoColour);
  EXPECT_EQ(flags, 0u);
  for (auto [row, column] : {std::pair{0u, 1u}, {4u, 1u}, {1u, 0u}, {1u, 20u}})
    EXPECT_FALSE(sheet.DS_ReadDataString(1, row, column, 31, text, colour, flags)) << row << "," << column;

  // Columns keep their widths and limits, widened where a header or a text
  // needs more: 15 characters of M0 and 10 of a date, 4 pixels of margin
  // on either side.
  const gridon::CTableListElem* table = sheet.GetPTable(1);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->flags, 15u);
  EXPECT_EQ(table->Column(4)->width, 200);
  EXPECT_EQ(table->Column(4)->maxChars, 128u);
  EXPECT_EQ(table->Column(5)->width, 15 * 7 + 8);
  EXPECT_EQ(table->Column(6)->width, 9 * 7 + 8);  // "0.5000000"
  EXPECT_EQ(table->Column(11)->width, 60);
  EXPECT_EQ(table->Column(7)->width, 8 * 7 + 8);  // "Max. Mag"
  EXPECT_EQ(table->Column(18)->width, 10 * 7 + 8);
  EXPECT_EQ(table->Column(18)->maxChars, 16u);
}

TEST_F(ObservationSheetTest, RefreshFollowsTheFieldAndCutsLongTexts) {
  sheet.Refresh(field);
  // A comment longer than its column, and one whose cut would split a
  // two-byte character.
  CObjectListElem* ab = field.First();
  std::snprintf(ab->comment, sizeof ab->comment, "%s", std::string(200, 'c').c_str());
  CObjectListElem* cd = CField::Next(ab);
  std::snprintf(cd->comment, sizeof cd->comment, "%s\u00E9", std::string(126, 'd').c_str());
  AddSeries(*AddObject(field, "GH Per"), 2459010.6, 2459010.7);
  sheet.Refresh(field);
  EXPECT_EQ(sheet.Rows(), 4u);
  EXPECT_EQ(sheet.Nights(), 3u);
  EXPECT_EQ(sheet.CellText(1, 1, 4), std::string(127, 'c'));
  EXPECT_EQ(sheet.CellText(1, 2, 4), std::string(126, 'd'));
  EXPECT_EQ(Row(sheet, 4)[19], "x");
  EXPECT_EQ(Headers(sheet).back(), "2020-06-09");

  // Without series only the fixed columns stay.
  CField bare;
  bare.Init();
  AddObject(bare, "IJ Tau");
  sheet.Refresh(bare);
  EXPECT_EQ(sheet.Rows(), 1u);
  EXPECT_EQ(Headers(sheet), kFixedHeaders);
  EXPECT_EQ(Row(sheet, 1)[0], "IJ Tau");
  bare.Done();
  sheet.Refresh(bare);
  EXPECT_EQ(sheet.Rows(), 0u);
  EXPECT_EQ(sheet.CopyText(true), "");
}

TEST_F(ObservationSheetTest, CopyWithHeadersGivesTheSelectedRow) {
  sheet.Refresh(field);
  ASSERT_TRUE(sheet.SelRowNumber(2));
  std::string headers;
  for (const std::string& h : Headers(sheet)) headers += (headers.empty() ? "" : "\t") + h;
  EXPECT_EQ(sheet.CopyText(true), headers + "\r\nCD Lyr" + std::string(18, '\t') + "x");
  EXPECT_TRUE(sheet.HandleCommand(gridon::cmCopyHeaders));
  EXPECT_EQ(Clipboard(), sheet.CopyText(true));
  EXPECT_TRUE(sheet.HandleCommand(gridon::cmCopy));
  EXPECT_EQ(Clipboard(), "CD Lyr" + std::string(18, '\t') + "x");
}

TEST_F(ObservationSheetTest, SortRequestsLeaveTheFieldOrder) {
  sheet.Refresh(field);
  sheet.SelSortColumn(1);
  sheet.SelSortColumn(1);
  EXPECT_EQ(sheet.GetPTable(1)->Column(1)->sortMark, gridon::skSecond);
  EXPECT_EQ(sheet.CellText(1, 1, 1), "AB Cyg");
  EXPECT_EQ(sheet.CellText(1, 3, 1), "EF Her");
}

TEST_F(ObservationSheetTest, RendersHeadersRowsAndMarks) {
  CObservationSheet shown;  // measured in its real font
  ASSERT_TRUE(shown.Init(nullptr, vcom::CRect(0, 0, 1900, 120)));
  shown.Refresh(field);
  vimage::CImage shot;
  ASSERT_TRUE(shown.RenderImage(shot));
  SaveShot(shot, "observation_sheet.png");
  EXPECT_EQ(shot.Width(), shown.SheetRect().width);
  // Ink in the name cell and in the night cells marked "x", none in the
  // unmarked one.
  auto inked = [&](uint32_t row, uint32_t column) {
    const vcom::CRect cell = shown.CellRect(row, column);
    int count = 0;
    for (int y = cell.y + 1; y < cell.y + cell.height - 1; ++y)
      for (int x = cell.x + 2; x < cell.x + cell.width - 2; ++x) {
        const vimage::byte* p = shot.Row(y) + 4 * x;
        count += p[0] < 128 && p[1] < 128 && p[2] < 128;
      }
    return count;
  };
  EXPECT_GT(inked(1, 1), 20);
  EXPECT_GT(inked(1, 18), 3);
  EXPECT_GT(inked(2, 19), 3);
  EXPECT_EQ(inked(2, 18), 0);
  shown.Done();
}

}  // namespace
