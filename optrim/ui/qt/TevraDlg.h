#pragma once
// The sensor window: connect, disconnect, calibration panel, clear and exit buttons, the
// log list, the hidden debug controls; mirrors CSensorWindow and runs its timers.
#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <map>
#include <memory>

#include "optrim/ui/SensorWindow.h"

namespace kv {

struct OptrimContext;

class CTevraDlg : public QDialog, public SensorWindowView {
  Q_OBJECT
 public:
  CTevraDlg(OptrimContext& context, OptrimHost& host);
  ~CTevraDlg() override;

  void Start();
  CSensorWindow& Logic() { return *m_pLogic; }

  void Changed() override;
  void StartTimer(int id, uint32_t ms) override;
  void StopTimer(int id) override;
  void PostDisconnect() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void reject() override;

 private:
  void BuildButtons();
  void ShowAbout();

  OptrimContext& m_context;
  OptrimHost& m_host;
  std::unique_ptr<CSensorWindow> m_pLogic;
  QListWidget* m_pLog;
  QCheckBox* m_pAutoExitOff;
  std::map<int, QTimer*> m_timers;
  size_t m_uShownLines = 0;
  bool m_bWaitCursor = false;
};

}  // namespace kv
