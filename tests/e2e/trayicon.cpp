// Puts one more icon into the tray, as another application does, and keeps it there until the
// process is ended; the tray then lays its icons out anew.
// Usage: e2e_trayicon
#include <QApplication>
#include <QColor>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QPixmap square(22, 22);
    square.fill(QColor(200, 60, 60));
    QSystemTrayIcon icon { QIcon(square) };
    icon.show();
    return QApplication::exec();
}
