#pragma once

#include "Platform/FileRevealer.h"

#include <QDBusConnection>
#include <QObject>

class QDBusMessage;

// Selects the item in, or opens, a file-manager window through org.freedesktop.FileManager1;
// where no file manager offers that, the desktop's handler of folders opens the folder. Where
// there is no handler either, nothing opens: the desktop would hand the folder to the web
// browser, where nothing can be done with its files.
class FileManagerRevealer final : public QObject, public FileRevealer
{
    Q_OBJECT

public:
    // Starts learning at once whether there is a file manager, without waiting for the answer.
    explicit FileManagerRevealer(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    void reveal(const QString &path) override;
    void openFolder(const QString &folder) override;
    // FileManager1 on the bus (running or started on demand), or a handler of folders. The bus
    // tells when FileManager1 comes or goes; the rest is asked again with every question.
    bool hasFileManager() override;

    // The folder opened when the file manager cannot select the item.
    static QString fallbackFolder(const QString &path);

private:
    // Asks the bus and looks for a handler of folders; the answers arrive later.
    void learn();
    // Sends `call` to the bus itself and hands its answer to `take` once it comes.
    template <typename Take> void askBus(const QDBusMessage &call, Take take);
    void askFileManager(const QString &method, const QString &path, const QString &fallback);
    void openWithDesktop(const QString &folder) const;

    QDBusConnection m_bus;
    bool m_running = false;
    bool m_activatable = false;
    bool m_folderHandler = false;
    // Answers still awaited from the last learning; no new one starts before they are in.
    int m_learning = 0;
};
