#pragma once

#include <QString>
#include <QStringList>

// The application in front at a moment: what the history shows as the source of a copy.
struct FrontApplication
{
    // The application's identity: its desktop entry id ("org.keepassxc.KeePassXC"),
    // else the window's class ("XTerm"); empty when nothing answers.
    QString appId;
    // The desktop entry's name in the user's language, else the window's class.
    QString name;
    // Every name the application is known by (desktop id, window instance and class,
    // executable), for matching against tables of applications.
    QStringList aliases;
};

// Tells which application owns the active window.
class FrontApp
{
public:
    virtual ~FrontApp() = default;
    // Empty when there is no window manager or no active window.
    virtual FrontApplication current() const = 0;
};
