#pragma once

#include <QWidget>

class QLabel;
class ToneLabel;

// One row of a settings form: a title, an optional subtitle under it in the smaller secondary
// style, and the row's control (a switch, a button, a picker, a shortcut recorder) at the
// trailing edge, centred vertically. A row without a subtitle is the plain labelled row.
//
//     auto *row = new SettingsRow(QStringLiteral("Launch at Login"), QStringLiteral("Start Vemra automatically when you
//     sign in"),
//                                 new SettingsSwitch);
class SettingsRow final : public QWidget
{
    Q_OBJECT

public:
    SettingsRow(const QString &title, const QString &subtitle, QWidget *control, QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &title);
    QString subtitle() const;
    // An empty subtitle takes no room.
    void setSubtitle(const QString &subtitle);
    QWidget *control() const { return m_control; }

    QLabel *titleLabel() const { return m_title; }

private:
    QLabel *m_title;
    ToneLabel *m_subtitle;
    QWidget *m_control;
};
