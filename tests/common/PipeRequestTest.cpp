#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "common/CommandCodes.h"
#include "common/LittleEndian.h"
#include "common/PipeRequest.h"

namespace kv {
namespace {

std::vector<uint8_t> MustBuild(uint32_t command, std::vector<uint8_t> in, uint32_t outSize) {
  std::vector<uint8_t> message;
  EXPECT_TRUE(PipeRequest::Build(command, in, outSize, &message));
  return message;
}

TEST(PipeRequestBuild, SetTouchModeIsThirtyFourBytes) {
  std::vector<uint8_t> m = MustBuild(COMMAND_SET_TOUCH_MODE, {1, 0}, 0);
  const std::vector<uint8_t> expected = {
      34, 0, 0, 0,  0, 0, 0, 0,  12, 0, 0, 0,  2, 0, 0, 0,  // header
      1, 0,                                                 // payload: u16 on
      0, 0, 0, 0,  0, 0, 0, 0,                              // out size 0, out returned 0
      0, 0, 0, 0, 0, 0, 0, 0};                              // trailing zeros
  EXPECT_EQ(m, expected);
}

TEST(PipeRequestBuild, EmptyPayloadPutsOutDescriptorAtSeventeen) {
  std::vector<uint8_t> m = MustBuild(COMMAND_WAIT_STATUS, {}, 24);
  ASSERT_EQ(m.size(), 56u);
  EXPECT_EQ(ReadU32(&m[0]), 56u);
  EXPECT_EQ(ReadU32(&m[12]), 0u);
  EXPECT_EQ(m[16], 0);
  EXPECT_EQ(ReadU32(&m[17]), 24u);
  EXPECT_EQ(ReadU32(&m[21]), 0u);
  for (size_t i = 25; i < m.size(); ++i) EXPECT_EQ(m[i], 0) << i;  // out area and 7 zeros

  PipeRequest r(m);
  size_t p = 0;
  uint32_t outSize = 0;
  std::span<uint8_t> area, payload;
  ASSERT_TRUE(r.OutDescriptorOffset(&p));
  EXPECT_EQ(p, 17u);
  ASSERT_TRUE(r.OutSize(&outSize));
  EXPECT_EQ(outSize, 24u);
  ASSERT_TRUE(r.OutArea(&area));
  EXPECT_EQ(area.data(), m.data() + 25);
  EXPECT_EQ(area.size(), 24u);
  ASSERT_TRUE(r.Payload(&payload));
  EXPECT_TRUE(payload.empty());
}

TEST(PipeRequestBuild, InAndOutOfTwentyFour) {
  std::vector<uint8_t> in(24);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(0xA0 + i);
  std::vector<uint8_t> m = MustBuild(COMMAND_GET_DRIVER_INFO, in, 24);
  ASSERT_EQ(m.size(), 80u);
  EXPECT_EQ(ReadU32(&m[0]), 80u);
  EXPECT_EQ(ReadU32(&m[4]), 0u);
  EXPECT_EQ(ReadU32(&m[8]), 1u);
  EXPECT_EQ(ReadU32(&m[12]), 24u);
  EXPECT_EQ(std::memcmp(&m[16], in.data(), 24), 0);
  EXPECT_EQ(ReadU32(&m[40]), 24u);
  EXPECT_EQ(ReadU32(&m[44]), 0u);
  for (size_t i = 48; i < m.size(); ++i) EXPECT_EQ(m[i], 0) << i;
}

TEST(PipeRequestBuild, RefusesMessagesTheServiceCannotRead) {
  std::vector<uint8_t> m{7};
  EXPECT_TRUE(PipeRequest::Build(1, std::vector<uint8_t>(496), 496, &m));
  EXPECT_EQ(m.size(), PipeRequest::MAX_MESSAGE_SIZE);
  EXPECT_FALSE(PipeRequest::Build(1, std::vector<uint8_t>(497), 496, &m));
  EXPECT_TRUE(m.empty());
  EXPECT_FALSE(PipeRequest::Build(1, {}, 0xFFFFFFFFu, &m));
}

struct Shape {
  uint32_t command;
  size_t inSize;
  uint32_t outSize;
};

// Every request the client sends, read back through the view as the service reads it.
TEST(PipeRequestView, ReadsBackWhatBuildWrote) {
  const Shape shapes[] = {{1, 24, 24}, {2, 36, 36}, {12, 2, 0}, {13, 260, 260}, {10, 24, 24},
                          {99, 0, 0},  {5, 0, 24},  {6, 24, 0}};
  for (const Shape& s : shapes) {
    std::vector<uint8_t> in(s.inSize);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 7 + 1);
    std::vector<uint8_t> m = MustBuild(s.command, in, s.outSize);
    PipeRequest r(m);
    uint32_t v = 0;
    EXPECT_TRUE(r.LengthMatches()) << s.command;
    ASSERT_TRUE(r.Command(&v));
    EXPECT_EQ(v, s.command);
    ASSERT_TRUE(r.Status(&v));
    EXPECT_EQ(v, 0u);
    std::span<uint8_t> payload, area;
    ASSERT_TRUE(r.Payload(&payload));
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), in.begin(), in.end()));
    ASSERT_TRUE(r.OutSize(&v));
    EXPECT_EQ(v, s.outSize);
    ASSERT_TRUE(r.OutReturned(&v));
    EXPECT_EQ(v, 0u);
    ASSERT_TRUE(r.OutArea(&area));
    EXPECT_EQ(area.size(), s.outSize);
    // The out area ends 8 bytes (7 for an empty payload) before the end of the message.
    EXPECT_EQ(static_cast<size_t>(area.data() + area.size() - m.data()),
              m.size() - (s.inSize == 0 ? 7 : 8));
  }
}

TEST(PipeRequestView, ServiceSettersFillTheAnswer) {
  std::vector<uint8_t> m = MustBuild(COMMAND_SET_INPUT_ENABLE, std::vector<uint8_t>(36, 0x11), 36);
  PipeRequest r(m);
  EXPECT_TRUE(r.SetStatus(87));
  EXPECT_TRUE(r.SetOutReturned(36));
  std::vector<uint8_t> record(40, 0x5C);  // longer than the out area: only 36 are copied
  EXPECT_TRUE(r.SetOutArea(record));
  EXPECT_EQ(ReadU32(&m[4]), 87u);
  EXPECT_EQ(ReadU32(&m[56]), 36u);
  for (size_t i = 60; i < 96; ++i) EXPECT_EQ(m[i], 0x5C) << i;
  for (size_t i = 96; i < m.size(); ++i) EXPECT_EQ(m[i], 0) << i;
  std::span<const uint8_t> output;
  ASSERT_TRUE(r.ReturnedOutput(&output));
  EXPECT_EQ(output.size(), 36u);
}

TEST(PipeRequestView, ReturnedOutputNeverExceedsOutSize) {
  std::vector<uint8_t> m = MustBuild(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  PipeRequest r(m);
  ASSERT_TRUE(r.SetOutReturned(1000));
  std::span<const uint8_t> output;
  ASSERT_TRUE(r.ReturnedOutput(&output));
  EXPECT_EQ(output.size(), 24u);
  ASSERT_TRUE(r.SetOutReturned(5));
  ASSERT_TRUE(r.ReturnedOutput(&output));
  EXPECT_EQ(output.size(), 5u);
}

// Touches every accessor; each span handed out must lie inside the bytes.
void ExpectStaysInside(std::vector<uint8_t> bytes) {
  // An exact-size heap copy, so that a sanitizer build catches any read beyond it.
  std::unique_ptr<uint8_t[]> heap(new uint8_t[bytes.size() ? bytes.size() : 1]);
  if (!bytes.empty()) std::memcpy(heap.get(), bytes.data(), bytes.size());
  std::span<uint8_t> held(heap.get(), bytes.size());
  PipeRequest r(held);
  auto inside = [&](std::span<const uint8_t> s) {
    return s.empty() || (s.data() >= held.data() && s.data() + s.size() <= held.data() + held.size());
  };
  uint32_t v = 0;
  size_t p = 0;
  std::span<uint8_t> span;
  std::span<const uint8_t> out;
  (void)r.TotalLength(&v);
  (void)r.Status(&v);
  (void)r.Command(&v);
  (void)r.InSize(&v);
  (void)r.LengthMatches();
  if (r.Payload(&span)) {
    EXPECT_TRUE(inside(span));
  }
  if (r.OutDescriptorOffset(&p)) {
    EXPECT_LE(p, held.size());
  }
  (void)r.OutSize(&v);
  (void)r.OutReturned(&v);
  if (r.OutArea(&span)) {
    EXPECT_TRUE(inside(span));
  }
  if (r.ReturnedOutput(&out)) {
    EXPECT_TRUE(inside(out));
  }
  const std::vector<uint8_t> fill(2048, 0xEE);
  (void)r.SetStatus(1);
  (void)r.SetOutReturned(2);
  (void)r.SetOutArea(fill);
}

TEST(PipeRequestView, EveryTruncationStaysInside) {
  std::vector<uint8_t> full = MustBuild(COMMAND_SET_CALIBRATION, std::vector<uint8_t>(36, 3), 36);
  for (size_t n = 0; n <= full.size(); ++n) {
    std::vector<uint8_t> part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    ExpectStaysInside(part);
    PipeRequest r(part);
    std::span<uint8_t> payload, area;
    uint32_t v = 0;
    EXPECT_EQ(r.InSize(&v), n >= 16) << n;
    EXPECT_EQ(r.Payload(&payload), n >= 52) << n;
    EXPECT_EQ(r.OutSize(&v), n >= 56) << n;
    EXPECT_EQ(r.OutReturned(&v), n >= 60) << n;
    EXPECT_EQ(r.OutArea(&area), n >= 96) << n;
    EXPECT_EQ(r.LengthMatches(), n == full.size()) << n;
  }
}

TEST(PipeRequestView, LyingLengthFieldsNeverReachPastTheBuffer) {
  struct Lie {
    uint32_t total, inSize, outSize;
  };
  const Lie lies[] = {
      {40, 0xFFFFFFFFu, 24}, {40, 0xFFFFFFF0u, 24}, {40, 24, 0xFFFFFFFFu}, {40, 24, 0xFFFFFFF8u},
      {40, 17, 8},           {40, 16, 0},           {40, 0, 16},           {0xFFFFFFFFu, 1, 1},
  };
  for (const Lie& lie : lies) {
    std::vector<uint8_t> m(40, 0);
    WriteU32(&m[0], lie.total);
    WriteU32(&m[12], lie.inSize);
    size_t p = lie.inSize == 0 ? 17 : 16 + static_cast<size_t>(lie.inSize);
    if (p + 4 <= m.size()) WriteU32(&m[p], lie.outSize);
    ExpectStaysInside(m);

    std::vector<uint8_t> before = m;
    PipeRequest r(m);
    std::span<uint8_t> span;
    if (16 + static_cast<uint64_t>(lie.inSize) > m.size()) {
      EXPECT_FALSE(r.Payload(&span)) << lie.inSize;
      EXPECT_FALSE(r.OutArea(&span)) << lie.inSize;
      EXPECT_FALSE(r.SetOutReturned(9));
      EXPECT_FALSE(r.SetOutArea(std::vector<uint8_t>(8, 1)));
      EXPECT_EQ(m, before);
    }
  }
}

TEST(PipeRequestView, OutAreaJustTooLongIsRefusedWholly) {
  std::vector<uint8_t> m = MustBuild(COMMAND_GET_DRIVER_INFO, std::vector<uint8_t>(24), 24);
  m.resize(48 + 24 - 1);  // the out area lacks its last byte
  PipeRequest r(m);
  std::span<uint8_t> area;
  EXPECT_FALSE(r.OutArea(&area));
  EXPECT_FALSE(r.SetOutArea(std::vector<uint8_t>(24, 9)));
  uint32_t v = 0;
  EXPECT_TRUE(r.OutReturned(&v));  // the descriptor itself is whole
}

}  // namespace
}  // namespace kv
