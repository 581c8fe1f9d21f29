#pragma once
// The hidden main dialog: owns the sensor window and the calibration panel and takes the
// messages the windows post to it.
#include <QObject>
#include <QPointer>

#include "optrim/ui/CalibrationPanel.h"
#include "optrim/ui/OptrimHost.h"
#include "optrim/ui/qt/SettingPanelDlg.h"
#include "optrim/ui/qt/TevraDlg.h"

namespace kv {

struct OptrimContext;

class CMainDlg : public QObject, public OptrimHost {
  Q_OBJECT
 public:
  explicit CMainDlg(OptrimContext& context);
  ~CMainDlg() override;

  void Start();
  void PostToMain(uint32_t message, int wParam, CTouchDevBase* device) override;
  CTevraDlg* SensorWindow() { return m_pSensor; }
  CSettingPanelDlg* Panel() { return m_pPanel; }

 private:
  void OnMessage(uint32_t message, CTouchDevBase* device);
  void OpenPanel(CTouchDevBase* device);
  void ClosePanel();

  OptrimContext& m_context;
  QPointer<CTevraDlg> m_pSensor;
  QPointer<CSettingPanelDlg> m_pPanel;
  PanelPlacement m_placement;
  bool m_bEnding = false;
};

}  // namespace kv
