#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Vemra"));
    QApplication::setApplicationName(QStringLiteral("Vemra"));
    QApplication::setQuitOnLastWindowClosed(false);
    return QApplication::exec();
}
