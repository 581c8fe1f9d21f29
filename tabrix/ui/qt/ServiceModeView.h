#pragma once
// The service-mode dialog of driver models: the board summary and failed-point lists, the
// firmware information with its coloured verdict, and "Self Test". The panel is asked for
// its failure records off the user-interface thread while the guide banner shows, so the
// screen keeps drawing during a long answer.
#include <QDialog>

#include "tabrix/firmware/ServiceModeDlg.h"
#include "tabrix/ui/BannerLook.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace kv {

class CServiceModeView : public QDialog {
  Q_OBJECT
 public:
  CServiceModeView(CServiceModeDlg& logic, ServiceModePort& port, const CStringTable& strings,
                   BannerLook guide, QWidget* parent = nullptr);

  void RunSelfTest();
  void Mirror();

  QTreeWidget* BoardList() const { return m_pBoards; }
  QTreeWidget* PointList() const { return m_pPoints; }
  QLineEdit* VersionField() const { return m_pVersion; }
  QLineEdit* VerdictField() const { return m_pVerdict; }
  QLineEdit* ChecksumField() const { return m_pChecksum; }
  QPushButton* SelfTestButton() const { return m_pSelfTest; }

 private:
  QTreeWidget* NewList(const std::vector<std::string>& columns, int width);
  QWidget* BuildFirmwareInfo(const CStringTable& strings);

  CServiceModeDlg& m_logic;
  ServiceModePort& m_port;
  BannerLook m_guide;
  QTreeWidget* m_pBoards;
  QTreeWidget* m_pPoints;
  QLineEdit* m_pVersion = nullptr;
  QLineEdit* m_pVerdict = nullptr;
  QLineEdit* m_pChecksum = nullptr;
  QPushButton* m_pSelfTest = nullptr;
};

}  // namespace kv
