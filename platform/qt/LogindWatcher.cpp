#include "platform/qt/LogindWatcher.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace kv {

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kCallTimeoutMs = 5000;
}  // namespace

CLogindWatcher::CLogindWatcher(Handlers handlers, QObject* parent)
    : QObject(parent), m_handlers(std::move(handlers)), m_bus(QDBusConnection::systemBus()) {
  if (!m_bus.isConnected()) return;
  m_bus.connect(kService, kManagerPath, kManager, "PrepareForSleep", this,
                SLOT(OnPrepareForSleep(bool)));
  m_bus.connect(kService, kManagerPath, kManager, "SessionNew", this,
                SLOT(OnSessionNew(QDBusMessage)));
  m_bus.connect(kService, kManagerPath, kManager, "SessionRemoved", this,
                SLOT(OnSessionRemoved(QDBusMessage)));
  // logind restarts keep its signals (matched by name) but may give sessions new paths.
  m_pService = new QDBusServiceWatcher(kService, m_bus,
                                       QDBusServiceWatcher::WatchForRegistration |
                                           QDBusServiceWatcher::WatchForUnregistration,
                                       this);
  connect(m_pService, &QDBusServiceWatcher::serviceRegistered, this, [this] { ResolveSession(); });
  connect(m_pService, &QDBusServiceWatcher::serviceUnregistered, this, [this] { FollowSession({}); });
  ResolveSession();
}

void CLogindWatcher::ResolveSession() {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kManagerPath, kManager, "GetSessionByPID");
  call << static_cast<uint>(getpid());
  auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    QDBusPendingReply<QDBusObjectPath> reply = *w;
    // Not in a session of logind (a service, a test): only sleep and resume are told.
    if (reply.isValid()) FollowSession(reply.value().path());
    w->deleteLater();
  });
}

void CLogindWatcher::FollowSession(const QString& path) {
  if (path == m_sSession) return;
  if (!m_sSession.isEmpty())
    m_bus.disconnect(kService, m_sSession, kProperties, "PropertiesChanged", this,
                     SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
  m_sSession = path;
  if (!m_sSession.isEmpty())
    m_bus.connect(kService, m_sSession, kProperties, "PropertiesChanged", this,
                  SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
}

void CLogindWatcher::OnPrepareForSleep(bool suspending) {
  if (m_handlers.m_sleep) m_handlers.m_sleep(suspending);
}

bool CLogindWatcher::IsOurSession(const QDBusMessage& message) const {
  // (id, object path); anything else on the bus is not logind's word about a session.
  const QList<QVariant> args = message.arguments();
  if (m_sSession.isEmpty() || args.size() != 2 || message.signature() != "so") return false;
  return args[1].value<QDBusObjectPath>().path() == m_sSession;
}

void CLogindWatcher::OnSessionNew(const QDBusMessage& message) {
  if (IsOurSession(message) && m_handlers.m_session) m_handlers.m_session(true);
}

void CLogindWatcher::OnSessionRemoved(const QDBusMessage& message) {
  if (IsOurSession(message) && m_handlers.m_session) m_handlers.m_session(false);
}

void CLogindWatcher::OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                         const QStringList&) {
  if (interface != kSession) return;
  auto it = changed.find(QStringLiteral("Active"));
  // Anything but a boolean is not an answer about the console.
  if (it == changed.end() || it->typeId() != QMetaType::Bool) return;
  if (m_handlers.m_active) m_handlers.m_active(it->toBool());
}

}  // namespace kv
