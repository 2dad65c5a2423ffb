#include "Platform/linux/QuitSignals.h"

#include "Platform/Logging.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int handled[] = { SIGTERM, SIGINT, SIGHUP };

// The write end is all a handler may touch: writing one byte is safe in a signal handler.
int writeEnd = -1;
int readEnd = -1;

void onSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

void handleWith(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : handled) {
        if (::sigaction(signal, &action, nullptr) != 0)
            qCWarning(lcPlatform) << "cannot handle signal" << signal;
    }
}

} // namespace

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(writeEnd < 0);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcPlatform) << "cannot make the pipe for quit signals";
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    m_notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    handleWith(&onSignal);
}

QuitSignals::~QuitSignals()
{
    if (writeEnd < 0)
        return;
    handleWith(SIG_DFL);
    delete m_notifier;
    ::close(readEnd);
    ::close(writeEnd);
    readEnd = writeEnd = -1;
}

void QuitSignals::readSignal()
{
    unsigned char byte = 0;
    while (::read(readEnd, &byte, 1) == 1)
        Q_EMIT quitRequested(int(byte));
}
