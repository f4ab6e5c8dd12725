// The "Meta-Data" page on its own, inside a parent that records what the
// page reports, showing objects of the sample field or objects built here.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <ombrix_field/ofd.h>
#include <ombrix_model/angles.h>
#include <ombrix_testsupport/temp_folder.h>

#include "ombrix_app/meta_data_pane.h"

using namespace ombrix_app;
using ombrix_model::DegreesToRadians;
using ombrix_model::HoursToRadians;

namespace {

void Pump() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

bool IsReadOnly(const vcont::CEditBox* box) { return static_cast<QLineEdit*>(box->Peer())->isReadOnly(); }

// The page's owner: keeps the codes of the events that reach it.
class CRecordingParent : public view::CNodeView {
 public:
  void ReceiveEvent(vcore::TEvent& event) override {
    if (event.kind == vcore::evControl) codes.push_back(event.code);
  }
  std::vector<std::uint32_t> codes;
};

class MetaDataPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view::EnsureApplication();
    owner.Init(nullptr, vcom::CRect(0, 0, 900, 500));
    page.Init(&owner, vcom::CRect(0, 0, 900, 500));
    owner.Show();
    Pump();
  }
  void TearDown() override {
    page.Done();
    owner.Done();
  }

  std::string Repository() const {
    return std::filesystem::canonical(std::string(OMBRIX_TEST_DATA) + "/../../..").string() + "/";
  }
  ombrix_data::TFieldLoadContext LoadContext() {
    root = Repository();
    ombrix_data::TFieldLoadContext context;
    context.folders = {root.c_str(), ""};
    return context;
  }
  // Shows the first object of the sample field ("V0501 Lyr", manual entry).
  ombrix_data::CObjectListElem& ShowSampleObject() {
    bool changed = false;
    EXPECT_TRUE(ombrix_data::LoadField((Repository() + "samples/field/sample.ofd").c_str(), LoadContext(), field,
                                       changed));
    page.ShowObject(field.First());
    owner.codes.clear();
    return *field.First();
  }
  // An object of the field built here, its own meta-data in use.
  ombrix_data::CObjectListElem& ShowNewObject() {
    auto* object = new ombrix_data::CObjectListElem;
    object->metaDataSource = ombrix_data::mdsManualEntry;
    field.Append(object);
    page.ShowObject(object);
    owner.codes.clear();
    return *object;
  }
  vcont::CEditBox& Edit(const std::string& section, const std::string& label, int column) {
    vcont::CEditBox* box = page.EditCell(section, label, column);
    EXPECT_NE(box, nullptr) << section << " " << label << " " << column;
    return box ? *box : page.name;
  }
  std::vector<std::uint32_t> Reported() {
    std::vector<std::uint32_t> codes;
    codes.swap(owner.codes);
    return codes;
  }

  CRecordingParent owner;
  CMetaDataPane page;
  ombrix_data::CField field;
  std::string root;
};

using Codes = std::vector<std::uint32_t>;

TEST(MetaDataCoordinates, ShownSexagesimalWithSpacesAndReadBackInRadians) {
  const double ra = HoursToRadians(12 + 30 / 60.0 + 5.123 / 3600);
  const double dec = DegreesToRadians(45 + 10 / 60.0 + 5.12 / 3600);
  EXPECT_EQ(RightAscensionText(ra), "12 30 05.123");
  EXPECT_EQ(DeclinationText(dec), "+45 10 05.12");
  EXPECT_EQ(DeclinationText(DegreesToRadians(-0.5)), "-00 30 00.00");
  EXPECT_EQ(DeclinationText(0.0), "+00 00 00.00");
  // Rounded seconds carry into the minutes.
  EXPECT_EQ(RightAscensionText(HoursToRadians(12 + 30 / 60.0 + 59.9996 / 3600)), "12 31 00.000");
  EXPECT_EQ(RightAscensionText(ombrix_data::kUnknownRA), "");
  EXPECT_EQ(DeclinationText(ombrix_data::kUnknownDec), "");

  for (const char* text : {"12 30 05.123", "12:30:05.123", "12h30m05.123", " 12 30 05.123 "})
    EXPECT_NEAR(ParseRightAscension(text), ra, 1e-12) << text;
  EXPECT_NEAR(ParseDeclination("+45 10 05.12"), dec, 1e-12);
  EXPECT_NEAR(ParseDeclination("-00 30 00"), DegreesToRadians(-0.5), 1e-12);
  for (const char* text : {"", "12.5", "12 30", "abc"}) {
    EXPECT_EQ(ParseRightAscension(text), ombrix_data::kUnknownRA) << text;
    EXPECT_EQ(ParseDeclination(text), ombrix_data::kUnknownDec) << text;
  }
  for (const char* text : {"00 00 00.000", "23 59 59.999", "05 04 03.021"})
    EXPECT_EQ(RightAscensionText(ParseRightAscension(text)), text);
  for (const char* text : {"-89 59 59.99", "+90 00 00.00", "-00 00 00.01", "+07 08 09.10"})
    EXPECT_EQ(DeclinationText(ParseDeclination(text)), text);
}

TEST_F(MetaDataPaneTest, ShowsTheObjectUnderTheLabelsOfThePage) {
  ShowSampleObject();
  const char* const labels[] = {"Name:",      "Alternate name:", "Variability type:",  "Comment:",
                                "M0:",        "Period:",         "Backup M0:",         "Backup Period:",
                                "Maximal magnitude:", "Minimal magnitude:", "Source of Object meta-data:"};
  for (int i = 0; i < kMetaDataLabelCount; ++i) EXPECT_EQ(page.labels[i].Text(), labels[i]);
  EXPECT_EQ(page.columnTitles[mcObject].Text(), "Object meta-data:");
  EXPECT_EQ(page.columnTitles[mcSeries].Text(), "Series meta-data:");
  EXPECT_EQ(page.columnTitles[mcFile].Text(), "Series file meta-data:");
  EXPECT_EQ(page.backupButton.Label(), "Backup M0, Period");
  EXPECT_EQ(page.restoreButton.Label(), "Restore M0, Period");
  ASSERT_EQ(page.source.Count(), 5);
  EXPECT_EQ(page.source.ItemText(0), "Manual entry");
  EXPECT_EQ(page.source.ItemText(4), "Newest series file date");
  EXPECT_EQ(page.variabilityType.Count(), 18);

  EXPECT_EQ(page.name.Text(), "V0501 Lyr");
  EXPECT_EQ(page.altName.Text(), "GSC 03130-00721");
  EXPECT_EQ(page.variabilityType.Text(), "EA (Algol)");
  EXPECT_EQ(page.comment.Text(), "sample");
  EXPECT_EQ(page.m0.Text(), "2459398.41237");
  EXPECT_EQ(page.period.Text(), "1.0723456");
  EXPECT_EQ(page.savedPeriod.Text(), "1.0723456");  // loading backs M0 and period up
  EXPECT_EQ(page.maxMagnitude.Text(), "");  // 100: unknown
  EXPECT_EQ(page.source.Selection(), 0);

  for (const char* label : {"Var aperture:", "Cmp aperture:", "Chk aperture:", "Filter:"})
    EXPECT_NE(page.EditCell("", label, mcObject), nullptr) << label;
  EXPECT_NE(page.ListCell("", "JD type:", mcObject), nullptr);
  EXPECT_NE(page.ListCell("", "Brightness unit", mcObject), nullptr);
  EXPECT_EQ(page.Sections(), (std::vector<std::string>{"VAR", "CMP0"}));
  for (const char* label : {"Name:", "R.A.:", "Dec.:", "Catalog:", "Catalog Id: ", "Catalog R.A.:", "Catalog Dec.:",
                            "Catalog Mag.:", "Catalog B-V:", "Catalog J-K:"})
    EXPECT_NE(page.EditCell("CMP0", label, mcObject), nullptr) << label;
  EXPECT_EQ(Edit("VAR", "Name:", mcObject).Text(), "V0501 Lyr");
  EXPECT_EQ(Edit("VAR", "R.A.:", mcObject).Text(), "18 55 12.300");
  EXPECT_EQ(Edit("VAR", "Dec.:", mcObject).Text(), "+36 12 40.00");
  EXPECT_EQ(Edit("CMP0", "Catalog Mag.:", mcObject).Text(), "11.412");
  EXPECT_EQ(Edit("CMP0", "Catalog B-V:", mcObject).Text(), "");
  EXPECT_EQ(page.Cell("", "Number of CMP stars:", mcObject), &page.cmpCount);
  EXPECT_EQ(page.cmpCount.Value(), 1);
  EXPECT_TRUE(page.cmpCount.IsEnabled());
  EXPECT_EQ(page.chkCount.Value(), 0);
  EXPECT_TRUE(owner.codes.empty());
}

TEST_F(MetaDataPaneTest, WithoutSourceSeriesTheSeriesColumnsAreEmptyAndReadOnly) {
  ShowSampleObject();
  ASSERT_EQ(page.SourceSeries(), nullptr);
  for (int column : {mcSeries, mcFile}) {
    for (const char* label : {"Var aperture:", "Filter:"}) {
      EXPECT_EQ(Edit("", label, column).Text(), "");
      EXPECT_TRUE(IsReadOnly(&Edit("", label, column)));
    }
    EXPECT_EQ(Edit("VAR", "R.A.:", column).Text(), "");
    EXPECT_TRUE(IsReadOnly(&Edit("VAR", "R.A.:", column)));
    EXPECT_EQ(Edit("", "Number of CMP stars:", column).Text(), "");
    EXPECT_EQ(page.Cell("CMP0", "Name:", column), nullptr);
  }
  vcont::CComboBox* jdType = page.ListCell("", "JD type:", mcSeries);
  ASSERT_NE(jdType, nullptr);
  EXPECT_FALSE(jdType->IsEnabled());
  EXPECT_EQ(jdType->Selection(), -1);
  EXPECT_FALSE(IsReadOnly(&Edit("VAR", "R.A.:", mcObject)));

  // No object at all: nothing to edit.
  page.ShowObject(nullptr);
  EXPECT_EQ(page.name.Text(), "");
  EXPECT_FALSE(page.name.IsEnabled());
  EXPECT_FALSE(page.backupButton.IsEnabled());
  EXPECT_FALSE(page.cmpCount.IsEnabled());
  EXPECT_TRUE(IsReadOnly(&Edit("VAR", "Name:", mcObject)));
  EXPECT_TRUE(owner.codes.empty());
}

TEST_F(MetaDataPaneTest, ASourceSeriesFillsTheSeriesColumnsAndItsFileColumnCannotBeEdited) {
  ombrix_data::CObjectListElem& object = ShowSampleObject();
  page.source.SetSelection(ombrix_data::mdsNewestSeriesFileDate, true);
  EXPECT_EQ(object.metaDataSource, ombrix_data::mdsNewestSeriesFileDate);
  EXPECT_EQ(Reported(), Codes{kMetaDataSourceEditedId});
  ombrix_data::CSeriesTreeElem* series = page.SourceSeries();
  ASSERT_NE(series, nullptr);
  EXPECT_EQ(series, object.MetaDataSourceSeries());

  EXPECT_EQ(Edit("", "JD type:", mcFile).Text(), "Heliocentric");
  EXPECT_EQ(Edit("", "Brightness unit", mcFile).Text(), "Magnitude");
  EXPECT_EQ(Edit("", "Var aperture:", mcFile).Text(), "4");
  EXPECT_EQ(Edit("", "Filter:", mcFile).Text(), series->dataMetaData.filter);
  EXPECT_EQ(Edit("VAR", "R.A.:", mcFile).Text(), "18 55 12.300");
  EXPECT_EQ(Edit("CMP0", "Name:", mcFile).Text(), "GSC 03130-00801");
  EXPECT_EQ(Edit("", "Number of CMP stars:", mcFile).Text(), "1");
  EXPECT_EQ(Edit("", "Number of CMP stars:", mcSeries).Text(), "0");
  EXPECT_EQ(page.Cell("CMP0", "Name:", mcSeries), nullptr);  // the series states no comparison star

  // The file column shows what the file says and nothing typed reaches it.
  vcont::CEditBox& fileName = Edit("VAR", "Name:", mcFile);
  EXPECT_TRUE(IsReadOnly(&fileName));
  EXPECT_TRUE(IsReadOnly(&Edit("", "JD type:", mcFile)));
  fileName.SetText("Typed", true);
  EXPECT_STREQ(series->dataMetaData.var.name, "V0501 Lyr");
  EXPECT_TRUE(Reported().empty());

  // The series column edits the series' stated meta-data.
  vcont::CEditBox& filter = Edit("", "Filter:", mcSeries);
  EXPECT_FALSE(IsReadOnly(&filter));
  filter.SetText("B", true);
  EXPECT_STREQ(series->fieldMetaData.filter, "B");
  Edit("VAR", "Dec.:", mcSeries).SetText("+36 12 40", true);
  EXPECT_NEAR(series->fieldMetaData.var.dec, DegreesToRadians(36 + 12 / 60.0 + 40 / 3600.0), 1e-12);
  ASSERT_NE(page.ListCell("", "JD type:", mcSeries), nullptr);
  page.ListCell("", "JD type:", mcSeries)->SetSelection(0, true);
  EXPECT_EQ(series->fieldMetaData.jdType, ombrix_data::jdGeocentric);
  EXPECT_EQ(Reported(), (Codes{kMetaDataEditedId, kMetaDataEditedId, kMetaDataEditedId}));

  // The star arrays are sized by hand only with "Manual entry".
  EXPECT_FALSE(page.cmpCount.IsEnabled());
  page.cmpCount.SetValue(3, true);
  EXPECT_EQ(object.metaData.cmpCount, 1u);
  EXPECT_EQ(page.cmpCount.Value(), 1);
  EXPECT_TRUE(Reported().empty());

  page.source.SetSelection(ombrix_data::mdsManualEntry, true);
  EXPECT_EQ(page.SourceSeries(), nullptr);
  EXPECT_EQ(Edit("", "Filter:", mcSeries).Text(), "");
  EXPECT_EQ(Reported(), Codes{kMetaDataSourceEditedId});
}

TEST_F(MetaDataPaneTest, BackupEditAndRestoreBringBackTheBackedUpPair) {
  ombrix_data::CObjectListElem& object = ShowSampleObject();
  const double m0 = object.m0, period = object.period;
  page.savedM0.SetText("", true);
  page.savedPeriod.SetText("", true);
  EXPECT_EQ(object.savedM0, 0.0);
  EXPECT_EQ(object.savedPeriod, 0.0);
  EXPECT_EQ(Reported(), (Codes{kMetaDataEditedId, kMetaDataEditedId}));
  page.backupButton.Press();
  EXPECT_EQ(object.savedM0, m0);
  EXPECT_EQ(object.savedPeriod, period);
  EXPECT_EQ(page.savedM0.Text(), "2459398.41237");
  EXPECT_EQ(page.savedPeriod.Text(), "1.0723456");

  page.m0.SetText("2459400.5", true);
  page.period.SetText("2.25", true);
  EXPECT_EQ(object.m0, 2459400.5);
  EXPECT_EQ(object.period, 2.25);
  EXPECT_EQ(object.savedM0, m0);

  page.restoreButton.Press();
  EXPECT_EQ(object.m0, m0);
  EXPECT_EQ(object.period, period);
  EXPECT_EQ(page.m0.Text(), "2459398.41237");
  EXPECT_EQ(page.period.Text(), "1.0723456");
  EXPECT_EQ(Reported(), (Codes{kMetaDataEditedId, kMetaDataElementsEditedId, kMetaDataElementsEditedId,
                               kMetaDataElementsEditedId}));
  // Nothing left to restore: no change reported.
  page.restoreButton.Press();
  EXPECT_TRUE(Reported().empty());
  // A period changed elsewhere is shown without a report.
  object.period = 1.5;
  page.RefreshFixedFields();
  EXPECT_EQ(page.period.Text(), "1.5");
  EXPECT_TRUE(Reported().empty());
}

TEST_F(MetaDataPaneTest, AClearedRightAscensionIsUnknownAndLeftOutOfTheFieldFile) {
  ombrix_data::CObjectListElem& object = ShowSampleObject();
  Edit("VAR", "R.A.:", mcObject).SetText("", true);
  EXPECT_EQ(object.metaData.var.ra, ombrix_data::kUnknownRA);
  Edit("CMP0", "Dec.:", mcObject).SetText("north of here", true);
  EXPECT_EQ(object.metaData.cmp[0].dec, ombrix_data::kUnknownDec);
  Edit("CMP0", "R.A.:", mcObject).SetText("18:55:41", true);
  EXPECT_NEAR(object.metaData.cmp[0].ra, HoursToRadians(18 + 55 / 60.0 + 41 / 3600.0), 1e-12);
  EXPECT_EQ(Reported(), (Codes{kMetaDataEditedId, kMetaDataEditedId, kMetaDataEditedId}));
  page.LoadData();
  EXPECT_EQ(Edit("CMP0", "R.A.:", mcObject).Text(), "18 55 41.000");
  EXPECT_EQ(Edit("VAR", "R.A.:", mcObject).Text(), "");

  ombrix_test::CTempFolder folder;
  ombrix_data::CScriptedUserIO io;
  const std::string path = folder.Path("field.ofd");
  ASSERT_TRUE(ombrix_data::SaveField(field, path.c_str(), io));
  const std::string text = ombrix_test::ReadFile(path);
  const std::size_t var = text.find("\t\tvar\r\n");
  const std::size_t endVar = text.find("end_var", var);
  ASSERT_NE(var, std::string::npos);
  const std::string written = text.substr(var, endVar - var);
  EXPECT_NE(written.find("star_name = \"V0501 Lyr\""), std::string::npos) << written;
  EXPECT_EQ(written.find("star_ra"), std::string::npos) << written;
  EXPECT_NE(written.find("star_dec"), std::string::npos) << written;

  ombrix_data::CField reloaded;
  bool changed = false;
  ASSERT_TRUE(ombrix_data::LoadField(path.c_str(), LoadContext(), reloaded, changed));
  EXPECT_EQ(reloaded.First()->metaData.var.ra, ombrix_data::kUnknownRA);
  EXPECT_EQ(reloaded.First()->metaData.cmp[0].dec, ombrix_data::kUnknownDec);
}

TEST_F(MetaDataPaneTest, TheStarCountsResizeTheObjectsArrays) {
  ombrix_data::CObjectListElem& object = ShowNewObject();
  for (std::uint32_t i = 0; i < 3; ++i) std::strcpy(object.metaData.ComparisonStar(i).name, std::string(1, 'A' + i).c_str());
  page.LoadData();
  EXPECT_EQ(page.Sections(), (std::vector<std::string>{"VAR", "CMP0", "CMP1", "CMP2"}));
  EXPECT_EQ(Edit("CMP2", "Name:", mcObject).Text(), "C");

  page.cmpCount.SetValue(1, true);
  ASSERT_EQ(object.metaData.cmpCount, 1u);
  EXPECT_STREQ(object.metaData.cmp[0].name, "A");
  EXPECT_EQ(page.Sections(), (std::vector<std::string>{"VAR", "CMP0"}));
  EXPECT_EQ(page.Cell("CMP1", "Name:", mcObject), nullptr);

  page.cmpCount.SetValue(2, true);
  ASSERT_EQ(object.metaData.cmpCount, 2u);
  EXPECT_STREQ(object.metaData.cmp[0].name, "A");
  EXPECT_FALSE(object.metaData.cmp[1].IsSet());  // defaults, not the dropped "B"
  EXPECT_EQ(Edit("CMP1", "Name:", mcObject).Text(), "");

  page.cmpCount.SetValue(0, true);
  EXPECT_EQ(object.metaData.cmpCount, 0u);
  EXPECT_EQ(object.metaData.cmp, nullptr);

  page.chkCount.SetValue(2, true);
  ASSERT_EQ(object.metaData.chkCount, 2u);
  EXPECT_EQ(object.metaData.chk[1].ra, ombrix_data::kUnknownRA);
  EXPECT_EQ(page.Sections(), (std::vector<std::string>{"VAR", "CHK0", "CHK1"}));
  Edit("CHK1", "Catalog Mag.:", mcObject).SetText("9.5", true);
  EXPECT_EQ(object.metaData.chk[1].catalogMag, 9.5);
  EXPECT_EQ(Reported(), (Codes{kMetaDataEditedId, kMetaDataEditedId, kMetaDataEditedId, kMetaDataEditedId,
                               kMetaDataEditedId}));
}

TEST_F(MetaDataPaneTest, JDTypeAndUnitListsSetOneOrTwoAndNoChoiceLeavesTheField) {
  ombrix_data::CObjectListElem& object = ShowNewObject();
  vcont::CComboBox* jdType = page.ListCell("", "JD type:", mcObject);
  vcont::CComboBox* unit = page.ListCell("", "Brightness unit", mcObject);
  ASSERT_TRUE(jdType && unit);
  EXPECT_EQ(jdType->ItemText(0), "Geocentric");
  EXPECT_EQ(jdType->ItemText(1), "Heliocentric");
  EXPECT_EQ(unit->ItemText(0), "Magnitude");
  EXPECT_EQ(unit->ItemText(1), "Flux");
  EXPECT_EQ(jdType->Selection(), -1);  // 0: unknown

  jdType->SetSelection(1, true);
  EXPECT_EQ(object.metaData.jdType, ombrix_data::jdHeliocentric);
  jdType->SetSelection(0, true);
  EXPECT_EQ(object.metaData.jdType, ombrix_data::jdGeocentric);
  jdType->SetSelection(-1, true);
  EXPECT_EQ(object.metaData.jdType, ombrix_data::jdGeocentric);
  unit->SetSelection(1, true);
  EXPECT_EQ(object.metaData.valueUnit, ombrix_data::unitFlux);
  unit->SetSelection(0, true);
  EXPECT_EQ(object.metaData.valueUnit, ombrix_data::unitMagnitude);
  EXPECT_EQ(Reported(), (Codes{kMetaDataEditedId, kMetaDataEditedId, kMetaDataEditedId, kMetaDataEditedId}));
  page.LoadData();
  EXPECT_EQ(page.ListCell("", "JD type:", mcObject)->Selection(), 0);
}

TEST_F(MetaDataPaneTest, EveryEditReachesTheModelAndTellsTheOwnerWhatChanged) {
  ombrix_data::CObjectListElem& object = ShowNewObject();
  page.name.SetText("V1234 Cyg", true);
  page.altName.SetText("GSC 1", true);
  page.comment.SetText("detached", true);
  EXPECT_STREQ(object.name, "V1234 Cyg");
  EXPECT_STREQ(object.altName, "GSC 1");
  EXPECT_STREQ(object.comment, "detached");
  EXPECT_EQ(Reported(), (Codes{kMetaDataLabelEditedId, kMetaDataLabelEditedId, kMetaDataLabelEditedId}));

  // Choosing an item of the editable list changes its text as well: one report.
  page.variabilityType.SetSelection(2, true);
  EXPECT_STREQ(object.variabilityType, "EW (W UMa)");
  page.variabilityType.SetText("RS CVn", true);
  EXPECT_STREQ(object.variabilityType, "RS CVn");
  EXPECT_EQ(Reported(), (Codes{kMetaDataTypeEditedId, kMetaDataTypeEditedId}));

  page.period.SetText("0.5", true);
  EXPECT_EQ(Reported(), Codes{kMetaDataElementsEditedId});
  page.maxMagnitude.SetText("12.5", true);
  page.minMagnitude.SetText(" 13.25 ", true);
  EXPECT_EQ(object.maxMagnitude, 12.5);
  EXPECT_EQ(object.minMagnitude, 13.25);
  page.maxMagnitude.SetText("", true);  // back to unknown
  EXPECT_EQ(object.maxMagnitude, ombrix_data::kUnknownMagnitude);
  page.minMagnitude.SetText("faint", true);  // no number: kept, nothing reported
  EXPECT_EQ(object.minMagnitude, 13.25);
  Edit("", "Var aperture:", mcObject).SetText("4.5", true);
  EXPECT_EQ(object.metaData.varAperture, 4.5);
  Edit("VAR", "Catalog Id: ", mcObject).SetText("TIC 42", true);
  EXPECT_STREQ(object.metaData.var.catalogId, "TIC 42");
  EXPECT_EQ(Reported(), (Codes{kMetaDataEditedId, kMetaDataEditedId, kMetaDataEditedId, kMetaDataEditedId,
                               kMetaDataEditedId}));

  // Texts stop at the length of their field.
  Edit("", "Filter:", mcObject).SetText("a filter name longer than fifteen", true);
  EXPECT_EQ(std::string(object.metaData.filter), std::string("a filter name longer than fifteen").substr(0, 15));
  EXPECT_EQ(Reported(), Codes{kMetaDataEditedId});
  // Showing the object again reports nothing.
  page.ShowObject(&object);
  EXPECT_TRUE(Reported().empty());
  EXPECT_EQ(page.period.Text(), "0.5");
}

TEST_F(MetaDataPaneTest, ThePageScrollsToItsLastRow) {
  ombrix_data::CObjectListElem& object = ShowNewObject();
  object.metaData.ComparisonStar(2);
  object.metaData.CheckStar(1);
  // Built while the tab is hidden, the rows appear with it.
  owner.Show(false);
  page.LoadData();
  owner.Show(true);
  Pump();
  EXPECT_TRUE(Edit("CHK1", "Name:", mcObject).Peer()->isVisible());
  EXPECT_GT(page.ContentHeight(), page.GetRect().height);
  const vcom::CRect last = Edit("CHK1", "Catalog J-K:", mcObject).GetRect();
  EXPECT_LE(last.y + last.height, page.ContentHeight());
  page.scroller.ScrollTo(0, page.ContentHeight());
  EXPECT_GT(page.scroller.ScrollY(), last.y + last.height - page.GetRect().height);

  // With OMBRIX_SCREENSHOT_DIR set, the page of a sample object is saved
  // there as a PNG picture, once as the tab shows it and once whole.
  const char* folder = std::getenv("OMBRIX_SCREENSHOT_DIR");
  if (!folder) return;
  page.ShowObject(nullptr);
  ShowSampleObject();
  page.source.SetSelection(ombrix_data::mdsNewestSeriesFileDate, true);
  page.scroller.ResetScroll();
  Pump();
  for (view::CView* shown : std::initializer_list<view::CView*>{&owner, &page.content}) {
    vimage::CImage image;
    ASSERT_TRUE(shown->Grab(image));
    char why[128] = "";
    const std::string name = shown == &owner ? "/meta_data_tab.png" : "/meta_data_whole.png";
    EXPECT_TRUE(image.Save((folder + name).c_str(), vimage::ifPNG, 0, sizeof why - 1, why)) << why;
  }
}

}  // namespace
