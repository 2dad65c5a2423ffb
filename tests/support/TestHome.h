#pragma once

#include <QString>
#include <QTemporaryDir>

// Points HOME and the XDG folders at a fresh temporary directory for the life of the
// object, and turns on QStandardPaths' test mode, so a test never touches real files.
class TestHome final
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return m_dir.path(); }
    // The Vemra data folder inside this home (not created).
    QString dataFolder() const;
    // Writes the desktop's setting that asks for less motion (or takes it back).
    void setReducesMotion(bool reduces);

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};
