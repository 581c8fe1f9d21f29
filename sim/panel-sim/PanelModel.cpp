#include "sim/panel-sim/PanelModel.h"

#include <strings.h>

namespace kv {

namespace {

constexpr std::array<uint8_t, 33> BOARDS = {64, 64, 64, 64, 52, 48, 64, 64, 46, 27};

const PanelModel MODELS[] = {
    {"VT-R700A", 0x2F11, 0x5A01, 1, 0x0100, 64, 64, "VT-R700A Touch Panel", BOARDS, 0x3C,
     0xA55A, 0, 0x000205, {0x0010, 0x0020, 0x7FEF, 0x7FDF}, {0, 0, 1920, 1080}},
    {"VT-R800A", 0x2F11, 0x5A02, 1, 0x0100, 64, 64, "VT-R800A Touch Panel", BOARDS, 0x3C,
     0x5AA5, 0, 0x000301, {0x0010, 0x0020, 0x7FEF, 0x7FDF}, {0, 0, 3840, 2160}},
};

}  // namespace

const PanelModel* FindPanelModel(const std::string& name) {
  for (const auto& m : MODELS)
    if (strcasecmp(m.m_pszName, name.c_str()) == 0) return &m;
  return nullptr;
}

const PanelModel& DefaultPanelModel() { return MODELS[0]; }

}  // namespace kv
