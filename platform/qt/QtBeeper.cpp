#include "platform/qt/QtBeeper.h"

#include <QApplication>

namespace kv {

void CQtBeeper::Beep(uint32_t) { QApplication::beep(); }

}  // namespace kv
