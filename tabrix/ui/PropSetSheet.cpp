#include "tabrix/ui/PropSetSheet.h"

namespace kv {

CPropSetSheet::CPropSetSheet(PenButtonPageContext context, Clock& clock, uint32_t touchMode,
                             ButtonLayout layout)
    : m_bSingleTouch(touchMode == 0), m_layout(layout), m_operation(context) {
  if (m_bSingleTouch) {
    m_pRange = std::make_unique<CDblClickSetPage>(context.m_settings, true);
    m_pSpeed = std::make_unique<CDblClickIntervalSetPage>(context.m_settings, clock, true);
    m_pages = {RANGE_PAGE, SPEED_PAGE};
  }
  m_pages.push_back(OPERATION_PAGE);
}

void CPropSetSheet::Initialise() {
  if (m_pRange) m_pRange->Initialise();
  if (m_pSpeed) m_pSpeed->Initialise();
  m_operation.Initialise();
}

void CPropSetSheet::OnOk() {
  if (m_pRange) m_pRange->OnOk();
  if (m_pSpeed) m_pSpeed->OnOk();
  m_operation.OnOk();
}

}  // namespace kv
