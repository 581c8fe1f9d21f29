#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "optrim/device/CalibrationGenSettings.h"
#include "optrim/device/StartArguments.h"

namespace kv {
namespace {

struct ArgsCase {
  std::vector<std::string> args;  // after the program name
  std::string startSwitch;
  int rotation;
  std::string fileName;
};

class StartArgumentsTable : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(StartArgumentsTable, Parses) {
  const ArgsCase& c = GetParam();
  std::vector<std::string> argv{"/opt/kavro/bin/optrim"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  StartArguments a = ParseStartArguments(argv);
  EXPECT_EQ(a.startSwitch, c.startSwitch);
  EXPECT_EQ(a.rotation, c.rotation);
  EXPECT_EQ(a.settingsFileName, c.fileName);
}

INSTANTIATE_TEST_SUITE_P(
    Switches, StartArgumentsTable,
    ::testing::Values(ArgsCase{{}, "", 0, "\\Optrim.ini"},
                      ArgsCase{{"-b"}, "-b", 0, "\\Optrim.ini"},
                      ArgsCase{{"-b", "-p"}, "-p", 0, "\\Optrim.ini"},  // the later one wins
                      ArgsCase{{"-p", "-b"}, "-b", 0, "\\Optrim.ini"},
                      ArgsCase{{"/b", "-B", "-pb", "b"}, "", 0, "\\Optrim.ini"},
                      ArgsCase{{"-r2"}, "", 2, "\\Optrim.ini"},
                      ArgsCase{{"-r1", "-r3"}, "", 3, "\\Optrim.ini"},
                      ArgsCase{{"-r3", "-r0"}, "", 3, "\\Optrim.ini"},  // -r0 is not a switch
                      ArgsCase{{"-r4", "-R1", "r1", "-r12"}, "", 0, "\\Optrim.ini"}));

INSTANTIATE_TEST_SUITE_P(
    SettingsFile, StartArgumentsTable,
    ::testing::Values(ArgsCase{{"Optrim_y1200.ini"}, "", 0, "Optrim_y1200.ini"},
                      ArgsCase{{"-p", "\\Optrim_x1920.ini", "-r1"}, "-p", 1, "\\Optrim_x1920.ini"},
                      ArgsCase{{"Optrim.INI"}, "", 0, "\\Optrim.ini"},  // case-sensitive
                      ArgsCase{{"a.ini", "b.ini"}, "", 0, "b.ini"},
                      ArgsCase{{"backup.ini.old"}, "", 0, "backup.ini.old"}));  // anywhere

TEST(StartArguments, ProgramNameIsNotAnArgument) {
  StartArguments a = ParseStartArguments({"/tmp/x.ini/optrim"});
  EXPECT_EQ(a.settingsFileName, "\\Optrim.ini");
  a = ParseStartArguments({});
  EXPECT_EQ(a.startSwitch, "");
}

TEST(SettingsFilePath, ProgramFolderFollowedByTheName) {
  EXPECT_EQ(SettingsFilePath("/opt/kavro/bin", "\\Optrim.ini"), "/opt/kavro/bin/Optrim.ini");
  EXPECT_EQ(SettingsFilePath("/opt/kavro/bin/", "Optrim_y1200.ini"), "/opt/kavro/bin/Optrim_y1200.ini");
  EXPECT_EQ(SettingsFilePath("/opt/kavro/bin", "models\\Optrim_y1200.ini"), "/opt/kavro/bin/models/Optrim_y1200.ini");
  EXPECT_EQ(SettingsFilePath("/", "\\Optrim.ini"), "/Optrim.ini");
}

struct FileCase {
  const char* name;
  std::string text;
  CalibrationGenSettings expected;
};

CalibrationGenSettings With(void (*edit)(CalibrationGenSettings&)) {
  CalibrationGenSettings s = DefaultCalibrationGenSettings(4, 2185);
  edit(s);
  return s;
}

const CalibrationGenSettings kDefault = DefaultCalibrationGenSettings(4, 2185);

class CalibrationSettingsTable : public ::testing::TestWithParam<FileCase> {};

TEST_P(CalibrationSettingsTable, TakesOnlyValuesInRange) {
  const FileCase& c = GetParam();
  CalibrationGenSettings s = kDefault;
  LoadCalibrationSettings(CIniFile::FromText(c.text), &s);
  EXPECT_EQ(s, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, CalibrationSettingsTable,
    ::testing::Values(
        FileCase{"empty", "", kDefault},
        FileCase{"other section", "[OTHER]\nmarginX0=3000\n", kDefault},
        FileCase{"margin 654 ignored", "[CALIBRATION_DATA_GEN]\nmarginX0=654\n", kDefault},
        FileCase{"margin 655 taken", "[CALIBRATION_DATA_GEN]\nmarginX0=655\n",
                 With([](CalibrationGenSettings& s) { s.marginX0 = 655; })},
        FileCase{"margin 30000 taken", "[CALIBRATION_DATA_GEN]\nmarginY1=30000\n",
                 With([](CalibrationGenSettings& s) { s.marginY1 = 30000; })},
        FileCase{"margin 30001 ignored", "[CALIBRATION_DATA_GEN]\nmarginY1=30001\n", kDefault},
        FileCase{"negative margin ignored", "[CALIBRATION_DATA_GEN]\nmarginX1=-700\n", kDefault},
        FileCase{"each margin its own field",
                 "[CALIBRATION_DATA_GEN]\nmarginX0=1000\nmarginX1=2000\nmarginY0=3000\nmarginY1=4000\n",
                 With([](CalibrationGenSettings& s) {
                   s.marginX0 = 1000;
                   s.marginX1 = 2000;
                   s.marginY0 = 3000;
                   s.marginY1 = 4000;
                 })},
        FileCase{"precise 0 ignored", "[CALIBRATION_DATA_GEN]\npreciseNx=0\n", kDefault},
        FileCase{"precise 1 and 9 taken", "[CALIBRATION_DATA_GEN]\npreciseNx=1\npreciseNy=9\n",
                 With([](CalibrationGenSettings& s) {
                   s.preciseNx = 1;
                   s.preciseNy = 9;
                 })},
        FileCase{"precise 10 ignored", "[CALIBRATION_DATA_GEN]\npreciseNy=10\n", kDefault},
        FileCase{"angle 0", "[CALIBRATION_DATA_GEN]\nenableAngle=0\n",
                 With([](CalibrationGenSettings& s) { s.enableAngle = 0; })},
        FileCase{"first match wins", "[CALIBRATION_DATA_GEN]\nenableAngle=0\nenableAngle=7\n",
                 With([](CalibrationGenSettings& s) { s.enableAngle = 0; })},
        FileCase{"angle not a number reads 0", "[CALIBRATION_DATA_GEN]\nenableAngle=yes\n",
                 With([](CalibrationGenSettings& s) { s.enableAngle = 0; })},
        FileCase{"empty values keep the fields", "[CALIBRATION_DATA_GEN]\nenableAngle=\nmarginX0=  \npreciseNx=\n",
                 kDefault},
        FileCase{"leading digits count", "[CALIBRATION_DATA_GEN]\npreciseNx=6 cells\n",
                 With([](CalibrationGenSettings& s) { s.preciseNx = 6; })},
        FileCase{"basic size is not read", "[CALIBRATION_DATA_GEN]\nbasicNx=3\nbasicNy=3\n", kDefault}),
    [](const ::testing::TestParamInfo<FileCase>& info) {
      std::string n = info.param.name;
      for (char& ch : n) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return n;
    });

TEST(CalibrationSettings, AnyNonZeroAngleValueEnables) {
  for (const char* text : {"[CALIBRATION_DATA_GEN]\nenableAngle=7\n", "[calibration_data_gen]\nENABLEANGLE=-3\n"}) {
    CalibrationGenSettings s = kDefault;
    s.enableAngle = 0;
    LoadCalibrationSettings(CIniFile::FromText(text), &s);
    EXPECT_EQ(s.enableAngle, 1) << text;
  }
}

TEST(CalibrationSettings, DefaultsFollowTheModel) {
  CalibrationGenSettings s = DefaultCalibrationGenSettings(4, 2621);
  EXPECT_EQ(s.enableAngle, 1);
  EXPECT_EQ(s.preciseNx, 4);
  EXPECT_EQ(s.preciseNy, 4);
  EXPECT_EQ(s.basicNx, 1);
  EXPECT_EQ(s.basicNy, 1);
  EXPECT_EQ(s.marginX0, 2621);
  EXPECT_EQ(s.marginY1, 2621);
}

TEST(CalibrationSettings, MissingFileChangesNothingAndARealFileIsRead) {
  const std::string dir = ::testing::TempDir() + "optrim_settings_" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  CalibrationGenSettings s = kDefault;
  s.marginX0 = 1234;
  const CalibrationGenSettings before = s;
  EXPECT_FALSE(LoadCalibrationSettings(dir + "/absent.ini", &s));
  EXPECT_EQ(s, before);

  const StartArguments a = ParseStartArguments({"optrim", "-p", "Optrim_y1200.ini"});
  const std::string path = SettingsFilePath(dir, a.settingsFileName);
  std::ofstream(path) << "[CALIBRATION_DATA_GEN]\r\npreciseNx = 6\r\npreciseNy=2\r\nmarginX0=654\r\n";
  EXPECT_TRUE(LoadCalibrationSettings(path, &s));
  EXPECT_EQ(s.preciseNx, 6);
  EXPECT_EQ(s.preciseNy, 2);
  EXPECT_EQ(s.marginX0, 1234);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kv
