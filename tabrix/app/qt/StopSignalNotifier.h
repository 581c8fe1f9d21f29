#pragma once
// SIGTERM and SIGINT (logout, systemctl --user stop, Ctrl+C) turned into a call on the
// user-interface thread, where they end the program as WM_CLOSE does. The handler only
// raises a flag (which start-up's long waits look at, before the event loop runs) and
// writes a byte to a pipe that a socket notifier reads in the event loop.
#include <QObject>
#include <QSocketNotifier>

#include <atomic>
#include <functional>
#include <memory>

namespace kv {

class CStopSignalNotifier : public QObject {
  Q_OBJECT
 public:
  CStopSignalNotifier(std::atomic<bool>& requested, std::function<void()> onStop);
  ~CStopSignalNotifier() override;

 private:
  std::function<void()> m_onStop;
  std::unique_ptr<QSocketNotifier> m_pNotifier;
};

}  // namespace kv
