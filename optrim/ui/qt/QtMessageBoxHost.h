#pragma once
// Message boxes of the sensor tool as modal QMessageBox dialogs.
#include <QWidget>

#include "optrim/ui/MessageBoxHost.h"

namespace kv {

class CQtMessageBoxHost final : public MessageBoxHost {
 public:
  explicit CQtMessageBoxHost(QWidget* parent = nullptr) : m_pParent(parent) {}
  MsgAnswer Show(const std::string& caption, const std::string& text, MsgIcon icon,
                 MsgButtons buttons) override;

 private:
  QWidget* m_pParent;
};

}  // namespace kv
