#include "tabrix/app/TabrixIni.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tabrix/app/LanguageList.h"

namespace kv {
namespace {

struct LinkExpect {
  std::string m_sClass;
  std::string m_sWindow;
  uint32_t m_bUseClass;
  uint32_t m_bUseWindow;
  std::vector<uint32_t> m_messages;
};

const std::vector<uint32_t> kDefaultMessages = {300, 301, 302};
const LinkExpect kDefaultLink = {"KAVRO_PENSOFTWARE", "KAVRO_PENSOFTWARE", 1, 1, kDefaultMessages};

struct LinkCase {
  const char* m_pName;
  std::string m_sIni;
  std::vector<LinkExpect> m_links;
};
void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.m_pName; }

class TabrixIniLinks : public ::testing::TestWithParam<LinkCase> {};

TEST_P(TabrixIniLinks, BuildsTheTargetList) {
  const CTabrixIni ini = CTabrixIni::Read(CIniFile::FromText(GetParam().m_sIni));
  const auto& links = ini.Links();
  ASSERT_EQ(links.size(), GetParam().m_links.size());
  for (size_t i = 0; i < links.size(); ++i) {
    const LinkExpect& e = GetParam().m_links[i];
    EXPECT_EQ(links[i].m_sClassName, e.m_sClass) << i;
    EXPECT_EQ(links[i].m_sWindowName, e.m_sWindow) << i;
    EXPECT_EQ(links[i].m_bUseClass, e.m_bUseClass) << i;
    EXPECT_EQ(links[i].m_bUseWindow, e.m_bUseWindow) << i;
    EXPECT_EQ(std::vector<uint32_t>(links[i].m_auMessages, links[i].m_auMessages + 3), e.m_messages) << i;
    EXPECT_EQ(links[i].m_hWndLast, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TabrixIniLinks,
    ::testing::Values(
        LinkCase{"empty_file", "", {kDefaultLink}},
        LinkCase{"class_only", "[OtherPenSoft]\nClassName=(PenApp)\n", {{"PenApp", "", 1, 0, kDefaultMessages}}},
        LinkCase{"both_names_and_messages",
                 "[OtherPenSoft]\nClassName=(C)\nWindowName=(W)\nMsgAdrStr=400,401,402\n",
                 {{"C", "W", 1, 1, {400, 401, 402}}}},
        LinkCase{"unparenthesised_name_is_present_but_unused",
                 "[OtherPenSoft]\nClassName=Plain\n[Application1]\nWindowName=(Win1)\n",
                 {{"", "Win1", 0, 1, kDefaultMessages}}},
        LinkCase{"unparenthesised_window_keeps_the_used_class",
                 "[OtherPenSoft]\nClassName=(C)\nWindowName=W\n", {{"C", "", 1, 0, kDefaultMessages}}},
        LinkCase{"empty_first_section_does_not_stop",
                 "[Application1]\nClassName=(A1)\n[Application2]\nClassName=(A2)\n",
                 {{"A1", "", 1, 0, kDefaultMessages}, {"A2", "", 1, 0, kDefaultMessages}}},
        LinkCase{"gap_stops_the_scan",
                 "[OtherPenSoft]\nClassName=(P)\n[Application2]\nClassName=(A2)\n",
                 {{"P", "", 1, 0, kDefaultMessages}}},
        LinkCase{"two_messages_keep_the_defaults",
                 "[OtherPenSoft]\nClassName=(P)\nMsgAdrStr=400,401\n", {{"P", "", 1, 0, kDefaultMessages}}},
        LinkCase{"four_messages_keep_the_defaults",
                 "[OtherPenSoft]\nClassName=(P)\nMsgAdrStr=1,2,3,4\n", {{"P", "", 1, 0, kDefaultMessages}}},
        LinkCase{"message_forms",
                 "[OtherPenSoft]\nClassName=(P)\nMsgAdrStr=,-1,, 0x10 ,7abc,\n",
                 {{"P", "", 1, 0, {0xFFFFFFFFu, 0, 7}}}},
        LinkCase{"parenthesis_edges",
                 "[OtherPenSoft]\nClassName=()\nWindowName=(\n[Application1]\nClassName=((x))\nWindowName=(a)b\n",
                 {{"", "", 1, 0, kDefaultMessages}, {"(x)", "", 1, 0, kDefaultMessages}}},
        LinkCase{"over_long_name_is_kept_whole",
                 "[OtherPenSoft]\nWindowName=(" + std::string(5000, 'w') + ")\n",
                 {{"", std::string(5000, 'w'), 0, 1, kDefaultMessages}}},
        LinkCase{"nothing_usable_gives_the_default",
                 "[OtherPenSoft]\nClassName=a\n[Application1]\nWindowName=b\n", {kDefaultLink}}),
    [](const auto& info) { return std::string(info.param.m_pName); });

TEST(TabrixIni, CommonSwitchesAreReadFromTheFirstLinkSectionThenFromCommon) {
  struct Case {
    const char* m_pName;
    const char* m_pszIni;
    int32_t m_iDriver, m_iCompatible, m_iSingle;
    const char* m_pszReceive;
    const char* m_pszSend;
  };
  const Case cases[] = {
      {"defaults", "", 0, 1, 0, "", ""},
      {"link_section_integers_lose_to_common_defaults",
       "[OtherPenSoft]\nClassName=x\nDriverMode=1\nCompatibleMode=0\nSingleMode=1\nReceiveLogFile=r.log\n", 0, 1,
       0, "r.log", ""},
      {"common_wins",
       "[OtherPenSoft]\nClassName=(x)\nReceiveLogFile=r.log\nSendLogFile=s.log\n"
       "[Common]\nDriverMode=1\nCompatibleMode=3\nSingleMode=1\nSendLogFile=c.log\n",
       1, 3, 1, "r.log", "c.log"},
      {"empty_common_values_give_defaults",
       "[Common]\nDriverMode=\nCompatibleMode=\nReceiveLogFile=\n", 0, 1, 0, "", ""},
      {"first_present_section_only",
       "[Application1]\nWindowName=(w)\nReceiveLogFile=one.log\n[Application2]\nClassName=(c)\n"
       "ReceiveLogFile=two.log\nSendLogFile=two.log\n",
       0, 1, 0, "one.log", ""},
      {"common_only", "[common]\nsinglemode=1\nreceivelogfile=in.log\n", 0, 1, 1, "in.log", ""},
  };
  for (const Case& c : cases) {
    const CTabrixIni ini = CTabrixIni::Read(CIniFile::FromText(c.m_pszIni));
    EXPECT_EQ(ini.DriverMode(), c.m_iDriver) << c.m_pName;
    EXPECT_EQ(ini.CompatibleMode(), c.m_iCompatible) << c.m_pName;
    EXPECT_EQ(ini.SingleMode(), c.m_iSingle) << c.m_pName;
    EXPECT_EQ(ini.ReceiveLogFile(), c.m_pszReceive) << c.m_pName;
    EXPECT_EQ(ini.SendLogFile(), c.m_pszSend) << c.m_pName;
  }
}

TEST(TabrixIni, MessageSeparatorComesFromTheCaller) {
  const CIniFile file = CIniFile::FromText("[OtherPenSoft]\nClassName=(P)\nMsgAdrStr=7;8;9\n");
  EXPECT_EQ(CTabrixIni::Read(file, ";").Links()[0].m_auMessages[2], 9u);
  EXPECT_EQ(CTabrixIni::Read(file, ",").Links()[0].m_auMessages[2], 302u);
  EXPECT_EQ(CTabrixIni::Read(file, "").Links()[0].m_auMessages[2], 302u);
}

TEST(LanguageList, ReadsNamesUntilTheFirstGapAndSkipsWhatDoesNotFit) {
  const std::string name63(63, 'n');
  const std::string name64(64, 'o');
  const std::string file258(258, 'f');
  const std::string file259(259, 'g');
  const std::string text =
      "[LANGUAGE]\nLanguage1=English\nLanguage2=Deutsch\nLanguage3=english\nLanguage4=" + name64 +
      "\nLanguage5=" + name63 + "\nLanguage6=Francais\nLanguage7=Nihongo\nLanguage8=Svenska\n"
      "Language10=Gap\n"
      "[English]\nLANGID=0409\nResourceFileName=en.kvl\n"
      "[Deutsch]\nLANGID=407x\nResourceFileName=" + file258 + "\n"
      "[" + name63 + "]\nLANGID=10000\nResourceFileName=" + file259 + "\n"
      "[Francais]\nLANGID=ffff\n"
      "[Nihongo]\nLANGID=0x411\n"
      "[Svenska]\nLANGID=FFFFFFFF00000001\n";
  CLanguageList list;
  ASSERT_TRUE(list.Load(CIniFile::FromText(text)));
  const auto& e = list.Entries();
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e[0].m_sName, "English");
  EXPECT_EQ(e[0].m_uLangId, 0x409);
  EXPECT_EQ(e[0].m_sResourceFileName, "en.kvl");
  EXPECT_EQ(e[1].m_uLangId, 0x407);
  EXPECT_EQ(e[1].m_sResourceFileName, file258);
  EXPECT_EQ(e[2].m_sName, name63);
  EXPECT_EQ(e[2].m_uLangId, 0);
  EXPECT_EQ(e[2].m_sResourceFileName, "");
  EXPECT_EQ(e[3].m_uLangId, 0xFFFF);
  EXPECT_EQ(e[3].m_sResourceFileName, "");
  EXPECT_EQ(e[4].m_uLangId, 0) << "the x stops the digits after the 0";
  EXPECT_EQ(e[5].m_uLangId, 0) << "a long value must not wrap back into range";
  ASSERT_NE(list.Find("DEUTSCH"), nullptr);
  EXPECT_EQ(list.Find("DEUTSCH")->m_sName, "Deutsch");
  EXPECT_EQ(list.Find("Gap"), nullptr);

  ASSERT_TRUE(list.Load(CIniFile::FromText("[LANGUAGE]\nLanguage2=Deutsch\n")));
  EXPECT_TRUE(list.Entries().empty());
}

}  // namespace
}  // namespace kv
