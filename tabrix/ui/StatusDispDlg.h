#pragma once
// The test information display (dialog 134): modeless, created once and shown again. Every
// 100 ms it gathers what the pen and the program are doing (modes, function buttons, button
// indicators, mouse position, rotation, computer name and addresses) into fields its view
// mirrors. It is also the entry to the firmware service mode, which it brackets with the
// driver input switched off, the test icon and the main window's busy flag.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/MessageBoxes.h"
#include "platform/SystemParameters.h"
#include "resources/StringTable.h"
#include "tabrix/app/SettingsStore.h"
#include "tabrix/firmware/PenInputState.h"
#include "tabrix/ui/HostAddressCache.h"
#include "tabrix/ui/PointerSource.h"
#include "tabrix/ui/ScreenHost.h"
#include "tabrix/ui/StatusDispActions.h"
#include "tabrix/ui/StatusDispView.h"

namespace kv {

struct StatusDispContext {
  SettingsStore& m_settings;
  SystemParameters& m_parameters;
  CPenInputState& m_pen;
  Clock& m_clock;
  PointerSource& m_pointer;
  CHostAddressCache& m_addresses;
  const CStringTable& m_strings;
  MessageBoxes& m_boxes;
  std::string m_sTitle;
  ScreenHost& m_host;
  StatusDispActions& m_actions;
  int32_t m_iSingleMode = 0;
};

struct StatusFields {
  std::string m_sModel, m_sDriverVersion, m_sInputMode, m_sTouchMode;
  std::string m_sButton1, m_sButton2;
  std::string m_sIndicatorL, m_sIndicatorB1, m_sIndicatorB2;
  std::string m_sMouse, m_sRotation;
  std::string m_sDblWidth, m_sDblHeight, m_sDblTime;  // the hidden debug area
  std::vector<std::string> m_names, m_addresses;
  int m_iSelectedAddress = -1;
  bool m_bServiceEnabled = false;
};

class CStatusDispDlg {
 public:
  static constexpr uint32_t DIALOG_ID = 134;
  static constexpr uint32_t REFRESH_TIMER_ID = 5123;
  static constexpr uint32_t REFRESH_MS = 100;
  static constexpr uint32_t ACCELERATORS_ID = 205;
  static constexpr uint32_t PEN_DOWN_SHOWN_MS = 500;

  CStatusDispDlg(StatusDispContext context, StatusDispView& view);

  void OnInitDialog();
  // WM_SHOWWINDOW with show: model and driver version.
  void OnShow();
  void OnTimer(uint32_t id);
  // One refresh pass (also what the timer runs).
  void Refresh();
  // WM_CLOSE: the window hides and stays for the next opening.
  void OnClose();
  // The main window's bracket around its modal commands; the button also needs a main
  // window that is not busy.
  void EnableServiceMode(bool enable);
  void OnServiceMode();
  // "Set" of the manual area: ratio X, ratio Y, offset X, offset Y as typed.
  bool OnSet(const std::string& ratioX, const std::string& ratioY, const std::string& offsetX,
             const std::string& offsetY);

  const StatusFields& Fields() const { return m_fields; }
  bool Shown() const { return m_bShown; }

  // A whole decimal number, finite; false for anything else (empty, trailing text).
  static bool ParseValue(const std::string& text, double* value);

 private:
  void RefreshSystemInfo();
  void RefreshModes(uint32_t modelType);
  void RefreshButtons(uint32_t modelType);
  void RefreshIndicators(uint32_t modelType, const PointerSample& p);
  void RefreshDebug();
  const std::string& Pressed(bool down) const { return down ? m_sPressed : m_sReleased; }
  void RunServiceMode(bool firmwareManaged);

  StatusDispContext m_ctx;
  StatusDispView& m_view;
  StatusFields m_fields;
  std::string m_sPressed, m_sReleased, m_sNotApplicable;
  bool m_bServiceFlag = false;
  bool m_bShown = false;
  uint64_t m_uAddressGeneration = UINT64_MAX;
};

}  // namespace kv
