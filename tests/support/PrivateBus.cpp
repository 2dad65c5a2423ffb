#include "PrivateBus.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// Connection names are the process's: each bus's are apart from every other's.
int connections = 0;

} // namespace

PrivateBus::PrivateBus(const QString &folder)
{
    const QString config = folder + u"/bus.conf"_s;
    QFile file(config);
    const QByteArray text
        = u"<busconfig><type>session</type><listen>unix:tmpdir=%1</listen><servicedir>%2/services</servicedir>"
          "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
          "<allow own=\"*\"/></policy></busconfig>"_s.arg(QDir::tempPath(), folder)
              .toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return;
    file.close();
    m_daemon.start(u"dbus-daemon"_s, { u"--config-file=%1"_s.arg(config), u"--nofork"_s, u"--print-address=1"_s });
    if (!m_daemon.waitForStarted(5000))
        return;
    const QDeadlineTimer deadline(5000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(100);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    resume();
    m_daemon.terminate();
    m_daemon.waitForFinished(5000);
}

QDBusConnection PrivateBus::connect()
{
    return QDBusConnection::connectToBus(m_address, u"private-bus-%1"_s.arg(++connections));
}

void PrivateBus::pause()
{
    ::kill(static_cast<pid_t>(m_daemon.processId()), SIGSTOP);
}

void PrivateBus::resume()
{
    ::kill(static_cast<pid_t>(m_daemon.processId()), SIGCONT);
}
