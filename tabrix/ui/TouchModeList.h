#pragma once
// The touch-mode list of the operation page, decided when the page opens: before Windows 7
// only "Single"; later "Single" and "Dual", or with "SingleMode" 1 "Single1", "Single2"
// and "Dual". It maps a stored touch mode to its item and an item back to a touch mode.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

class CTouchModeList {
 public:
  static constexpr uint32_t TEXT_SINGLE = 1041;
  static constexpr uint32_t TEXT_SINGLE1 = 1042;
  static constexpr uint32_t TEXT_SINGLE2 = 1043;
  static constexpr uint32_t TEXT_DUAL = 1044;
  static constexpr uint32_t TOUCH_SINGLE = 0;
  static constexpr uint32_t TOUCH_SINGLE2 = 1;
  static constexpr uint32_t TOUCH_DUAL = 2;
  static constexpr int32_t OS_TYPE_WIN7 = 16;

  CTouchModeList(int32_t osType, int32_t singleMode);

  // String ids of the items, in list order.
  const std::vector<uint32_t>& ItemTexts() const { return m_items; }
  size_t Count() const { return m_items.size(); }
  uint32_t Flags() const { return m_uFlags; }
  bool ThreeItems() const { return m_items.size() == 3; }
  int ItemFor(uint32_t touchMode) const;
  uint32_t TouchModeFor(int item) const;
  bool IsDual(int item) const { return Count() > 1 && item == static_cast<int>(Count()) - 1; }
  // "Single" of the two-item list, "Single2" of the three-item list: the items after which
  // leaving "Pen" deserves a word about dual touch.
  bool IsSingleNote(int item) const;

  // String 1142 for touch mode 1, 1143 for 2, else 1141.
  static uint32_t DescriptionFor(uint32_t touchMode);

 private:
  std::vector<uint32_t> m_items;
  uint32_t m_uFlags = 0;
};

}  // namespace kv
