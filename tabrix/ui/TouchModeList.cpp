#include "tabrix/ui/TouchModeList.h"

namespace kv {

namespace {
constexpr uint32_t FLAGS_TWO_ITEMS = 17;
constexpr uint32_t FLAGS_THREE_ITEMS = 33;
constexpr uint32_t DESCRIPTION_SINGLE = 1141;
constexpr uint32_t DESCRIPTION_SINGLE2 = 1142;
constexpr uint32_t DESCRIPTION_DUAL = 1143;
}  // namespace

CTouchModeList::CTouchModeList(int32_t osType, int32_t singleMode) {
  if (osType < OS_TYPE_WIN7) {
    m_items = {TEXT_SINGLE};
  } else if (singleMode == 1) {
    m_items = {TEXT_SINGLE1, TEXT_SINGLE2, TEXT_DUAL};
    m_uFlags = FLAGS_THREE_ITEMS;
  } else {
    m_items = {TEXT_SINGLE, TEXT_DUAL};
    m_uFlags = FLAGS_TWO_ITEMS;
  }
}

int CTouchModeList::ItemFor(uint32_t touchMode) const {
  switch (Count()) {
    case 1: return 0;
    case 2: return touchMode < 2 ? 0 : 1;
    default: return touchMode < 3 ? static_cast<int>(touchMode) : 2;
  }
}

uint32_t CTouchModeList::TouchModeFor(int item) const {
  if (item < 0 || item >= static_cast<int>(Count())) return TOUCH_SINGLE;
  if (Count() == 2) return item == 0 ? TOUCH_SINGLE : TOUCH_DUAL;
  return static_cast<uint32_t>(item);
}

bool CTouchModeList::IsSingleNote(int item) const {
  if (Count() == 2) return item == 0;
  if (Count() == 3) return item == 1;
  return false;
}

uint32_t CTouchModeList::DescriptionFor(uint32_t touchMode) {
  if (touchMode == TOUCH_SINGLE2) return DESCRIPTION_SINGLE2;
  if (touchMode == TOUCH_DUAL) return DESCRIPTION_DUAL;
  return DESCRIPTION_SINGLE;
}

}  // namespace kv
