#pragma once

#include <QString>
#include <QStringList>

// One modal alert: a title, the explanatory text under it and its buttons.
struct Alert
{
    enum class Style { Warning, Informational, Critical };

    Style style = Style::Warning;
    QString title;
    QString informativeText;
    // In order, the first being the default. Empty: a single "OK".
    QStringList buttons;
    // The button that Escape or closing the alert stands for; -1 means the first.
    int cancelButton = -1;
    // A file's or folder's path, shown under the text selected, ready to copy; empty: none.
    // Set once: update() leaves it as it was.
    QString path;
};

// Shows alerts modally. Behind an interface so that tests record alerts instead of blocking.
class AlertPresenter
{
public:
    virtual ~AlertPresenter() = default;
    // Returns when the user has dismissed the alert, with the index of the button that ended it.
    virtual int present(const Alert &alert) = 0;
    // While present() runs: the alert on screen says and offers `alert` instead (a question
    // whose subject changed meanwhile); present() then answers with an index into its buttons.
    virtual void update(const Alert &alert) = 0;
};
