#pragma once
// The part of logind's manager that the tray program asks: which session a process belongs
// to. Every process is in the one session this stand-in keeps.
#include <QDBusObjectPath>
#include <QObject>

namespace kv::sim {

class CLogindManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
 public:
  explicit CLogindManager(const QString& sessionId) : m_sSessionId(sessionId) {}
  static QString SessionPath(const QString& id) {
    return QStringLiteral("/org/freedesktop/login1/session/") + id;
  }

 public slots:
  QDBusObjectPath GetSessionByPID(uint) { return QDBusObjectPath(SessionPath(m_sSessionId)); }

 private:
  QString m_sSessionId;
};

}  // namespace kv::sim
