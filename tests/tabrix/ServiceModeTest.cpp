// The service-mode dialogs' logic: the firmware version text, the verdict and checksum,
// and both passes of the self test over the panel's failure records.
#include <gtest/gtest.h>

#include "resources/StringTable.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tabrix/firmware/ServiceMode2Dlg.h"
#include "tabrix/firmware/ServiceModeDlg.h"
#include "tests/tabrix/AppFakes.h"
#include "tests/tabrix/ScreenFakes.h"

namespace kv {
namespace {

CheckRecord Rec(uint8_t board, uint8_t sensor, uint8_t bits) {
  return CheckRecord{1, 2, board, sensor, 0, 0, bits, 0, 0, 0};
}

// A model with three boards (2 vertical, 1 horizontal) of 4, 3 and 2 sensors.
ModelEntry SmallModel(const char* names = "A|B|C|D|E|F") {
  ModelEntry m;
  SetFixedText(m.m_szName, "SMALL");
  m.m_sVerticalPcb = 2;
  m.m_sHorizontalPcb = 1;
  m.m_aSensors[0] = 4;
  m.m_aSensors[1] = 3;
  m.m_aSensors[2] = 2;
  SetFixedText(m.m_szPcbList, names);
  m.m_uModelType = MODEL_TYPE_DRIVER;
  return m;
}

class ServiceModeTest : public ::testing::Test {
 protected:
  CServiceModeDlg Dialog(const ModelEntry* model) {
    return CServiceModeDlg({m_port, m_strings, m_boxes, "Corvane", model});
  }
  CStringTable m_strings = CStringTable::BuiltIn("tabrix");
  test::CFakeServicePort m_port;
  test::CFakeMessageBoxes m_boxes;
};

TEST_F(ServiceModeTest, VersionVerdictAndChecksumTexts) {
  const struct {
    uint32_t m_uVersion;
    const char* m_pszText;
  } versions[] = {{0x012000, " 1.20"}, {0x012020, " 1.20"}, {0x010241, " 1.02A"},
                  {0, "---"},          {0xAB0C00, "AB.0C"}, {0x01020A, " 1.02?"},
                  {0xFF01FF00, " 1.FF"}};
  for (const auto& v : versions)
    EXPECT_EQ(FirmwareInfoText::FormatVersion(v.m_uVersion, m_strings), v.m_pszText) << std::hex
                                                                                    << v.m_uVersion;
  m_port.m_uChecksum = 0x0a1;
  m_port.m_uFlag = 1;
  FirmwareInfoText ok = FirmwareInfoText::Read(m_port, m_strings);
  EXPECT_EQ(ok.m_sChecksum, "00a1");
  EXPECT_EQ(ok.m_sVerdict, "OK");
  EXPECT_EQ(ok.VerdictColour(), VERDICT_GREEN);
  m_port.m_uFlag = 0;
  FirmwareInfoText ng = FirmwareInfoText::Read(m_port, m_strings);
  EXPECT_EQ(ng.m_sVerdict, "NG");
  EXPECT_EQ(ng.VerdictColour(), VERDICT_RED);
  m_port.m_bSumOk = false;
  FirmwareInfoText none = FirmwareInfoText::Read(m_port, m_strings);
  EXPECT_FALSE(none.m_bValid);
  EXPECT_EQ(none.m_sVersion + none.m_sVerdict + none.m_sChecksum, "");
}

TEST_F(ServiceModeTest, FirmwareOnlyDialogByModelType) {
  const struct {
    uint32_t m_uType;
    bool m_bAnswers;
    const char *m_pszUsb, *m_pszVersion, *m_pszVerdict, *m_pszSum;
    bool m_bColoured;
  } cases[] = {
      {3, true, "Touch panel", " 1.02A", "---", "---", false},
      {4, true, "Button", " 1.02A", "NG", "1a2b", true},
      {4, false, "", "", "", "", false},
      {3, false, "", "", "", "", false},
  };
  for (const auto& c : cases) {
    m_port.m_bSumOk = c.m_bAnswers;
    m_port.m_uFlag = 0;
    CServiceMode2Dlg dlg(m_port, m_strings, c.m_uType);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.Usb(), c.m_pszUsb);
    EXPECT_EQ(dlg.Version(), c.m_pszVersion);
    EXPECT_EQ(dlg.Verdict(), c.m_pszVerdict);
    EXPECT_EQ(dlg.Checksum(), c.m_pszSum);
    EXPECT_EQ(dlg.VerdictColoured(), c.m_bColoured);
  }
}

TEST_F(ServiceModeTest, SelfTestSummaryAndFailedPoints) {
  const ModelEntry model = SmallModel();
  // Board 1: every sensor failed both ways. Board 2: no failed record. Board 3: none sent.
  m_port.m_records = {Rec(1, 1, 0x11), Rec(1, 2, 0x11), Rec(1, 3, 0x11), Rec(1, 4, 0x11),
                      Rec(2, 1, 0x00), Rec(2, 2, 0x00), Rec(2, 3, 0x00)};
  CServiceModeDlg dlg = Dialog(&model);
  dlg.OnInitDialog();
  EXPECT_EQ(dlg.Info().m_sVersion, " 1.02A");
  ASSERT_TRUE(dlg.RunSelfTest());
  using Row4 = CServiceModeDlg::BoardRow;
  using Row6 = CServiceModeDlg::PointRow;
  EXPECT_EQ(dlg.Boards(), (std::vector<Row4>{{"A", "ALL", "D", "ALL"},
                                            {"B", "OK", "E", "OK"},
                                            {"C", "", "F", ""}}));
  EXPECT_EQ(dlg.Points(), (std::vector<Row6>{{"A", "ALL", "E01", "D", "ALL", "E01"}}));
  EXPECT_TRUE(m_boxes.m_shown.empty());
  EXPECT_EQ(dlg.BoardColumns(), (std::vector<std::string>{"Area", "Status", "Area", "Status"}));
  EXPECT_EQ(dlg.PointColumns().size(), 6u);
}

TEST_F(ServiceModeTest, MixedFailuresListEachFailedPoint) {
  const ModelEntry model = SmallModel();
  m_port.m_records = {Rec(1, 1, 0x10), Rec(1, 2, 0x00), Rec(1, 3, 0x01), Rec(1, 4, 0x11),
                      Rec(3, 1, 0x10), Rec(3, 2, 0x10)};
  CServiceModeDlg dlg = Dialog(&model);
  ASSERT_TRUE(dlg.RunSelfTest());
  using Row4 = CServiceModeDlg::BoardRow;
  using Row6 = CServiceModeDlg::PointRow;
  EXPECT_EQ(dlg.Boards(), (std::vector<Row4>{{"A", "Check", "D", "Check"},
                                            {"B", "", "E", ""},
                                            {"C", "ALL", "F", "OK"}}));
  EXPECT_EQ(dlg.Points(), (std::vector<Row6>{{"A", "01", "E01", "D", "01", "OK"},
                                            {"A", "03", "OK", "D", "03", "E01"},
                                            {"A", "04", "E01", "D", "04", "E01"},
                                            {"C", "01", "E01", "F", "01", "OK"},
                                            {"C", "02", "E01", "F", "02", "OK"}}));
}

TEST_F(ServiceModeTest, RecordsTheModelCannotHoldAndShortNameLists) {
  const ModelEntry model = SmallModel("A|B");  // four names missing
  m_port.m_records = {Rec(0, 1, 0x11), Rec(4, 1, 0x11), Rec(255, 9, 0x11), Rec(3, 7, 0x01)};
  CServiceModeDlg dlg = Dialog(&model);
  ASSERT_TRUE(dlg.RunSelfTest());
  using Row4 = CServiceModeDlg::BoardRow;
  using Row6 = CServiceModeDlg::PointRow;
  EXPECT_EQ(dlg.Boards(), (std::vector<Row4>{{"A", "", "", ""}, {"B", "", "", ""},
                                            {"", "OK", "", "Check"}}));
  EXPECT_EQ(dlg.Points(), (std::vector<Row6>{{"", "07", "OK", "", "07", "E01"}}));

  // No model at all: nothing to count, nothing to list.
  CServiceModeDlg none = Dialog(nullptr);
  EXPECT_TRUE(none.RunSelfTest());
  EXPECT_TRUE(none.Boards().empty());
  EXPECT_TRUE(none.Points().empty());
}

TEST_F(ServiceModeTest, TwoThousandRecordsOfTheBuiltInModel) {
  CModelTable models;
  const ModelEntry* model = &models.BuiltIn(0);
  // Every sensor of every board once without failure, then more failures than sensors on
  // board 10 (which has 27): its count passes "ALL" and reads "Check".
  for (int b = 0; b < 10; ++b)
    for (int s = 1; s <= model->m_aSensors[b]; ++s)
      m_port.m_records.push_back(Rec(static_cast<uint8_t>(b + 1), static_cast<uint8_t>(s), 0));
  while (m_port.m_records.size() < 2000) m_port.m_records.push_back(Rec(10, 5, 0x10));
  CServiceModeDlg dlg = Dialog(model);
  ASSERT_TRUE(dlg.RunSelfTest());
  ASSERT_EQ(dlg.Boards().size(), 10u);
  EXPECT_EQ(dlg.Boards()[0], (CServiceModeDlg::BoardRow{"XA", "OK", "XA", "OK"}));
  EXPECT_EQ(dlg.Boards()[9], (CServiceModeDlg::BoardRow{"YD", "Check", "YD", "OK"}));
  EXPECT_EQ(dlg.Points().size(), 2000u - 557u);
}

TEST_F(ServiceModeTest, NoFailureDataIsToldAndListsStayEmpty) {
  const ModelEntry model = SmallModel();
  m_port.m_bDataOk = false;
  m_port.m_records = {Rec(1, 1, 0x11)};
  CServiceModeDlg dlg = Dialog(&model);
  EXPECT_FALSE(dlg.RunSelfTest());
  ASSERT_EQ(m_boxes.m_shown.size(), 1u);
  EXPECT_EQ(m_boxes.m_shown[0].m_sText, "Unable to obtain failure data.");
  EXPECT_EQ(m_boxes.m_shown[0].m_uFlags, MBF_OK | MBF_ICON_HAND | MBF_TOPMOST | MBF_SET_FOREGROUND);
  EXPECT_TRUE(dlg.Boards().empty());
  EXPECT_TRUE(dlg.Points().empty());
  EXPECT_EQ(dlg.LedCount(0), CServiceModeDlg::NO_DATA);
}

}  // namespace
}  // namespace kv
