// Firmware commands against panel-sim as a real child process: the self-test records
// checked against the model's board layout, a flood of records, the panel unplugged while
// a command is in flight, and two callers at once.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/IniFile.h"
#include "platform/posix/SimHidBus.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/PanelSimHarness.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using Record = CTPdrvServiceMode::Record;
using Id = std::pair<int, int>;  // board number (from 1), sensor number (from 1)

// Two models of our own beside the built-in ones: three boards of 4, 3 and 5 sensors, and
// two boards of 200 (400 records: more than the HID class keeps by default, fewer than the
// link asks it to keep).
constexpr const char* MODEL_INI =
    "[MODEL]\nModel1=TEST-BOARDS\nModel2=TEST-FLOOD\n"
    "[TEST-BOARDS]\nVendorID=2F11\nProductID=5A77\nColNumber=col01\nVerticalPCB=2\n"
    "HorizontalPCB=1\nSensorList=4|3|5\nType=1\n"
    "[TEST-FLOOD]\nVendorID=2F11\nProductID=5A78\nColNumber=col01\nVerticalPCB=2\n"
    "HorizontalPCB=0\nSensorList=200|200\nType=1\n";

std::vector<Id> Layout(const std::vector<int>& sensors) {
  std::vector<Id> ids;
  for (size_t b = 0; b < sensors.size(); ++b)
    for (int s = 1; s <= sensors[b]; ++s) ids.emplace_back(static_cast<int>(b) + 1, s);
  return ids;
}

class FirmwareCommandTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  CModelTable m_models;
  test::CPanelSim m_panel;
  std::unique_ptr<CTPdrvServiceMode> m_link;

  void Start(const std::vector<std::string>& panelArgs,
             FirmwareLinkTimeouts waits = test::ShortFirmwareWaits()) {
    ASSERT_TRUE(m_models.Load(CIniFile::FromText(MODEL_INI)));
    std::string why;
    ASSERT_TRUE(m_panel.Start(m_paths, panelArgs, &why)) << why;
    m_link = std::make_unique<CTPdrvServiceMode>(m_bus, m_models, nullptr, nullptr, nullptr,
                                                 waits);
    ASSERT_TRUE(m_link->StartWorker());
  }
  void TearDown() override {
    if (m_link) m_link->StopWorker();
  }

  // The panel's self test reports these sensors, in this order; the level word tells
  // the records apart.
  void LoadRecords(const std::vector<Id>& ids) {
    ASSERT_EQ(m_panel("records clear"), "ok");
    for (size_t k = 0; k < ids.size(); ++k)
      ASSERT_EQ(m_panel("records add " + std::to_string(ids[k].first) + " " +
                        std::to_string(ids[k].second) + " " + std::to_string(k & 0xFF) + " " +
                        std::to_string(k >> 8) + " 0 0 0 0"),
                "ok");
  }
};

std::vector<Id> IdsOf(const std::vector<Record>& list) {
  std::vector<Id> ids;
  for (const Record& r : list) ids.emplace_back(r[2], r[3]);
  return ids;
}

TEST_F(FirmwareCommandTest, CheckDataKeepsWhatFitsTheBoardsAndNeedsExactlyTheirSensors) {
  Start({"--vid", "0x2F11", "--pid", "0x5A77"});
  const std::vector<Id> boards = Layout({4, 3, 5});
  auto with = [&](std::vector<Id> ids, size_t at, Id id) {
    ids.insert(ids.begin() + static_cast<std::ptrdiff_t>(at), id);
    return ids;
  };
  auto replaced = [&](std::vector<Id> ids, size_t at, Id id) {
    ids[at] = id;
    return ids;
  };
  struct Case {
    const char* m_pszWhat;
    std::vector<Id> m_sent;
    bool m_bOk;
    std::vector<Id> m_kept;  // when ok
  };
  const Case cases[] = {
      // The first command of the link: the layout is the row matched by this very open.
      {"every sensor once", boards, true, boards},
      {"an extra sensor past board 1's count is dropped, the rest still adds up",
       with(boards, 4, {1, 5}), true, boards},
      {"sensor numbers past the last board's count are dropped",
       with(with(boards, 12, {3, 6}), 0, {3, 99}), true, boards},
      {"a sensor past its board's count in place of a real one", replaced(boards, 6, {2, 4}),
       false, {}},
      // Only sensor numbers past a board's count are filtered; a board number the model does
      // not have is kept, and then the count does not match.
      {"a board past the model's boards", with(boards, 12, {4, 1}), false, {}},
      {"sensor number 0 is no sensor past the count", with(boards, 0, {1, 0}), false, {}},
      {"board number 0 is never filtered", replaced(boards, 0, {0, 7}), true,
       replaced(boards, 0, {0, 7})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.m_pszWhat);
    LoadRecords(c.m_sent);
    std::vector<Record> list(3);  // emptied by the call whatever happens
    EXPECT_EQ(m_link->GetCheckData(&list), c.m_bOk);
    EXPECT_EQ(IdsOf(list), c.m_kept);
    for (const Record& r : list) {
      EXPECT_EQ(r[0], 1);
      EXPECT_EQ(r[1], 2);
    }
    if (c.m_bOk && IdsOf(list) == c.m_kept) {
      // Whole records, in the order they came: the level word is the position sent.
      for (size_t k = 0, sent = 0; k < list.size(); ++k, ++sent) {
        while (c.m_sent[sent] != IdsOf(list)[k]) ++sent;
        EXPECT_EQ(list[k][4] | (list[k][5] << 8), static_cast<int>(sent));
      }
    }
  }
  EXPECT_EQ(m_panel("count 1"), std::to_string(std::size(cases)));
}

TEST_F(FirmwareCommandTest, UnpacedFloodOfRecordsArrivesWhole) {
  Start({"--vid", "0x2F11", "--pid", "0x5A78"});
  const std::vector<Id> boards = Layout({200, 200});
  LoadRecords(boards);
  ASSERT_EQ(m_panel("pace 0"), "ok");  // all 401 reports at once
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    std::vector<Record> list;
    EXPECT_TRUE(m_link->GetCheckData(&list));
    EXPECT_EQ(IdsOf(list), boards);
  }
}

TEST_F(FirmwareCommandTest, UnplugDuringACommandFailsItAndThePanelWorksAfterReplug) {
  // Long command waits: a port failure has to end the command, not the time-out.
  FirmwareLinkTimeouts waits = test::ShortFirmwareWaits();
  waits.m_iCommandMs = 30000;
  Start({"--model", "VT-R700A"}, waits);
  ASSERT_EQ(m_panel("checksum 0x1234 0"), "ok");
  ASSERT_TRUE(m_link->GetCheckSum(nullptr, nullptr, nullptr));
  int sent = 1;
  for (const char* hold : {"mute on", "delay 20000"}) {
    SCOPED_TRACE(hold);
    ASSERT_EQ(m_panel(hold), "ok");
    std::atomic<bool> done{false};
    bool ok = true;
    auto start = std::chrono::steady_clock::now();
    std::thread caller([&] {
      ok = m_link->GetCheckSum(nullptr, nullptr, nullptr);
      done = true;
    });
    // The command is written and its answer awaited when the panel goes.
    const std::string written = std::to_string(++sent);
    EXPECT_EQ(m_panel.WaitFor("count 7", written), written);
    EXPECT_FALSE(done.load());
    ASSERT_EQ(m_panel("unplug"), "ok");
    caller.join();
    EXPECT_FALSE(ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    ASSERT_EQ(m_panel("mute off"), "ok");
    ASSERT_EQ(m_panel("delay 0"), "ok");
    ASSERT_EQ(m_panel("plug"), "ok");
    uint32_t sum = 0;
    EXPECT_TRUE(m_link->GetCheckSum(&sum, nullptr, nullptr));
    EXPECT_EQ(sum, 0x1234u);
    ++sent;
  }
}

TEST_F(FirmwareCommandTest, TwoCallersAtOnceEachGetTheirOwnAnswer) {
  Start({"--model", "VT-R700A"});
  ASSERT_EQ(m_panel("checksum 0xBEEF 0"), "ok");
  ASSERT_EQ(m_panel("calibration 4660 1 2 3"), "ok");
  ASSERT_EQ(m_panel("delay 5"), "ok");  // each command stays in flight a while
  constexpr int ROUNDS = 10;
  std::atomic<int> sums{0}, calibrations{0};
  std::thread a([&] {
    for (int i = 0; i < ROUNDS; ++i) {
      uint32_t sum = 0;
      if (m_link->GetCheckSum(&sum, nullptr, nullptr) && sum == 0xBEEF) ++sums;
    }
  });
  std::thread b([&] {
    for (int i = 0; i < ROUNDS; ++i) {
      int32_t w[4] = {};
      if (m_link->GetCalibrationData(&w[0], &w[1], &w[2], &w[3]) && w[0] == 4660 && w[1] == 1 &&
          w[2] == 2 && w[3] == 3)
        ++calibrations;
    }
  });
  a.join();
  b.join();
  EXPECT_EQ(sums.load(), ROUNDS);
  EXPECT_EQ(calibrations.load(), ROUNDS);
  EXPECT_EQ(m_panel("count 7"), std::to_string(ROUNDS));
  EXPECT_EQ(m_panel("count 16"), std::to_string(ROUNDS));
}

}  // namespace
}  // namespace kv
