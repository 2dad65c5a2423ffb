#include "Services/Clipboard/Relaunch.h"

#include "Platform/Logging.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

bool Relaunch::now()
{
    if (!startNewInstance())
        return false;
    quit();
    return true;
}

bool Relaunch::startNewInstance()
{
    // The program and the process id go in as arguments, never into the script's text.
    const QString script = QStringLiteral("while kill -0 \"$1\" 2>/dev/null; do sleep 0.1; done; exec \"$0\"");
    const bool started = QProcess::startDetached(QStringLiteral("/bin/sh"),
        { QStringLiteral("-c"), script, QCoreApplication::applicationFilePath(),
            QString::number(QCoreApplication::applicationPid()) });
    if (!started)
        qCWarning(lcClipboard) << "could not start a new instance to reopen the application";
    return started;
}

void Relaunch::quit()
{
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}
