#pragma once
// The property sheet of the Properties command: in single touch mode the double-click
// range, double-click speed and operation pages, in any other touch mode the operation
// page alone. OK runs each present page's OK in page order; Cancel stores nothing.
#include <cstdint>
#include <memory>
#include <vector>

#include "tabrix/ui/DblClickIntervalSetPage.h"
#include "tabrix/ui/DblClickSetPage.h"
#include "tabrix/ui/PenButtonSetPage.h"

namespace kv {

class CPropSetSheet {
 public:
  static constexpr uint32_t CAPTION_ID = 57670;  // "Property Settings"
  static constexpr uint32_t FONT_FACE_ID = 57730;
  static constexpr int FONT_POINT_TENTHS = 80;
  enum ButtonLayout : int { OK_AND_CANCEL = 0, OK_ONLY = 1 };
  enum Page : int { RANGE_PAGE, SPEED_PAGE, OPERATION_PAGE };

  // touchMode: the touch mode the application keeps (0 = single).
  CPropSetSheet(PenButtonPageContext context, Clock& clock, uint32_t touchMode,
                ButtonLayout layout = OK_AND_CANCEL);

  // The pages in the order the sheet shows them.
  const std::vector<Page>& Pages() const { return m_pages; }
  ButtonLayout Layout() const { return m_layout; }
  bool SingleTouch() const { return m_bSingleTouch; }

  // Null for a page the sheet does not hold.
  CDblClickSetPage* RangePage() { return m_pRange.get(); }
  CDblClickIntervalSetPage* SpeedPage() { return m_pSpeed.get(); }
  CPenButtonSetPage& OperationPage() { return m_operation; }

  // Reads every page's settings; the pages' getters apply the double-click values.
  void Initialise();
  void OnOk();

 private:
  bool m_bSingleTouch;
  ButtonLayout m_layout;
  std::vector<Page> m_pages;
  std::unique_ptr<CDblClickSetPage> m_pRange;
  std::unique_ptr<CDblClickIntervalSetPage> m_pSpeed;
  CPenButtonSetPage m_operation;
};

}  // namespace kv
