#include "tabrix/driverlink/ModelTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tabrix/driverlink/DriverSharedData.h"

namespace kv {
namespace {

static_assert(sizeof(ModelEntry) == 656, "ModelEntry gained padding");

std::string Repeat(char c, size_t n) { return std::string(n, c); }

// A model.ini with a MODEL section listing the names and one section per model.
std::string Ini(const std::vector<std::string>& names, const std::string& body) {
  std::string text = "[MODEL]\n";
  for (size_t i = 0; i < names.size(); ++i)
    text += "Model" + std::to_string(i + 1) + "=" + names[i] + "\n";
  return text + body;
}

struct IniCase {
  const char* m_szLabel;
  std::string m_sText;
  size_t m_uRows;  // model.ini rows expected
  std::function<void(const CModelTable&)> m_check;
};

class ModelIniTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(ModelIniTest, ReadsAsDeclared) {
  const IniCase& c = GetParam();
  CModelTable table;
  ASSERT_TRUE(table.Load(CIniFile::FromText(c.m_sText)));
  ASSERT_EQ(table.ExtraCount(), c.m_uRows);
  if (c.m_check) c.m_check(table);
  // The built-in rows are never touched by the file.
  EXPECT_EQ(FixedText(table.BuiltIn(0).m_szName), "VT-R700A");
  EXPECT_EQ(FixedText(table.BuiltIn(1).m_szName), "VT-R800A");
}

const std::string FULL_MODEL =
    "[VT-X900]\n"
    "Registry=\\VT-X900\n"
    "DriverRegistry=SYSTEM\\CurrentControlSet\\Services\\kvtpd900\n"
    "DriverFileName=kvtpd900.sys\n"
    "DriverDeviceName=\\\\.\\kvtpd900\n"
    "VendorID=2f11\n"
    "ProductID=5A09\n"
    "ColNumber=col02\n"
    "VerticalPCB=3\n"
    "HorizontalPCB=2\n"
    "PCBList=A|B|C|D|E|A|B|C|D|E\n"
    "SensorList=10|20|30|40|50\n"
    "Type=3\n";

const IniCase INI_CASES[] = {
    {"EmptyFile", "", 0, nullptr},
    {"FirstKeyMissingStopsEvenIfSecondExists",
     "[MODEL]\nModel2=VT-X900\n" + FULL_MODEL, 0, nullptr},
    {"StopsAtFirstEmptyName", "[MODEL]\nModel1=A\nModel2=\nModel3=C\n", 1, nullptr},
    {"AllFields", Ini({"VT-X900"}, FULL_MODEL), 1,
     [](const CModelTable& t) {
       const ModelEntry& m = t.Extra(0);
       EXPECT_EQ(FixedText(m.m_szName), "VT-X900");
       EXPECT_EQ(FixedText(m.m_szRegistry), "\\VT-X900");
       EXPECT_EQ(FixedText(m.m_szDriverRegistry), "SYSTEM\\CurrentControlSet\\Services\\kvtpd900");
       EXPECT_EQ(FixedText(m.m_szDriverFileName), "kvtpd900.sys");
       EXPECT_EQ(FixedText(m.m_szDriverDeviceName), "\\\\.\\kvtpd900");
       EXPECT_EQ(m.m_uVendorId, 0x2F11u);
       EXPECT_EQ(m.m_uProductId, 0x5A09u);
       EXPECT_EQ(FixedText(m.m_szColNumber), "col02");
       EXPECT_EQ(m.m_sVerticalPcb, 3);
       EXPECT_EQ(m.m_sHorizontalPcb, 2);
       EXPECT_EQ(FixedText(m.m_szPcbList), "A|B|C|D|E|A|B|C|D|E");
       const uint8_t sensors[32] = {10, 20, 30, 40, 50};
       EXPECT_EQ(0, std::memcmp(m.m_aSensors, sensors, sizeof sensors));
       EXPECT_EQ(m.m_uModelType, 3u);
       EXPECT_EQ(t.Row(2), &m);
       EXPECT_EQ(t.Row(3), nullptr);
     }},
    // The row has no padding, so comparing its bytes compares every field.
    {"MissingKeysLeaveZero", Ini({"Bare"}, ""), 1,
     [](const CModelTable& t) {
       const ModelEntry& m = t.Extra(0);
       ModelEntry zero;
       SetFixedText(zero.m_szName, "Bare");
       EXPECT_EQ(0, std::memcmp(&m, &zero, sizeof m));
     }},
    {"HexParsing",
     Ini({"A", "B", "C", "D", "E"},
         "[A]\nVendorID=2F11\nProductID=5a01\n"
         "[B]\nVendorID=0x2F11\nProductID=12345\n"
         "[C]\nVendorID=ffff\nProductID=10000\n"
         "[D]\nVendorID=zz\nProductID=FFFFFFFFFFFFFFFFFFFFFFFF0001\n"
         "[E]\nVendorID=12g4\nProductID=-5\n"),
     5,
     [](const CModelTable& t) {
       EXPECT_EQ(t.Extra(0).m_uVendorId, 0x2F11u);
       EXPECT_EQ(t.Extra(0).m_uProductId, 0x5A01u);
       EXPECT_EQ(t.Extra(1).m_uVendorId, 0u);   // the x stops the digits after the 0
       EXPECT_EQ(t.Extra(1).m_uProductId, 0u);  // 0x12345 is not below 0x10000
       EXPECT_EQ(t.Extra(2).m_uVendorId, 0xFFFFu);
       EXPECT_EQ(t.Extra(2).m_uProductId, 0u);
       EXPECT_EQ(t.Extra(3).m_uVendorId, 0u);
       EXPECT_EQ(t.Extra(3).m_uProductId, 0u);  // a long run must not wrap back into range
       EXPECT_EQ(t.Extra(4).m_uVendorId, 0x12u);
       EXPECT_EQ(t.Extra(4).m_uProductId, 0u);
     }},
    {"NameLengthAndDuplicates",
     Ini({Repeat('n', 64), Repeat('m', 63), "Twin", "TWIN", "VT-R700A", "After"}, ""), 4,
     [](const CModelTable& t) {
       EXPECT_EQ(FixedText(t.Extra(0).m_szName), Repeat('m', 63));
       EXPECT_EQ(FixedText(t.Extra(1).m_szName), "Twin");
       // Duplicates are looked for only among the file's rows.
       EXPECT_EQ(FixedText(t.Extra(2).m_szName), "VT-R700A");
       EXPECT_EQ(FixedText(t.Extra(3).m_szName), "After");
     }},
    {"NameOfManyCharactersIsSkipped", Ini({Repeat('q', 400), "Next"}, ""), 1,
     [](const CModelTable& t) { EXPECT_EQ(FixedText(t.Extra(0).m_szName), "Next"); }},
    {"TextsKeptOnlyWhenTheyFit",
     Ini({"Fit", "Long"},
         "[Fit]\nRegistry=" + Repeat('r', 62) + "\nDriverRegistry=" + Repeat('d', 254) +
             "\nDriverFileName=" + Repeat('f', 30) + "\nDriverDeviceName=" + Repeat('v', 30) +
             "\nColNumber=" + Repeat('c', 30) + "\nPCBList=" + Repeat('p', 126) +
             "\n[Long]\nRegistry=" + Repeat('r', 63) + "\nDriverRegistry=" + Repeat('d', 600) +
             "\nDriverFileName=" + Repeat('f', 31) + "\nDriverDeviceName=" + Repeat('v', 31) +
             "\nColNumber=" + Repeat('c', 31) + "\nPCBList=" + Repeat('p', 127) + "\n"),
     2,
     [](const CModelTable& t) {
       const ModelEntry& fit = t.Extra(0);
       EXPECT_EQ(FixedText(fit.m_szRegistry), Repeat('r', 62));
       EXPECT_EQ(FixedText(fit.m_szDriverRegistry), Repeat('d', 254));
       EXPECT_EQ(FixedText(fit.m_szDriverFileName), Repeat('f', 30));
       EXPECT_EQ(FixedText(fit.m_szDriverDeviceName), Repeat('v', 30));
       EXPECT_EQ(FixedText(fit.m_szColNumber), Repeat('c', 30));
       EXPECT_EQ(FixedText(fit.m_szPcbList), Repeat('p', 126));
       const ModelEntry& big = t.Extra(1);
       EXPECT_EQ(big.m_szRegistry[0], '\0');
       EXPECT_EQ(big.m_szDriverRegistry[0], '\0');
       EXPECT_EQ(big.m_szDriverFileName[0], '\0');
       EXPECT_EQ(big.m_szDriverDeviceName[0], '\0');
       EXPECT_EQ(big.m_szColNumber[0], '\0');
       EXPECT_EQ(big.m_szPcbList[0], '\0');
     }},
    {"BoardCountsMustFitTheSensorArray",
     Ini({"A", "B", "C", "D", "E"},
         "[A]\nVerticalPCB=30\nHorizontalPCB=2\n"
         "[B]\nVerticalPCB=30\nHorizontalPCB=3\n"
         "[C]\nVerticalPCB=33\nHorizontalPCB=4\n"
         "[D]\nVerticalPCB=-5\nHorizontalPCB=99999999999\n"
         "[E]\nVerticalPCB=six\nHorizontalPCB=4 boards\n"),
     5,
     [](const CModelTable& t) {
       EXPECT_EQ(t.Extra(0).m_sVerticalPcb, 30);
       EXPECT_EQ(t.Extra(0).m_sHorizontalPcb, 2);
       EXPECT_EQ(t.Extra(1).m_sVerticalPcb, 30);
       EXPECT_EQ(t.Extra(1).m_sHorizontalPcb, 0);
       EXPECT_EQ(t.Extra(2).m_sVerticalPcb, 0);
       EXPECT_EQ(t.Extra(2).m_sHorizontalPcb, 4);
       EXPECT_EQ(t.Extra(3).m_sVerticalPcb, 0);
       EXPECT_EQ(t.Extra(3).m_sHorizontalPcb, 0);
       EXPECT_EQ(t.Extra(4).m_sVerticalPcb, 0);
       EXPECT_EQ(t.Extra(4).m_sHorizontalPcb, 4);
       for (size_t i = 0; i < t.ExtraCount(); ++i) EXPECT_LE(t.Extra(i).TotalBoards(), 32);
     }},
    {"SensorListTokens",
     Ini({"More", "Fewer", "Odd", "Full"},
         "[More]\nVerticalPCB=6\nHorizontalPCB=4\nSensorList=1|2|3|4|5|6|7|8|9|10|11|12\n"
         "[Fewer]\nVerticalPCB=2\nHorizontalPCB=2\nSensorList=7||8\n"
         "[Odd]\nVerticalPCB=4\nSensorList=300|-1|x|255\n"
         "[Full]\nVerticalPCB=16\nHorizontalPCB=16\nSensorList=" +
             [] {
               std::string s;
               for (int i = 0; i < 40; ++i) s += std::to_string(i + 1) + "|";
               return s;
             }() + "\n"),
     4,
     [](const CModelTable& t) {
       const uint8_t more[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
       EXPECT_EQ(0, std::memcmp(t.Extra(0).m_aSensors, more, 32));
       // Empty pieces are no tokens; boards without a token stay zero.
       const uint8_t fewer[32] = {7, 8};
       EXPECT_EQ(0, std::memcmp(t.Extra(1).m_aSensors, fewer, 32));
       // Counts that do not fit a byte are not stored.
       const uint8_t odd[32] = {0, 0, 0, 255};
       EXPECT_EQ(0, std::memcmp(t.Extra(2).m_aSensors, odd, 32));
       for (int i = 0; i < 32; ++i) EXPECT_EQ(t.Extra(3).m_aSensors[i], i + 1);
     }},
    {"SensorListWithoutBoards", Ini({"None"}, "[None]\nSensorList=5|6\n"), 1,
     [](const CModelTable& t) {
       const uint8_t zero[32] = {};
       EXPECT_EQ(0, std::memcmp(t.Extra(0).m_aSensors, zero, 32));
     }},
    {"TypeValues", Ini({"A", "B", "C"}, "[A]\nType=4\n[B]\nType=one\n[C]\n"), 3,
     [](const CModelTable& t) {
       EXPECT_EQ(t.Extra(0).m_uModelType, 4u);
       EXPECT_TRUE(t.Extra(0).IsFirmwareManaged());
       EXPECT_EQ(t.Extra(1).m_uModelType, 0u);
       EXPECT_EQ(t.Extra(2).m_uModelType, 0u);
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, ModelIniTest, ::testing::ValuesIn(INI_CASES),
                         [](const auto& info) { return std::string(info.param.m_szLabel); });

TEST(ModelTableTest, BuiltInRows) {
  CModelTable table;
  const ModelEntry& r700 = table.BuiltIn(0);
  const ModelEntry& r800 = table.BuiltIn(1);
  EXPECT_EQ(FixedText(r700.m_szRegistry), "\\VT-R700A");
  EXPECT_EQ(FixedText(r800.m_szDriverRegistry), "SYSTEM\\CurrentControlSet\\Services\\kvtpd800");
  EXPECT_EQ(FixedText(r700.m_szDriverFileName), "kvtpd700.sys");
  EXPECT_EQ(FixedText(r800.m_szDriverDeviceName), "\\\\.\\kvtpd800");
  EXPECT_EQ(r700.m_uProductId, 0x5A01u);
  EXPECT_EQ(r800.m_uProductId, 0x5A02u);
  EXPECT_EQ(r700.m_uModelType, 1u);
  EXPECT_FALSE(r700.IsFirmwareManaged());
  EXPECT_TRUE(r800.IsFirmwareManaged());
  EXPECT_EQ(r800.TotalBoards(), 10);
  EXPECT_EQ(r800.m_aSensors[9], 27);
  EXPECT_EQ(r800.m_aSensors[10], 0);
  EXPECT_EQ(table.Row(0), &r700);
  EXPECT_EQ(table.Row(1), &r800);
}

TEST(ModelTableTest, MissingFileGivesNoRows) {
  CModelTable table;
  EXPECT_TRUE(table.LoadIniFile("/nonexistent/dir/model.ini"));
  EXPECT_EQ(table.ExtraCount(), 0u);
  EXPECT_EQ(table.RowCount(), 2u);
}

TEST(ModelTableTest, FindByDevice) {
  CModelTable table;
  ASSERT_TRUE(table.Load(CIniFile::FromText(Ini(
      {"VT-R700A", "Other", "Later"},
      "[VT-R700A]\nVendorID=2F11\nProductID=5A01\nColNumber=col01\n"
      "[Other]\nVendorID=1234\nProductID=0001\nColNumber=col03\n"
      "[Later]\nVendorID=1234\nProductID=0001\nColNumber=col\n"))));
  const std::string path700 = "\\\\?\\hid#vid_2f11&pid_5a01&col01#7&1a2b&0&0000#{4d1e55b2}";
  // The built-in row with the same identity wins over the file's row.
  EXPECT_EQ(table.FindByDevice(0x2F11, 0x5A01, path700), &table.BuiltIn(0));
  EXPECT_EQ(table.FindByDevice(0x2F11, 0x5A02, "\\\\?\\hid#vid_2f11&pid_5a02&col01#x"),
            &table.BuiltIn(1));
  // File rows in file order.
  EXPECT_EQ(table.FindByDevice(0x1234, 0x0001, "x#col03#"), &table.Extra(1));
  EXPECT_EQ(table.FindByDevice(0x1234, 0x0001, "x#col04#"), &table.Extra(2));
  // At the very start of the path the text does not count.
  EXPECT_EQ(table.FindByDevice(0x2F11, 0x5A01, "col01#hid"), nullptr);
  EXPECT_EQ(table.FindByDevice(0x2F11, 0x5A01, "xcol01"), &table.BuiltIn(0));
  EXPECT_EQ(table.FindByDevice(0x2F11, 0x5A01, "\\\\?\\hid#vid_2f11&pid_5a01&col02#"), nullptr);
  EXPECT_EQ(table.FindByDevice(0x2F11, 0x5A03, path700), nullptr);
  EXPECT_EQ(table.FindByDevice(0x2F11, 0x5A01, ""), nullptr);
}

TEST(ModelTableTest, EmptyCollectionTextNeverMatches) {
  CModelTable table;
  ASSERT_TRUE(table.Load(CIniFile::FromText(Ini({"NoCol"}, "[NoCol]\nVendorID=1\nProductID=2\n"))));
  EXPECT_EQ(table.FindByDevice(1, 2, "\\\\?\\hid#anything"), nullptr);
}

TEST(FirmwareVersionTest, Formatting) {
  EXPECT_EQ(DriverSharedData::FormatFirmwareVersion(0x0123), "1.23");
  EXPECT_EQ(DriverSharedData::FormatFirmwareVersion(0x0205), "2.05");
  EXPECT_EQ(DriverSharedData::FormatFirmwareVersion(0x1000), "10.00");
  EXPECT_EQ(DriverSharedData::FormatFirmwareVersion(0x0001), "0.01");
  // Nibbles above 9 print as two digits each.
  EXPECT_EQ(DriverSharedData::FormatFirmwareVersion(0x0A0B), "100.11");
  EXPECT_EQ(DriverSharedData::FormatFirmwareVersion(0xFFFF), "151515.15");
  EXPECT_EQ(DriverSharedData::FormatFirmwareVersion(0), "");
}

}  // namespace
}  // namespace kv
