#pragma once
// Power and session notifications from logind on the system D-Bus: suspend and resume
// (PrepareForSleep), our session losing or regaining the console (its Active property),
// and our session ending. logind may be missing, restart, or send signals in an odd order;
// the watcher then reports what arrives and never blocks: every call is asynchronous.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QVariantMap>

#include <functional>

class QDBusServiceWatcher;

namespace kv {

class CLogindWatcher : public QObject {
  Q_OBJECT
 public:
  struct Handlers {
    std::function<void(bool suspending)> m_sleep;
    std::function<void(bool active)> m_active;
    std::function<void(bool logon)> m_session;
  };

  // The system bus as DBUS_SYSTEM_BUS_ADDRESS names it (tests point it at a private bus).
  explicit CLogindWatcher(Handlers handlers, QObject* parent = nullptr);
  bool Connected() const { return m_bus.isConnected(); }
  // Our session's object path once logind told it; empty meanwhile.
  QString SessionPath() const { return m_sSession; }

 private slots:
  void OnPrepareForSleep(bool suspending);
  void OnSessionNew(const QDBusMessage& message);
  void OnSessionRemoved(const QDBusMessage& message);
  void OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated);

 private:
  bool IsOurSession(const QDBusMessage& message) const;
  void ResolveSession();
  void FollowSession(const QString& path);

  Handlers m_handlers;
  QDBusConnection m_bus;
  QDBusServiceWatcher* m_pService = nullptr;
  QString m_sSession;
};

}  // namespace kv
