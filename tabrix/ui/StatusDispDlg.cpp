#include "tabrix/ui/StatusDispDlg.h"

#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

constexpr uint32_t TEXT_RIGHT_CLICK = 57673;
constexpr uint32_t TEXT_PEN_SOFTWARE_LINK = 57675;
constexpr uint32_t TEXT_DISABLE = 57676;
constexpr uint32_t TEXT_NONE = 57677;  // "---"
constexpr uint32_t TEXT_PRESSED = 57687;
constexpr uint32_t TEXT_RELEASED = 57688;
constexpr uint32_t TEXT_NOT_APPLICABLE = 57689;
constexpr uint32_t TEXT_NO_SETTING = 60103;
constexpr uint32_t TEXT_INPUT_FIRST = 1031;  // Standard, HandWrite, Pen
constexpr uint32_t TEXT_SINGLE = 1041;
constexpr uint32_t TEXT_SINGLE1 = 1042;
constexpr uint32_t TEXT_SINGLE2 = 1043;
constexpr uint32_t TEXT_DUAL = 1044;
constexpr uint32_t TEXT_SET_OK = 61230;
constexpr uint32_t TEXT_SET_NG = 61231;

uint32_t TypeOf(const ModelEntry* model) { return model ? model->m_uModelType : 0; }

}  // namespace

CStatusDispDlg::CStatusDispDlg(StatusDispContext context, StatusDispView& view)
    : m_ctx(std::move(context)),
      m_view(view),
      m_sPressed(m_ctx.m_strings.Get(TEXT_PRESSED)),
      m_sReleased(m_ctx.m_strings.Get(TEXT_RELEASED)),
      m_sNotApplicable(m_ctx.m_strings.Get(TEXT_NOT_APPLICABLE)) {}

void CStatusDispDlg::OnInitDialog() {
  m_ctx.m_actions.RefreshDriverInfo();
  m_view.StartTimer(REFRESH_TIMER_ID, REFRESH_MS);
  RefreshSystemInfo();
  EnableServiceMode(m_ctx.m_actions.PanelConnected());
}

void CStatusDispDlg::OnShow() {
  m_bShown = true;
  const ModelEntry* model = m_ctx.m_actions.CurrentModel();
  const uint32_t type = TypeOf(model);
  const std::string product = m_ctx.m_actions.PanelProductText();
  m_fields.m_sModel = type == MODEL_TYPE_FIRMWARE_3 ? FixedText(model->m_szName) : std::string();
  if (m_fields.m_sModel.empty()) m_fields.m_sModel = product;
  if (product.empty())
    m_fields.m_sDriverVersion.clear();
  else if (model && model->IsFirmwareManaged())
    m_fields.m_sDriverVersion = m_ctx.m_strings.Get(TEXT_NONE);
  else
    m_fields.m_sDriverVersion = m_ctx.m_actions.DriverVersionText();
}

void CStatusDispDlg::OnTimer(uint32_t id) {
  if (id == REFRESH_TIMER_ID) Refresh();
}

void CStatusDispDlg::Refresh() {
  const uint32_t type = TypeOf(m_ctx.m_actions.CurrentModel());
  RefreshSystemInfo();
  RefreshModes(type);
  RefreshButtons(type);
  const PointerSample p = m_ctx.m_pointer.Sample();
  RefreshIndicators(type, p);
  m_fields.m_sMouse = "x=" + std::to_string(p.m_iX) + ", y=" + std::to_string(p.m_iY);
  RefreshDebug();
  m_fields.m_sRotation = std::to_string(static_cast<int32_t>(m_ctx.m_settings.GetRotationAngle()));
  EnableServiceMode(m_bServiceFlag);
}

void CStatusDispDlg::RefreshSystemInfo() {
  const CHostAddressCache::Snapshot s = m_ctx.m_addresses.Current();
  if (m_fields.m_names.size() != 1 || m_fields.m_names[0] != s.m_sName) m_fields.m_names = {s.m_sName};
  // The list is rebuilt only when a resolution finished: the view keeps its selection
  // between passes.
  if (s.m_uGeneration == m_uAddressGeneration && !m_fields.m_addresses.empty()) return;
  m_uAddressGeneration = s.m_uGeneration;
  m_fields.m_addresses.clear();
  if (!CHostAddressCache::IsDottedAddress(s.m_sName) && s.m_bDone) {
    if (s.m_bFailed) m_fields.m_addresses.push_back(m_ctx.m_strings.Get(TEXT_NO_SETTING));
    for (const Ipv4Address& a : s.m_addresses)
      m_fields.m_addresses.push_back(CHostAddressCache::Format(a));
  }
  m_fields.m_iSelectedAddress = m_fields.m_addresses.empty() ? -1 : 0;
}

void CStatusDispDlg::RefreshModes(uint32_t modelType) {
  const uint32_t input = m_ctx.m_settings.GetInputMode() & 15;
  const uint32_t touch = m_ctx.m_pen.TouchMode();
  if (modelType == MODEL_TYPE_FIRMWARE_4) {
    m_fields.m_sTouchMode = m_ctx.m_strings.Get(TEXT_NONE);
    return;  // the input field keeps what it showed
  }
  m_fields.m_sInputMode = input <= 2 ? m_ctx.m_strings.Get(TEXT_INPUT_FIRST + input) : std::string();
  uint32_t touchText = m_ctx.m_iSingleMode == 1 ? TEXT_SINGLE1 : TEXT_SINGLE;
  if (touch == 1) touchText = TEXT_SINGLE2;
  if (touch == 2) touchText = TEXT_DUAL;
  m_fields.m_sTouchMode = m_ctx.m_strings.Get(touchText);
}

void CStatusDispDlg::RefreshButtons(uint32_t modelType) {
  if (modelType == MODEL_TYPE_FIRMWARE_4) {
    m_fields.m_sButton1 = m_fields.m_sButton2 = m_ctx.m_strings.Get(TEXT_NONE);
    return;
  }
  const uint32_t buttons = m_ctx.m_host.PenButton();
  m_fields.m_sButton1 = m_ctx.m_strings.Get((buttons & 0xFF) == 1 ? TEXT_RIGHT_CLICK : TEXT_DISABLE);
  m_fields.m_sButton2 =
      m_ctx.m_strings.Get(((buttons >> 8) & 0xFF) == 1 ? TEXT_PEN_SOFTWARE_LINK : TEXT_DISABLE);
}

void CStatusDispDlg::RefreshIndicators(uint32_t modelType, const PointerSample& p) {
  if (modelType == MODEL_TYPE_FIRMWARE_4) {
    const uint32_t start = m_ctx.m_pen.TouchStartTick();
    const bool penDown = start != 0 && m_ctx.m_clock.TickCount() - start > PEN_DOWN_SHOWN_MS;
    m_fields.m_sIndicatorL = Pressed(penDown);
    m_fields.m_sIndicatorB1 = Pressed(p.m_bRight);
    m_fields.m_sIndicatorB2 = Pressed(p.m_bMiddle);
    if (p.m_bRight || p.m_bMiddle) m_ctx.m_pen.ClearTouchStart();
    return;
  }
  const uint32_t buttons = m_ctx.m_host.PenButton();
  m_fields.m_sIndicatorL = Pressed(p.m_bLeft);
  m_fields.m_sIndicatorB1 = (buttons & 0xFF) == 1 ? Pressed(p.m_bRight) : m_sNotApplicable;
  m_fields.m_sIndicatorB2 = ((buttons >> 8) & 0xFF) == 1
                                ? Pressed(m_ctx.m_host.PenLinkButton2Held())
                                : m_sNotApplicable;
}

void CStatusDispDlg::RefreshDebug() {
  uint32_t width = 0, height = 0, time = 0;
  m_ctx.m_parameters.Get(SystemParameter::DOUBLE_CLICK_WIDTH, &width);
  m_ctx.m_parameters.Get(SystemParameter::DOUBLE_CLICK_HEIGHT, &height);
  m_ctx.m_parameters.Get(SystemParameter::DOUBLE_CLICK_TIME, &time);
  m_fields.m_sDblWidth = std::to_string(static_cast<int32_t>(width));
  m_fields.m_sDblHeight = std::to_string(static_cast<int32_t>(height));
  m_fields.m_sDblTime = std::to_string(time);
}

void CStatusDispDlg::OnClose() {
  m_ctx.m_host.SetTestDisplayRequested(false);
  m_bShown = false;
  m_view.HideWindow();
}

void CStatusDispDlg::EnableServiceMode(bool enable) {
  m_bServiceFlag = enable;
  m_fields.m_bServiceEnabled = enable && !m_ctx.m_host.Busy();
}

void CStatusDispDlg::OnServiceMode() {
  // A second click delivered while a command runs must not nest a second bracket.
  if (m_ctx.m_host.Busy()) return;
  const ModelEntry* model = m_ctx.m_actions.CurrentModel();
  RunServiceMode(model && model->IsFirmwareManaged());
}

void CStatusDispDlg::RunServiceMode(bool firmwareManaged) {
  ScreenHost& host = m_ctx.m_host;
  const uint32_t touch = m_ctx.m_pen.TouchMode();
  const uint32_t input = m_ctx.m_settings.GetInputMode() & 15;
  const bool driverOn = host.DriverOn();
  const bool commandText = host.CommandTextSet();
  // The panel's self test wants single touch and the driver deaf to it.
  if (!firmwareManaged && touch != 0) m_ctx.m_actions.SendInputAndTouchMode(input);
  host.SetCommandText(false);
  if (!firmwareManaged) m_ctx.m_actions.SetInputEnable(0);
  m_ctx.m_pen.SetTestRunning(true);
  host.UpdateIcon();
  m_view.StopTimer(REFRESH_TIMER_ID);
  host.SetBusy(true);
  m_view.RunServiceMode(firmwareManaged);
  host.SetBusy(false);
  m_view.StartTimer(REFRESH_TIMER_ID, REFRESH_MS);
  // Input goes back to what it was: a driver the user had switched off stays off.
  if (!firmwareManaged) m_ctx.m_actions.SetInputEnable(driverOn ? 1 : 0);
  host.SetCommandText(commandText);
  if (!firmwareManaged && touch != 0) m_ctx.m_actions.SendInputAndTouchMode((touch << 4) | input);
  m_ctx.m_pen.SetTestRunning(false);
  host.UpdateIcon();
}

bool CStatusDispDlg::ParseValue(const std::string& text, double* value) {
  if (text.empty() || text.size() > 64) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  if (!end || end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

bool CStatusDispDlg::OnSet(const std::string& ratioX, const std::string& ratioY,
                           const std::string& offsetX, const std::string& offsetY) {
  CalibrationValues values;
  const bool ok = ParseValue(ratioX, &values.m_dRatioX) && ParseValue(ratioY, &values.m_dRatioY) &&
                  ParseValue(offsetX, &values.m_dOffsetX) &&
                  ParseValue(offsetY, &values.m_dOffsetY) &&
                  m_ctx.m_actions.ApplyCalibration(values);
  m_ctx.m_boxes.Show(m_ctx.m_strings.Get(ok ? TEXT_SET_OK : TEXT_SET_NG), m_ctx.m_sTitle, MBF_OK);
  return ok;
}

}  // namespace kv
