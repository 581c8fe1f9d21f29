#include "tabrix/app/SettingsStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/tabrix/FakeRegistry.h"

namespace kv {
namespace {

using test::CFakeRegistry;
constexpr RegistryHive HKCU = RegistryHive::CURRENT_USER;
constexpr RegistryHive HKLM = RegistryHive::LOCAL_MACHINE;
const std::string kProgramKey = "SOFTWARE\\KAVRO\\Corvane\\Setting";
const std::string kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";
const std::string kModel2Key = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R800A";

// Records what reaches the system and the shared table, in one sequence, so that the
// order of applying and storing can be checked too.
struct CEvents {
  std::vector<std::string> m_list;
};

class CRecordingParameters final : public SystemParameters {
 public:
  explicit CRecordingParameters(CEvents& events) : m_events(events) {}
  uint32_t Get(SystemParameter, uint32_t*) override { return 1; }
  uint32_t Set(SystemParameter p, uint32_t value, uint32_t flags) override {
    static const char* const kNames[] = {"dblw", "dblh", "dblt", "dragw", "dragh"};
    m_events.m_list.push_back(std::string(kNames[static_cast<int>(p)]) + "=" +
                              std::to_string(value) + "/" + std::to_string(flags));
    return 0;
  }
  CEvents& m_events;
};

class CRecordingSink final : public SharedSettingsSink {
 public:
  explicit CRecordingSink(CEvents& events) : m_events(events) {}
  void SetCalibDisp(uint32_t v) override { m_events.m_list.push_back("calibdisp=" + std::to_string(v)); }
  void SetSingleClickType(uint32_t v) override {
    m_events.m_list.push_back("singleclicktype=" + std::to_string(v));
  }
  CEvents& m_events;
};

RegistryValue Dword(uint32_t v) {
  RegistryValue r;
  r.m_uType = REG_TYPE_DWORD;
  r.m_uDword = v;
  return r;
}
RegistryValue Text(std::string s) {
  RegistryValue r;
  r.m_uType = REG_TYPE_SZ;
  r.m_sText = std::move(s);
  return r;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::optional<RegistryValue> Stored(RegistryHive hive, const std::string& key, const std::string& name) {
    RegistryValue v;
    if (!m_registry.Peek(hive, key, name, &v)) return std::nullopt;
    return v;
  }
  CEvents m_events;
  CFakeRegistry m_registry;
  CRecordingParameters m_parameters{m_events};
  CRecordingSink m_sink{m_events};
  SettingsStore m_store{m_registry, m_parameters, &m_sink};
};

// The two-hive read, for a value with a fallback: what each hive holds and what the getter
// must return.
struct ReadCase {
  const char* m_pName;
  std::optional<RegistryValue> m_user;
  std::optional<RegistryValue> m_machine;
  uint32_t m_uExpected;
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.m_pName; }

class SettingsStoreRead : public SettingsStoreTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(SettingsStoreRead, DblClickFollowsHiveOrderSentinelAndFallback) {
  const ReadCase& c = GetParam();
  if (c.m_user) m_registry.Put(HKCU, kModelKey, "DblClick", *c.m_user);
  if (c.m_machine) m_registry.Put(HKLM, kModelKey, "dblclick", *c.m_machine);
  EXPECT_EQ(m_store.GetDblClick(), c.m_uExpected);
  const std::string v = std::to_string(c.m_uExpected);
  EXPECT_EQ(m_events.m_list, (std::vector<std::string>{"dblh=" + v + "/2", "dblw=" + v + "/2"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsStoreRead,
    ::testing::Values(ReadCase{"absent_everywhere", std::nullopt, std::nullopt, 32},
                      ReadCase{"zero_stored", Dword(0), std::nullopt, 32},
                      ReadCase{"machine_only", std::nullopt, Dword(40), 40},
                      ReadCase{"user_sentinel_machine_value", Dword(999999), Dword(40), 40},
                      ReadCase{"user_shadows_machine", Dword(20), Dword(40), 20},
                      ReadCase{"user_zero_shadows_machine", Dword(0), Dword(40), 32},
                      ReadCase{"sentinel_everywhere", Dword(999999), Dword(999999), 32},
                      ReadCase{"user_value_of_other_type", Text("20"), Dword(40), 40},
                      ReadCase{"both_of_other_type", Text("20"), Text("40"), 32}),
    [](const auto& info) { return std::string(info.param.m_pName); });

// Where each setting lives and how it is spelled: a stored format shared with the
// installer, so every name and key is checked against the expected text.
struct PlaceCase {
  const char* m_pName;
  std::string m_sKey;
  std::function<void(SettingsStore&)> m_write;
  RegistryValue m_expected;
};
void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.m_pName; }

class SettingsStorePlace : public SettingsStoreTest, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(SettingsStorePlace, SetterWritesNameKeyAndTypeInBothHives) {
  const PlaceCase& c = GetParam();
  c.m_write(m_store);
  for (RegistryHive hive : {HKLM, HKCU}) {
    auto v = Stored(hive, c.m_sKey, c.m_pName);
    ASSERT_TRUE(v.has_value()) << c.m_pName;
    EXPECT_EQ(v->m_uType, c.m_expected.m_uType);
    EXPECT_EQ(v->m_uDword, c.m_expected.m_uDword);
    EXPECT_EQ(v->m_sText, c.m_expected.m_sText);
  }
  EXPECT_EQ(m_registry.ValueCount(HKLM), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsStorePlace,
    ::testing::Values(
        PlaceCase{"SelectLanguage", kProgramKey, [](SettingsStore& s) { s.SetSelectLanguage("Deutsch"); }, Text("Deutsch")},
        PlaceCase{"WaitServiceTimeOutSeconds", kProgramKey, [](SettingsStore& s) { s.SetWaitServiceTimeOutSeconds(7); }, Dword(7)},
        PlaceCase{"LogSize", kProgramKey, [](SettingsStore& s) { s.SetLogSize(64); }, Dword(64)},
        PlaceCase{"LogFileName", kProgramKey, [](SettingsStore& s) { s.SetLogFileName("t.log"); }, Text("t.log")},
        PlaceCase{"USBPort", kModelKey, [](SettingsStore& s) { s.SetUsbPort(1); }, Dword(1)},
        PlaceCase{"SingleClick", kModelKey, [](SettingsStore& s) { s.SetSingleClick(24); }, Dword(24)},
        PlaceCase{"OSDmode", kModelKey, [](SettingsStore& s) { s.SetOsdMode(-1); }, Dword(0xFFFFFFFFu)},
        PlaceCase{"PenButon", kModelKey, [](SettingsStore& s) { s.SetPenButon(0x101); }, Dword(257)},
        PlaceCase{"StartupCalibDisp", kModelKey, [](SettingsStore& s) { s.SetStartupCalibDisp(0); }, Dword(0)},
        PlaceCase{"CalibShortKey", kModelKey, [](SettingsStore& s) { s.SetCalibShortKey("Q"); }, Text("Q")},
        PlaceCase{"CalibEasyKey", kModelKey, [](SettingsStore& s) { s.SetCalibEasyKey("W"); }, Text("W")},
        PlaceCase{"CalibDirectKey0", kModelKey, [](SettingsStore& s) { s.SetCalibDirectKey(0, "F1"); }, Text("F1")},
        PlaceCase{"CalibDirectKey2", kModelKey, [](SettingsStore& s) { s.SetCalibDirectKey(2, "z"); }, Text("z")},
        PlaceCase{"TabrixVersion", kModelKey, [](SettingsStore& s) { s.SetTabrixVersion("Version 2.2.2.7"); }, Text("Version 2.2.2.7")},
        PlaceCase{"InputMode", kModelKey, [](SettingsStore& s) { s.SetInputMode(0x21); }, Dword(0x21)},
        PlaceCase{"RegionDetection", kModelKey, [](SettingsStore& s) { s.SetRegionDetection(0); }, Dword(0)},
        PlaceCase{"DispPassDlg", kModelKey, [](SettingsStore& s) { s.SetDispPassDlg(0); }, Dword(0)},
        PlaceCase{"RotationAngle", kModelKey, [](SettingsStore& s) { s.SetRotationAngle(270); }, Dword(270)},
        PlaceCase{"ScreenSaverIsSecure", "Control Panel\\Desktop", [](SettingsStore& s) { s.SetScreenSaverIsSecure(true); }, Text("1")}),
    [](const auto& info) { return std::string(info.param.m_pName); });

TEST_F(SettingsStoreTest, DefaultsOfAFreshRegistry) {
  EXPECT_EQ(m_store.GetSelectLanguage(), "");
  EXPECT_EQ(m_store.GetWaitServiceTimeOutSeconds(), 300u);
  EXPECT_EQ(m_store.GetLogSize(), 4096u);
  EXPECT_EQ(m_store.GetLogFileName(), "");
  EXPECT_EQ(m_store.GetUsbPort(), 0u);
  EXPECT_EQ(m_store.GetSingleClick(), 16u);
  EXPECT_EQ(m_store.GetOsdMode(), 0);
  EXPECT_EQ(m_store.GetPenButon(), 257u);
  EXPECT_EQ(m_store.GetStartupCalibDisp(), 1u);
  EXPECT_EQ(m_store.GetCalibShortKey(), "D");
  EXPECT_EQ(m_store.GetCalibEasyKey(), "S");
  EXPECT_EQ(m_store.GetCalibDirectKey(0), "");
  EXPECT_EQ(m_store.GetInputMode(), 32u);
  m_store.SetOsType(15);
  EXPECT_EQ(m_store.GetInputMode(), 0u);
  EXPECT_EQ(m_store.GetRegionDetection(), 1u);
  EXPECT_EQ(m_store.GetDispPassDlg(), 1u);
  EXPECT_EQ(m_store.GetDelayTime(), 0u);
  EXPECT_EQ(m_store.GetRotationAngle(), 0u);
  EXPECT_FALSE(m_store.GetScreenSaverIsSecure());
  EXPECT_EQ(m_store.GetResolution(1920, 1080), std::make_pair(1920u, 1080u));
  EXPECT_TRUE(m_events.m_list.empty());
  EXPECT_EQ(m_registry.ValueCount(HKLM) + m_registry.ValueCount(HKCU), 0u) << "getters never write";
}

TEST_F(SettingsStoreTest, TextReadsTreatEmptyAsAbsentAndToleratesStoredTerminators) {
  m_registry.Put(HKCU, kModelKey, "CalibShortKey", Text(""));
  m_registry.Put(HKLM, kModelKey, "CalibShortKey", Text("K"));
  EXPECT_EQ(m_store.GetCalibShortKey(), "K");
  m_registry.Put(HKLM, kModelKey, "CalibShortKey", Text(""));
  EXPECT_EQ(m_store.GetCalibShortKey(), "D");
  m_registry.Put(HKCU, kModelKey, "CalibEasyKey", Text(std::string("E\0", 2)));
  EXPECT_EQ(m_store.GetCalibEasyKey(), "E");
  m_registry.Put(HKCU, kModelKey, "CalibEasyKey", Text(std::string("\0E", 2)));
  EXPECT_EQ(m_store.GetCalibEasyKey(), "S");
  m_registry.Put(HKCU, kModelKey, "CalibEasyKey", Dword(5));
  EXPECT_EQ(m_store.GetCalibEasyKey(), "S");
  // Over-long texts are cut to the sizes of the read and write buffers.
  m_registry.Put(HKCU, kProgramKey, "LogFileName", Text(std::string(300, 'a')));
  EXPECT_EQ(m_store.GetLogFileName(), std::string(255, 'a'));
  m_store.SetSelectLanguage(std::string(300, 'b'));
  EXPECT_EQ(Stored(HKLM, kProgramKey, "SelectLanguage")->m_sText, std::string(254, 'b'));
}

TEST_F(SettingsStoreTest, UserCopyShadowsNewerMachineCopy) {
  m_store.SetRotationAngle(90);
  m_registry.Put(HKLM, kModelKey, "RotationAngle", Dword(180));
  EXPECT_EQ(m_store.GetRotationAngle(), 90u);
}

TEST_F(SettingsStoreTest, MachineOnlyNamesAndInstallerModeKeepTheUserHiveUntouched) {
  m_store.SetDelayTime(500);
  m_store.WriteDword(kModelKey, "SleepTime", 9);
  m_store.WriteDword(kModelKey, "delaytime", 9);
  EXPECT_EQ(m_registry.ValueCount(HKCU), 0u);
  EXPECT_EQ(Stored(HKLM, kModelKey, "SleepTime")->m_uDword, 9u);
  EXPECT_EQ(Stored(HKLM, kModelKey, "DelayTime")->m_uDword, 9u);

  m_store.SetInstallerMode(true);
  m_store.SetPenButon(1);
  m_store.SetLogFileName("x.log");
  EXPECT_EQ(m_registry.ValueCount(HKCU), 0u);
  EXPECT_EQ(Stored(HKLM, kModelKey, "PenButon")->m_uDword, 1u);
  m_store.SetInstallerMode(false);
  m_store.SetPenButon(2);
  EXPECT_EQ(Stored(HKCU, kModelKey, "PenButon")->m_uDword, 2u);
}

TEST_F(SettingsStoreTest, ReadOnlyMachineHiveLeavesTheUserCopyInForce) {
  m_store.SetInputMode(1);
  m_registry.SetReadOnly(HKLM, true);
  m_store.SetInputMode(2);
  EXPECT_EQ(Stored(HKLM, kModelKey, "InputMode")->m_uDword, 1u);
  EXPECT_EQ(m_store.GetInputMode(), 2u);
}

TEST_F(SettingsStoreTest, PerModelValuesFollowTheCurrentModel) {
  m_store.SetPenButon(1);
  m_store.SetModelSubkey("\\VT-R800A");
  EXPECT_EQ(m_store.GetPenButon(), 257u);
  m_store.SetPenButon(0x100);
  EXPECT_EQ(Stored(HKCU, kModel2Key, "PenButon")->m_uDword, 0x100u);
  m_store.SetModelSubkey("\\VT-R700A");
  EXPECT_EQ(m_store.GetPenButon(), 1u);
  // Program-wide values do not depend on the model.
  m_store.SetLogSize(32);
  m_store.SetModelSubkey("\\VT-R800A");
  EXPECT_EQ(m_store.GetLogSize(), 32u);
}

TEST_F(SettingsStoreTest, SideEffectsOfGettersAndSetters) {
  m_store.GetDblClickInterval();
  m_store.SetDblClickInterval(300);
  m_store.SetDblClick(0);
  m_store.ApplyClickRange(24);
  EXPECT_EQ(m_events.m_list, (std::vector<std::string>{"dblt=500/2", "dblt=300/2", "dblh=32/2",
                                                       "dblw=32/2", "dragh=24/3", "dragw=24/3"}));
  EXPECT_EQ(m_store.GetDblClickInterval(), 300u);
  EXPECT_EQ(Stored(HKCU, kModelKey, "DblClick")->m_uDword, 0u);

  m_events.m_list.clear();
  EXPECT_EQ(m_store.GetCalibDisp(), 1u);
  m_store.SetSingleClickType(1);
  EXPECT_EQ(m_store.GetSingleClickType(), 1u);
  m_store.SetCalibDisp(0);
  EXPECT_EQ(m_events.m_list, (std::vector<std::string>{"calibdisp=1", "singleclicktype=1",
                                                       "singleclicktype=1", "calibdisp=0"}));
  // Without a shared table the values are only stored.
  m_store.SetSharedTable(nullptr);
  m_events.m_list.clear();
  m_store.SetCalibDisp(1);
  EXPECT_EQ(m_store.GetSingleClickType(), 1u);
  EXPECT_TRUE(m_events.m_list.empty());
}

struct KeyCase {
  const char* m_pName;
  int m_iIndex;
  const char* m_pszStored;  // null = absent
  uint32_t m_uCode;
};
void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.m_pName; }

class SettingsStoreHotKey : public SettingsStoreTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(SettingsStoreHotKey, TextBecomesVirtualKeyCode) {
  const KeyCase& c = GetParam();
  static const char* const kNames[] = {"CalibShortKey", "CalibEasyKey", "CalibDirectKey0",
                                       "CalibDirectKey1", "CalibDirectKey2"};
  if (c.m_pszStored) m_registry.Put(HKCU, kModelKey, kNames[c.m_iIndex], Text(c.m_pszStored));
  EXPECT_EQ(m_store.HotKeyCode(c.m_iIndex), c.m_uCode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsStoreHotKey,
    ::testing::Values(KeyCase{"short_default", 0, nullptr, 'D'}, KeyCase{"easy_default", 1, nullptr, 'S'},
                      KeyCase{"direct1_f10", 3, "f10", 121}, KeyCase{"direct1_x", 3, "x", 'X'},
                      KeyCase{"direct1_absent", 3, nullptr, 0}, KeyCase{"direct0_F1", 2, "F1", 112},
                      KeyCase{"direct2_F12", 4, "F12", 123}, KeyCase{"direct2_f13", 4, "f13", 'F'},
                      KeyCase{"direct0_digit", 2, "7", '7'}, KeyCase{"easy_lower", 1, "q", 'Q'},
                      KeyCase{"short_word", 0, "home", 'H'}, KeyCase{"bad_index", 5, nullptr, 0},
                      KeyCase{"negative_index", -1, nullptr, 0}),
    [](const auto& info) { return std::string(info.param.m_pName); });

TEST_F(SettingsStoreTest, MemoryLogSizeNeedsAFileNameAndAtLeast16KiB) {
  m_store.SetLogSize(5);
  EXPECT_EQ(m_store.MemoryLogBytes(), 0u) << "no file name, no log";
  m_store.SetLogFileName("tabrix.log");
  EXPECT_EQ(m_store.MemoryLogBytes(), 16u * 1024);
  m_store.SetLogSize(0);
  EXPECT_EQ(m_store.MemoryLogBytes(), 16u * 1024);
  m_store.SetLogSize(0xFFFFFFFFu);
  EXPECT_EQ(m_store.MemoryLogBytes(), uint64_t{0xFFFFFFFFu} * 1024);
  m_store.SetLogSize(SettingsStore::ABSENT_DWORD);
  EXPECT_EQ(m_store.MemoryLogBytes(), 4096u * 1024);
}

TEST_F(SettingsStoreTest, ResolutionAndScreenSaverFlag) {
  m_store.SetResolution(1366, 768);
  EXPECT_EQ(m_store.GetResolution(1920, 1080), std::make_pair(1366u, 768u));
  EXPECT_EQ(Stored(HKCU, kModelKey, "DetailResolutionY")->m_uDword, 768u);
  for (const char* text : {"0", "yes", "11", " 1"}) {
    m_registry.Put(HKCU, "Control Panel\\Desktop", "ScreenSaverIsSecure", Text(text));
    EXPECT_FALSE(m_store.GetScreenSaverIsSecure()) << text;
  }
  m_registry.Put(HKCU, "control panel\\desktop", "screensaverissecure", Text("1"));
  EXPECT_TRUE(m_store.GetScreenSaverIsSecure());
  m_store.SetScreenSaverIsSecure(false);
  EXPECT_EQ(Stored(HKLM, "Control Panel\\Desktop", "ScreenSaverIsSecure")->m_sText, "0");
}

TEST_F(SettingsStoreTest, FreshInstallationDefaultsForEveryModel) {
  m_store.SetOsType(14);
  m_store.SetInstallerMode(true);
  m_store.CreateMakerKey();
  EXPECT_TRUE(m_registry.HasKey(HKLM, "SOFTWARE\\KAVRO"));
  EXPECT_TRUE(m_registry.HasKey(HKCU, "SOFTWARE\\KAVRO"));
  m_store.SetModelSubkey("\\Extra");
  m_store.WriteFreshInstallDefaults({"\\VT-R700A", "\\VT-R800A", "\\Extra"});
  EXPECT_EQ(m_store.ModelSubkey(), "\\Extra");
  for (const std::string& key : {kModelKey, kModel2Key, kProgramKey + "\\Extra"}) {
    EXPECT_EQ(Stored(HKLM, key, "USBPort")->m_uDword, 1u) << key;
    EXPECT_EQ(Stored(HKLM, key, "StartupCalibDisp")->m_uDword, 1u);
    EXPECT_EQ(Stored(HKLM, key, "PenButon")->m_uDword, 257u);
    EXPECT_EQ(Stored(HKLM, key, "CalibDisp")->m_uDword, 1u);
    EXPECT_EQ(Stored(HKLM, key, "RotationAngle")->m_uDword, 0u);
    EXPECT_EQ(Stored(HKLM, key, "InputMode")->m_uDword, 0u);
    EXPECT_EQ(Stored(HKLM, key, "RegionDetection")->m_uDword, 1u);
  }
  EXPECT_EQ(m_registry.ValueCount(HKLM), 21u);
  EXPECT_EQ(m_registry.ValueCount(HKCU), 0u);
}

}  // namespace
}  // namespace kv
