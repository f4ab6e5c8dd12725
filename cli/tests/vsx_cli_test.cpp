// The vsx subcommand against a VSX stand-in: matches, saving, the object
// box and every kind of failure as the program words it.
#include <gtest/gtest.h>
#include <ombrix_field/object.h>
#include <ombrix_field/ofd.h>
#include <ombrix_model/angles.h>
#include <ombrix_testsupport/temp_folder.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <ombrix_testsupport/http_standin.h>
#include "field_commands/field_loading.h"
#include "ombrix_cli/command.h"

namespace ombrix_cli {
namespace {

using ombrix_model::kRadiansPerDegree;

constexpr const char* kAnswer = R"({"VSXObjects":{"VSXObject":[
{"Name":"V0404 Lyr","RA2000":"283.94263","Declination2000":"37.68297","VariabilityType":"EA+DSCT",
 "Period":"0.7309659","Epoch":"2454731.63700"},
{"Name":"ASASSN-V J185547.30+373953.3","RA2000":"283.94708","Declination2000":"37.66481","VariabilityType":"SR",
 "Period":"95:"}]}})";

struct TRun {
  int status;
  std::string out, err;
};

class VsxCli : public ombrix_test::TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ombrix_data::CField field;
    Add(field, "V1", 283.9425, 37.6825);  // exact in the field file's sexagesimal text
    Add(field, "far", 200.0, -10.0);
    ombrix_data::CScriptedUserIO io;
    ASSERT_TRUE(ombrix_data::SaveField(field, "field.ofd", io));
  }
  static void Add(ombrix_data::CField& field, const char* name, double ra, double dec) {
    auto* object = new ombrix_data::CObjectListElem;
    std::strcpy(object->name, name);
    object->metaDataSource = ombrix_data::mdsManualEntry;
    ombrix_data::TStarData& star = object->metaData.var;
    star.ra = star.catalogRA = ra * kRadiansPerDegree;
    star.dec = star.catalogDec = dec * kRadiansPerDegree;
    field.Append(object);
  }
  static TRun Run(std::vector<const char*> words) {
    words.insert(words.begin(), {"ombrix-cli", "vsx"});
    std::ostringstream out, err;
    const int status = RunCli(words, out, err);
    return {status, out.str(), err.str()};
  }
};

TEST_F(VsxCli, MatchesAndSaves) {
  ombrix_test::CHttpStandIn vsx;
  vsx.SetDefault({200, kAnswer, ""});
  const std::string server = vsx.Server();
  TRun r = Run({"field.ofd", "--server", server.c_str(), "--save"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "matched: V1 | V0404 Lyr\n"
            "message: VSX query completed | 2 stars from this field found in VSX. | "
            "1 stars from VSX matched and marked.\n"
            "saved: field.ofd\n");
  ASSERT_EQ(vsx.Paths().size(), 1u);
  EXPECT_EQ(vsx.Paths()[0],
            "/vsx/index.php?view=api.list&fromra=200.0000000&tora=283.9425000&fromdec=-10.0000000&todec=37.6825000"
            "&format=json");
  ombrix_data::CField saved;
  std::ostringstream out, err;
  ASSERT_TRUE(LoadFieldForCli("field.ofd", saved, out, err));
  EXPECT_STREQ(saved.First()->altName, "V0404 Lyr");
  EXPECT_STREQ(saved.First()->variabilityType, "EA+DSCT");

  // The object alone: its name is there already and stays as it is; the
  // match still counts, as in the program.
  r = Run({"field.ofd", "V1", "--server", server.c_str(), "--save"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "matched: V1 | V0404 Lyr\nmessage: VSX query completed | 2 stars from this field found in VSX. | "
            "1 stars from VSX matched and marked.\nsaved: field.ofd\n");
  EXPECT_EQ(vsx.Paths()[1].rfind("/vsx/index.php?view=api.list&fromra=283.9397222&tora=283.9452778&", 0), 0u);

  vsx.SetDefault({200, R"({"VSXObjects":[]})", ""});
  r = Run({"field.ofd", "--server", server.c_str(), "--save"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "message: VSX query completed | There is no star in VSX within this field.\n");
}

TEST_F(VsxCli, Failures) {
  std::string gone;
  {
    ombrix_test::CHttpStandIn closed;
    gone = closed.Server();
  }
  TRun r = Run({"field.ofd", "--server", gone.c_str()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "message: Cannot lookup stars in VSX | VSX server not accessible. | Try again later.\n");

  ombrix_data::CField field;
  field.Append(new ombrix_data::CObjectListElem);
  field.Append(new ombrix_data::CObjectListElem);
  std::strcpy(field.First()->name, "nowhere");
  ombrix_data::CScriptedUserIO io;
  ASSERT_TRUE(ombrix_data::SaveField(field, "unknown.ofd", io));
  for (std::vector<const char*> words :
       {std::vector<const char*>{"unknown.ofd", "--server", gone.c_str()},
        std::vector<const char*>{"unknown.ofd", "nowhere", "--server", gone.c_str()}}) {
    r = Run(words);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "message: Cannot lookup stars in VSX | Unknown coordinates of object within the field.\n");
  }
  r = Run({"field.ofd", "nobody", "--server", gone.c_str()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nobody"), std::string::npos);
}

}  // namespace
}  // namespace ombrix_cli
