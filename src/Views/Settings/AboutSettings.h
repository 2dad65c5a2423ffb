#pragma once

#include <QWidget>

class QLabel;

// The last settings pane: the badge, the name, the one-line description, the running version
// and where the data lives, in a centred column as wide as the form panes. Nothing in it can
// be clicked or focused.
class AboutSettings final : public QWidget
{
    Q_OBJECT

public:
    explicit AboutSettings(QWidget *parent = nullptr);

    QLabel *versionLabel() const { return m_version; }

private:
    QLabel *m_version;
};
