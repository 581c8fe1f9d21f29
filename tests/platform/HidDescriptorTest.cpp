// Texts and bytes that come from outside the HID layer: the announcement files of the
// simulated bus and the report descriptors of real devices.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/SystemError.h"
#include "platform/HidReportDescriptor.h"
#include "platform/posix/HidapiBus.h"
#include "platform/posix/SimHidDescriptor.h"

namespace kv {
namespace {

const char* const GOOD =
    "vid=0x2f11\npid=0x5A01\nversion=256\nusage_page=0x000d\nusage=1\ninput_length=64\n"
    "output_length=64\nfeature_length=0\nopenable=1\nowner=4242\n"
    "path=\\\\?\\hid#vid_2f11&pid_5a01&col01#x\nproduct=Panel\nserial=\n";

TEST(SimHidDescriptor, RoundTripsThroughItsTextForm) {
  SimHidDescriptor d;
  d.m_sName = "panel";
  d.m_sPath = SimHidInstancePath(0x2F11, 0x5A01, 1, "panel");
  d.m_uVendorId = 0x2F11;
  d.m_uProductId = 0x5A01;
  d.m_uVersionNumber = 0x0123;
  d.m_uUsagePage = 0x0D;
  d.m_uUsage = 1;
  d.m_uInputLength = 64;
  d.m_uOutputLength = 65;
  d.m_uFeatureLength = 9;
  d.m_sProduct = "Pen panel \xC3\xA9";
  d.m_sSerial = "SN1";
  d.m_bOpenable = false;
  d.m_uOwnerPid = 77;
  SimHidDescriptor back;
  ASSERT_TRUE(ParseSimHidDescriptor(FormatSimHidDescriptor(d), "panel", &back));
  EXPECT_EQ(back.m_sPath, d.m_sPath);
  EXPECT_EQ(back.m_uVendorId, 0x2F11);
  EXPECT_EQ(back.m_uProductId, 0x5A01);
  EXPECT_EQ(back.m_uVersionNumber, 0x0123);
  EXPECT_EQ(back.m_uUsagePage, 0x0D);
  EXPECT_EQ(back.m_uInputLength, 64);
  EXPECT_EQ(back.m_uOutputLength, 65);
  EXPECT_EQ(back.m_uFeatureLength, 9);
  EXPECT_EQ(back.m_sProduct, d.m_sProduct);
  EXPECT_FALSE(back.m_bOpenable);
  EXPECT_EQ(back.m_uOwnerPid, 77u);
  EXPECT_EQ(Utf8ToUtf16(back.m_sProduct), u"Pen panel \u00e9");
}

TEST(SimHidDescriptor, RefusesMalformedAnnouncements) {
  SimHidDescriptor d;
  ASSERT_TRUE(ParseSimHidDescriptor(GOOD, "panel", &d));
  struct Case {
    const char* from;
    const char* to;
  } cases[] = {
      {"vid=0x2f11\n", "vid=0x12345\n"},         // beyond 16 bits
      {"vid=0x2f11\n", "vid=2f11\n"},            // hex without its prefix
      {"vid=0x2f11\n", ""},                      // required key missing
      {"owner=4242\n", "owner=0\n"},             // nobody owns it
      {"owner=4242\n", ""},
      {"input_length=64\n", "input_length=5000\n"},  // larger than any frame
      {"openable=1\n", "openable=2\n"},
      {"usage=1\n", "usage=-1\n"},
      {"usage=1\n", "usage=\n"},
      {"product=Panel\n", "product=Pa\rnel\n"},  // a break the writer never leaves in
  };
  for (const auto& c : cases) {
    std::string text = GOOD;
    text.replace(text.find(c.from), std::strlen(c.from), c.to);
    EXPECT_FALSE(ParseSimHidDescriptor(text, "panel", &d)) << c.from << " -> " << c.to;
  }
  EXPECT_FALSE(ParseSimHidDescriptor(GOOD, "../panel", &d));
  EXPECT_FALSE(ParseSimHidDescriptor(GOOD, "", &d));
}

TEST(SimHidDescriptor, InstancePathsCarryTheCollectionTextAfterTheStart) {
  std::string p = SimHidInstancePath(0x2F11, 0x5A01, 1, "panel");
  EXPECT_EQ(p.rfind("\\\\?\\hid#vid_2f11&pid_5a01&col01#7&", 0), 0u) << p;
  EXPECT_NE(p.find("#{4d1e55b2-f16f-11cf-88cb-001111000030}"), std::string::npos);
  EXPECT_EQ(SimHidInstancePath(0x2F11, 0x5A01, 0, "panel").find("col"), std::string::npos);
  EXPECT_NE(SimHidInstancePath(0x2F11, 0x5A01, 1, "a"), SimHidInstancePath(0x2F11, 0x5A01, 1, "b"));
}

// A digitizer with a pen input report (id 1, 9 bytes of data), an output report (id 1,
// 63 bytes), a second top-level collection (keyboard), and a feature report (id 2, 8 bytes).
const std::vector<uint8_t> DIGITIZER = {
    0x05, 0x0D, 0x09, 0x01, 0xA1, 0x01,         // usage page digitizer, usage 1, collection
    0x85, 0x01, 0x75, 0x08, 0x95, 0x09, 0x81, 0x02,  // id 1, 9 x 8 bits input
    0x95, 0x3F, 0x91, 0x02,                     // 63 x 8 bits output
    0x85, 0x02, 0x95, 0x08, 0xB1, 0x02,         // id 2, 8 x 8 bits feature
    0xC0,
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,         // generic desktop keyboard
    0x85, 0x03, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0xC0,
};

TEST(HidReportDescriptor, ReportsWhatHidPGetCapsWould) {
  HidDescriptorSummary s;
  ASSERT_TRUE(ParseHidReportDescriptor(DIGITIZER, &s));
  EXPECT_EQ(s.m_caps.m_uUsagePage, 0x0D);
  EXPECT_EQ(s.m_caps.m_uUsage, 0x01);
  EXPECT_EQ(s.m_caps.m_uInputReportByteLength, 10);
  EXPECT_EQ(s.m_caps.m_uOutputReportByteLength, 64);
  EXPECT_EQ(s.m_caps.m_uFeatureReportByteLength, 9);
  EXPECT_EQ(s.m_uTopLevelCollections, 2u);
  EXPECT_TRUE(s.m_bReportIds);
}

TEST(HidReportDescriptor, RefusesTruncatedAndUnbalancedDescriptors) {
  HidDescriptorSummary s;
  for (size_t cut = 1; cut < DIGITIZER.size(); ++cut) {
    std::vector<uint8_t> part(DIGITIZER.begin(), DIGITIZER.begin() + static_cast<ptrdiff_t>(cut));
    // A strict prefix ends inside an item or an open collection, except those that end
    // on an item boundary outside every collection: before the first one opens (2, 4)
    // and after it closed (25, 27, 29).
    bool whole = cut == 2 || cut == 4 || cut == 25 || cut == 27 || cut == 29;
    EXPECT_EQ(ParseHidReportDescriptor(part, &s), whole) << cut;
  }
  EXPECT_FALSE(ParseHidReportDescriptor(std::vector<uint8_t>{0xC0}, &s));
  EXPECT_FALSE(ParseHidReportDescriptor(std::vector<uint8_t>{0xB4}, &s));  // pop, no push
  EXPECT_FALSE(ParseHidReportDescriptor(std::vector<uint8_t>{0xFE, 0x05, 0x00}, &s));
}

TEST(HidapiBus, EnumeratesWithoutCrashingAndEndsWith259) {
  CHidapiBus bus;
  std::string path;
  uint32_t i = 0;
  while (bus.EnumerateInterface(i, &path) == ERROR_CODE_SUCCESS && i < 1000) ++i;
  EXPECT_EQ(bus.EnumerateInterface(i, &path), ERROR_CODE_NO_MORE_ITEMS);
  std::unique_ptr<HidDevice> dev;
  EXPECT_EQ(bus.Open("\\\\?\\hid#vid_0000&pid_0000#/dev/nothing", false, &dev),
            ERROR_CODE_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace kv
