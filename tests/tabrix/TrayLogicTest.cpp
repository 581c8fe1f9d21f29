// The tray program's decisions that need no system: the menu table, which devices are
// ours, the button watch's messages, the command window's answers, the Pen Software Link
// posts and the udev identity parser.
#include <gtest/gtest.h>

#include "platform/posix/UdevDeviceWatch.h"
#include "resources/StringTable.h"
#include "tabrix/app/ButtonWatchThread.h"
#include "tabrix/app/CommandWindow.h"
#include "tabrix/app/PenSoftwareLinkPoster.h"
#include "tabrix/app/TrayMenu.h"
#include "tests/support/FakeClock.h"
#include "tests/tabrix/AppFakes.h"

namespace kv {
namespace {

const TrayMenuItem* Find(const std::vector<TrayMenuItem>& items, uint32_t id) {
  for (const auto& item : items) {
    if (item.m_uId == id) return &item;
    if (const TrayMenuItem* inner = Find(item.m_children, id)) return inner;
  }
  return nullptr;
}

TEST(TrayMenuTest, EnabledAndCheckedByState) {
  const CStringTable strings = CStringTable::BuiltIn("tabrix");
  struct Case {
    const char* m_pszWhat;
    TrayMenuState m_state;
    // Calibration, Properties, Hardware, Test display, Rotate, Driver off, Version, Exit.
    bool m_enabled[8];
    bool m_bDriverOffChecked;
  };
  const Case cases[] = {
      {"driver on", {true, false, false, 1, 0, {}}, {1, 1, 1, 1, 1, 1, 1, 1}, false},
      {"driver off", {false, false, false, 1, 0, {}}, {0, 0, 1, 1, 0, 1, 1, 1}, true},
      {"busy", {true, true, false, 1, 0, {}}, {0, 0, 1, 1, 0, 0, 0, 0}, false},
      {"busy with test display", {true, true, true, 1, 0, {}}, {0, 0, 0, 0, 0, 0, 0, 0}, false},
      {"type 4 greys the driver functions", {true, false, false, 4, 0, {}}, {0, 0, 1, 1, 0, 0, 1, 1}, false},
      {"type 3 keeps them", {true, false, false, 3, 0, {}}, {1, 1, 1, 1, 1, 1, 1, 1}, false},
  };
  const uint32_t ids[8] = {57401, 57402, 57403, 57404, 57406, 57411, 57413, 57414};
  for (const Case& c : cases) {
    auto menu = CTrayMenu::Build(c.m_state, strings);
    for (int i = 0; i < 8; ++i) {
      ASSERT_NE(Find(menu, ids[i]), nullptr) << ids[i];
      EXPECT_EQ(Find(menu, ids[i])->m_bEnabled, c.m_enabled[i]) << c.m_pszWhat << " " << ids[i];
    }
    EXPECT_EQ(Find(menu, 57411)->m_bChecked, c.m_bDriverOffChecked) << c.m_pszWhat;
  }
}

TEST(TrayMenuTest, StoredRotationIsCheckedAndResolutionLineShowsTheMode) {
  const CStringTable strings = CStringTable::BuiltIn("tabrix");
  const uint32_t stored[][2] = {{0, 57407}, {90, 57408}, {180, 57409}, {270, 57410}, {45, 57407}, {360, 57407}};
  for (const auto& c : stored) {
    TrayMenuState s;
    s.m_uStoredRotation = c[0];
    auto menu = CTrayMenu::Build(s, strings);
    for (uint32_t id = 57407; id <= 57410; ++id)
      EXPECT_EQ(Find(menu, id)->m_bChecked, id == c[1]) << c[0] << " " << id;
  }
  EXPECT_EQ(CTrayMenu::ResolutionText("Current Screen Resolution", {1920, 1080, 60}),
            "Current Screen Resolution  1920 X 1080 @60Hz");
  EXPECT_EQ(CTrayMenu::ResolutionText("R", {800, 600, 0}), "R  800 X 600");
  EXPECT_EQ(CTrayMenu::AngleOf(57409), 180);
  EXPECT_EQ(CTrayMenu::AngleOf(57411), -1);
}

TEST(ButtonWatchTest, OnlyALinkedButtonTwoIsTold) {
  const struct {
    uint32_t m_uBits, m_uPenButon;
    int m_iMessage;
  } cases[] = {{0x10, 0x0100, 0}, {0x20, 0x0100, 1},  {0x30, 0x0100, 0},
               {0x10, 0x0200, -1}, {0x10, 0x0000, -1}, {0x00, 0x0100, -1}};
  for (const auto& c : cases)
    EXPECT_EQ(CButtonWatchThread::MessageFor(c.m_uBits, c.m_uPenButon), c.m_iMessage);
}

TEST(CommandWindowTest, PenModeAnswerByInputMode) {
  EXPECT_EQ(CCommandWindow::PenModeAnswer(0, true), 1);
  EXPECT_EQ(CCommandWindow::PenModeAnswer(0x20, false), 0);  // touch mode bits do not count
  EXPECT_EQ(CCommandWindow::PenModeAnswer(1, true), 0);
  EXPECT_EQ(CCommandWindow::PenModeAnswer(2, false), 1);
  EXPECT_EQ(CCommandWindow::PenModeAnswer(3, false), -1);
}

TEST(PenSoftwareLinkTest, PostsToEveryLinkedWindowThatExists) {
  test::CFakeWindowSystem windows;
  test::CFakeClock clock;
  CMemoryLog log(clock);
  log.Start(4096);
  std::vector<PenSoftwareLink> links(3);
  links[0].m_sWindowName = "Board";
  links[0].m_bUseWindow = 1;
  links[1].m_sWindowName = "Missing";
  links[1].m_bUseWindow = 1;
  // links[2] names neither class nor window: it must not reach an arbitrary window.
  windows.m_byName["Board"] = 9;
  CPenSoftwareLinkPoster poster(windows, links, log);
  EXPECT_TRUE(poster.Send(2, 0, 1));
  ASSERT_EQ(windows.m_posted.size(), 1u);
  EXPECT_EQ(windows.m_posted[0], (std::pair<WindowId, uint32_t>{9, WINDOW_MESSAGE_USER + 302}));
  EXPECT_NE(log.Contents().find("PB 302,0,1"), std::string::npos);
  EXPECT_NE(log.Contents().find("PA(1)"), std::string::npos);
  EXPECT_FALSE(poster.Send(3, 0, 0));
  EXPECT_EQ(windows.m_posted.size(), 1u);
}

TEST(UdevDeviceWatchTest, HidIdParsing) {
  uint16_t vid = 0, pid = 0;
  EXPECT_TRUE(CUdevDeviceWatch::ParseHidId("0003:00002F11:00005A01", &vid, &pid));
  EXPECT_EQ(vid, 0x2F11);
  EXPECT_EQ(pid, 0x5A01);
  for (const char* bad : {"", "0003:2F11", "0003:00012F11:0001", "x:y:z", "0003:2F11:5A01:7"})
    EXPECT_FALSE(CUdevDeviceWatch::ParseHidId(bad, &vid, &pid)) << bad;
  EXPECT_FALSE(CUdevDeviceWatch::ParseHidId(nullptr, &vid, &pid));
}

}  // namespace
}  // namespace kv
