#pragma once
// The calibration panel window: two calibration buttons and the flash write; it opens the
// calibration screen and mirrors CCalibrationPanel.
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <memory>

#include "optrim/device/TouchDevBase.h"
#include "optrim/ui/CalibrationPanel.h"
#include "optrim/ui/TouchDevLink.h"
#include "optrim/ui/qt/CalScreenDlg.h"

namespace kv {

struct OptrimContext;

class CSettingPanelDlg : public QDialog, public CalibrationPanelView {
  Q_OBJECT
 public:
  CSettingPanelDlg(OptrimContext& context, CTouchDevBase& device, OptrimHost& host,
                   PanelPlacement* placement);
  ~CSettingPanelDlg() override;

  void Start();
  CCalibrationPanel& Logic() { return *m_pLogic; }
  CCalScreenDlg* Screen() { return m_pScreen; }

  void Changed() override;
  void OpenScreen(bool basic) override;
  void DestroyScreen() override;
  void BringToFront() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  OptrimContext& m_context;
  CTouchDevLink m_link;
  std::unique_ptr<CCalibrationPanel> m_pLogic;
  QPushButton* m_pPrecise;
  QPushButton* m_pBasic;
  QPushButton* m_pFlash;
  QPointer<CCalScreenDlg> m_pScreen;
  bool m_bPlaced = false;
};

}  // namespace kv
