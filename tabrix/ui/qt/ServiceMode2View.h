#pragma once
// The service-mode dialog of firmware-managed models: USB part, version, verdict and
// checksum, and OK.
#include <QDialog>

#include "tabrix/firmware/ServiceMode2Dlg.h"

class QLineEdit;

namespace kv {

class CServiceMode2View : public QDialog {
  Q_OBJECT
 public:
  CServiceMode2View(const CServiceMode2Dlg& logic, const CStringTable& strings,
                    QWidget* parent = nullptr);
  QLineEdit* UsbField() const { return m_pUsb; }
  QLineEdit* VersionField() const { return m_pVersion; }
  QLineEdit* VerdictField() const { return m_pVerdict; }
  QLineEdit* ChecksumField() const { return m_pChecksum; }

 private:
  QLineEdit* m_pUsb;
  QLineEdit* m_pVersion;
  QLineEdit* m_pVerdict;
  QLineEdit* m_pChecksum;
};

}  // namespace kv
