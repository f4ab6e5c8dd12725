// Coordinate texts and the expansion of the copy-info mask.
#include <gtest/gtest.h>

#include <string>

#include "export_test_field.h"
#include "ombrix_exports/copy_info.h"

namespace ombrix_export {
namespace {

using namespace ombrix_export_test;

constexpr double kHour = 15.0;  // degrees

TEST(CoordinateText, RightAscensionInItsThreeFormsAndDegrees) {
  const double ra = Degrees(188.73662083);
  EXPECT_EQ(RightAscensionText(ra, TCoordinateForm::spaced), "12 34 56.789");
  EXPECT_EQ(RightAscensionText(ra, TCoordinateForm::colon), "12:34:56.789");
  EXPECT_EQ(RightAscensionText(ra, TCoordinateForm::unit), "12h 34m 56.789s");
  EXPECT_EQ(RightAscensionDegreesText(ra), "188.73662083");
  EXPECT_EQ(RightAscensionText(Degrees(0.25 * kHour), TCoordinateForm::spaced), "00 15 00.000");
  EXPECT_EQ(RightAscensionText(ombrix_data::kUnknownRA, TCoordinateForm::spaced), "");
  EXPECT_EQ(RightAscensionDegreesText(ombrix_data::kUnknownRA), "");
}

TEST(CoordinateText, RoundedSecondsCarryIntoMinutesAndHours) {
  const double hours = 12 + 34 / 60.0 + 59.9996 / 3600;
  EXPECT_EQ(RightAscensionText(Degrees(hours * kHour), TCoordinateForm::spaced), "12 35 00.000");
  EXPECT_EQ(RightAscensionText(Degrees((5 + 59 / 60.0 + 59.9999 / 3600) * kHour), TCoordinateForm::colon),
            "06:00:00.000");
  // Two decimals of declination seconds: 59.996 would show as 60.00.
  EXPECT_EQ(DeclinationText(Degrees(10 + 59 / 60.0 + 59.996 / 3600), TCoordinateForm::spaced), "+11 00 00.00");
}

TEST(CoordinateText, DeclinationSignsAndForms) {
  EXPECT_EQ(DeclinationText(Degrees(-0.5), TCoordinateForm::spaced), "-00 30 00.00");
  EXPECT_EQ(DeclinationText(Degrees(0.5), TCoordinateForm::spaced), "+00 30 00.00");
  const double dec = Degrees(-(12 + 34 / 60.0 + 56.78 / 3600));
  EXPECT_EQ(DeclinationText(dec, TCoordinateForm::colon), "-12:34:56.78");
  EXPECT_EQ(DeclinationText(dec, TCoordinateForm::unit), "-12\xB0 34' 56.78\"");
  EXPECT_EQ(DeclinationDegreesText(Degrees(12.582441389)), "12.58244139");
  EXPECT_EQ(DeclinationText(ombrix_data::kUnknownDec, TCoordinateForm::unit), "");
}

TEST(CopyInfoMask, KeywordsExpandForTheObject) {
  CField field;
  BuildTestField(field);
  const CObjectListElem& ab = *field.At(0);
  EXPECT_EQ(ExpandCopyInfoMask(kDefaultCopyDataMask, ab, "field"), "12 34 56.789 +12 34 56.79");
  EXPECT_EQ(ExpandCopyInfoMask("%RA%|%RA%", ab, ""), "12 34 56.789|12 34 56.789");
  EXPECT_EQ(ExpandCopyInfoMask("%FIELD%:%OBJ_NAME%/%ALT_OBJ_NAME%/%VAR_TYPE%%CRLF%%M0% %PERIOD% %MAX_MAG% %MIN_MAG%",
                               ab, "night"),
            "night:AB Cyg/BD+30 1234/EA (Algol)\r\n2459000.250000 0.500000 10.500 11.250");
  // Stored values as they are, also the "not set" ones; keywords are
  // case-sensitive and unknown ones stay.
  const CObjectListElem& ef = *field.At(2);
  EXPECT_EQ(ExpandCopyInfoMask("%M0% %MAX_MAG% %ra% %X%", ef, ""), "0.000000 100.000 %ra% %X%");
  EXPECT_EQ(ExpandCopyInfoMask("%RA%/%DEC%", ef, ""), "/");
  EXPECT_EQ(ExpandCopyInfoMask("%RA_DEG% %DEC_DEG% %RA_FITS%", ab, ""), "188.73662083 12.58244139 12:34:56.789");
}

TEST(CopyInfoMask, ResultIsCutAndInsertedTextIsNotSearchedAgain) {
  CField field;
  BuildTestField(field);
  CObjectListElem& ab = *field.At(0);
  std::snprintf(ab.name, sizeof ab.name, "%%OBJ_NAME%%");
  EXPECT_EQ(ExpandCopyInfoMask("%OBJ_NAME%!", ab, ""), "%OBJ_NAME%!");
  std::string mask;
  for (int i = 0; i < 300; ++i) mask += "%M0%";
  EXPECT_EQ(ExpandCopyInfoMask(mask, ab, "").size(), kCopyDataResultLength);
}

TEST(CopyInfoMask, KeywordTableAndFieldName) {
  ASSERT_EQ(std::string(kCopyInfoKeywords[0].keyword), "%RA%");
  EXPECT_EQ(std::string(kCopyInfoKeywords[6].explanation), "Dec. human readable (+12\xB0 34' 56.78\")");
  EXPECT_EQ(std::string(kCopyInfoKeywords[kCopyInfoKeywordCount - 1].keyword), "%CRLF%");
  EXPECT_EQ(FieldNameFromPath("/home/o/fields/cyg.2024.ofd"), "cyg.2024");
  EXPECT_EQ(FieldNameFromPath("cyg"), "cyg");
  EXPECT_EQ(FieldNameFromPath(nullptr), "");
}

}  // namespace
}  // namespace ombrix_export
