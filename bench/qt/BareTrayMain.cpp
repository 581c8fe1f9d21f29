// The smallest Qt program that shows a tray icon: the baseline the tray program's start-up
// time and memory are measured against.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QPixmap picture(32, 32);
  picture.fill(Qt::blue);
  QSystemTrayIcon icon{QIcon(picture)};
  // As the tray program does: try again until a tray host takes the icon.
  QTimer retry;
  QObject::connect(&retry, &QTimer::timeout, [&] {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    icon.show();
    retry.stop();
  });
  retry.start(600);
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    icon.show();
    retry.stop();
  }
  return app.exec();
}
