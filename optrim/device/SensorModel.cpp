#include "optrim/device/SensorModel.h"

namespace kv {

namespace {

#define KV_COMMON_KEYS(k8max, k18max, k19min, k19max, k20width)                              \
  {3, 3, 0, 200}, {4, 3, 0, 15}, {5, 1, 0, 1}, {6, 1, 0, 1}, {7, 2, 0, 1},                  \
      {8, 3, 8, k8max}, {9, 3, 0, 2}, {10, 3, 1, 254}, {11, 3, 0, 0}, {12, 3, 0, 0},         \
      {13, 3, 50, 300}, {14, 3, -32768, 32767}, {15, 3, -32768, 32767}, {16, 3, 0, 65535},  \
      {17, 3, 0, 65535}, {18, 3, 0, k18max}, {19, 3, k19min, k19max},                       \
      {20, k20width, 50, 1023}, {21, 3, 100, 1023}, {22, 3, 100, 300}

constexpr ParameterKey KEYS_MQBV2[] = {{1, 3, 1, 80}, {2, 3, -80, 80},
                                       KV_COMMON_KEYS(100, 799, 800, 1599, 3), {0, 0, 0, 0}};
constexpr ParameterKey KEYS_MQBP[] = {{1, 3, 1, 40}, {2, 3, -80, 80},
                                      KV_COMMON_KEYS(100, 799, 800, 1599, 3), {0, 0, 0, 0}};
constexpr ParameterKey KEYS_PIMLO[] = {{1, 3, 1, 64}, {2, 3, -80, 200},
                                       KV_COMMON_KEYS(200, 399, 400, 799, 1), {0, 0, 0, 0}};
constexpr ParameterKey KEYS_MQA[] = {{1, 3, 1, 32}, {2, 3, -219, 36},
                                     KV_COMMON_KEYS(100, 799, 800, 1599, 3), {23, 3, 0, 100},
                                     {0, 0, 0, 0}};
#undef KV_COMMON_KEYS

constexpr CalMargins M2185{2185, 2185, 2185, 2185};
constexpr CalMargins M2621{2621, 2621, 2621, 2621};

const ModelDescriptor MODELS[] = {
    {0x3E22, 0x6B01, 0xFF00, 1, 1, 3, 1600, 254, 2, 32767, {1, 13, 20}, {32, 50, 50},
     {4, 1, {-30000, 2000}, {30000, 50000 - 65536}, M2185}, KEYS_MQBV2},
    {0x3E22, 0x6B02, 0xFF00, 1, 2, 4, 1600, 254, 2, 6144, {1, 13, 20}, {32, 50, 50},
     {4, 1, {-13000, 2800}, {13000, 21000}, M2621}, KEYS_MQBP},
    {0x3E22, 0x6B03, 0xFF00, 1, 3, 3, 800, 254, 2, 16383, {1, 13, 20}, {16, 50, 25},
     {4, 1, {-15800, 500}, {15800, 20000}, M2185}, KEYS_PIMLO},
    {0x3E22, 0x6B04, 0xFF00, 1, 4, 3, 1600, 254, 2, 32767, {1, 13, 20}, {32, 50, 50},
     {4, 1, {-20000, 200}, {20000, 40000 - 65536}, M2185}, KEYS_MQA},
    {0x3E23, 0x6B05, 0xFF00, 1, 5, 3, 1600, 254, 2, 32767, {1, 13, 20}, {32, 50, 50},
     {4, 1, {-20000, 200}, {20000, 40000 - 65536}, M2185}, KEYS_MQA},
    {0x3E22, 0x6B06, 0xFF00, 1, 6, 3, 1600, 254, 2, 32767, {1, 13, 20}, {32, 50, 50},
     {4, 1, {-20000, 200}, {20000, 40000 - 65536}, M2185}, KEYS_MQA},
};

}  // namespace

const ModelDescriptor* FindModelDescriptor(int type) {
  if (type < 1 || type > 6) return nullptr;
  return &MODELS[type - 1];
}

const ParameterKey* FindParameterKey(const ParameterKey* table, uint8_t key) {
  for (const ParameterKey* row = table; row && row->m_uKey != 0; ++row)
    if (row->m_uKey == key) return row;
  return nullptr;
}

}  // namespace kv
