// logind-sim: stands in for logind on the bus DBUS_SYSTEM_BUS_ADDRESS names (a private bus
// of a test). Owns org.freedesktop.login1, answers GetSessionByPID with its one session,
// and emits what its control channel asks for, one command a line:
//   sleep 1|0          PrepareForSleep(true|false)
//   active 1|0|text    the session's Active property changed (text: a wrongly typed value)
//   new ID | removed ID  SessionNew / SessionRemoved of session ID
// Usage: logind-sim --control PATH [--session ID]; runs until SIGTERM/SIGINT.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QSocketNotifier>
#include <QStringList>
#include <QVariantMap>

#include "sim/ControlChannelServer.h"
#include "sim/logind-sim/qt/LogindManager.h"

namespace {

using kv::sim::CLogindManager;
constexpr size_t kMaxLine = 256;
const QString kPath = QStringLiteral("/org/freedesktop/login1");

QDBusMessage Signal(const QString& path, const QString& interface, const QString& name,
                    const QVariantList& args) {
  QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
  message.setArguments(args);
  return message;
}

std::string Execute(QDBusConnection& bus, const QString& session, const std::string& line) {
  const QStringList words = QString::fromStdString(line).split(' ', Qt::SkipEmptyParts);
  if (words.size() != 2) return "error usage: sleep 1|0, active 1|0|text, new ID, removed ID";
  const QString& what = words[0];
  const QString& value = words[1];
  QDBusMessage message;
  if (what == "sleep" && (value == "1" || value == "0")) {
    message = Signal(kPath, "org.freedesktop.login1.Manager", "PrepareForSleep", {value == "1"});
  } else if (what == "active") {
    QVariantMap changed;
    changed["Active"] = (value == "1" || value == "0") ? QVariant(value == "1") : QVariant(value);
    message = Signal(CLogindManager::SessionPath(session), "org.freedesktop.DBus.Properties",
                     "PropertiesChanged",
                     {QStringLiteral("org.freedesktop.login1.Session"), changed, QStringList()});
  } else if (what == "new" || what == "removed") {
    message = Signal(kPath, "org.freedesktop.login1.Manager",
                     what == "new" ? "SessionNew" : "SessionRemoved",
                     {value, QVariant::fromValue(QDBusObjectPath(CLogindManager::SessionPath(value)))});
  } else {
    return "error unknown command";
  }
  return bus.send(message) ? "ok" : "error not sent";
}

int g_stopPipe[2] = {-1, -1};
void OnStop(int) {
  const char c = 1;
  (void)!write(g_stopPipe[1], &c, 1);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString control, session = "c1";
  const QStringList args = app.arguments();
  for (int i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == "--control") control = args[i + 1];
    else if (args[i] == "--session") session = args[i + 1];
  }
  if (control.isEmpty()) {
    std::fprintf(stderr, "usage: logind-sim --control PATH [--session ID]\n");
    return 2;
  }
  QDBusConnection bus = QDBusConnection::systemBus();
  CLogindManager manager(session);
  if (!bus.isConnected() || !bus.registerObject(kPath, &manager, QDBusConnection::ExportAllSlots) ||
      !bus.registerService("org.freedesktop.login1")) {
    std::fprintf(stderr, "logind-sim: cannot serve on the system bus\n");
    return 1;
  }
  // Commands arrive on the channel's thread; a connection may send from any thread.
  kv::CControlChannelServer channel(
      [&](const std::string& line) { return Execute(bus, session, line); }, kMaxLine);
  if (uint32_t rc = channel.Start(control.toStdString())) {
    std::fprintf(stderr, "logind-sim: cannot serve %s (error %u)\n", control.toUtf8().constData(), rc);
    return 1;
  }
  if (pipe(g_stopPipe) != 0) return 1;
  std::signal(SIGTERM, OnStop);
  std::signal(SIGINT, OnStop);
  QSocketNotifier stop(g_stopPipe[0], QSocketNotifier::Read);
  QObject::connect(&stop, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
  const int rc = app.exec();
  channel.Stop();
  return rc;
}
