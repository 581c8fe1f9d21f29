#pragma once
// The version box: the program's icon, its version line and copyright, OK.
#include <QDialog>

#include "tabrix/ui/AboutDlg.h"

namespace kv {

class CAboutView : public QDialog {
  Q_OBJECT
 public:
  CAboutView(const CAboutDlg& logic, const QIcon& icon, const QString& okText,
             QWidget* parent = nullptr);
};

}  // namespace kv
