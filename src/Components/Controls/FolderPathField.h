#pragma once

#include <QLineEdit>

// A folder's path, to copy into a terminal or a file dialog: a read-only field without a frame,
// which never widens the pane. Where a long path (under a long home folder) does not fit and the
// field has no focus, it is cut in the middle, keeping its start and the folder's own name; the
// tool tip holds it whole, and a click shows it whole to select from. Where the desktop has no
// file manager, what would show the folder hands its path over here instead, selected.
class FolderPathField final : public QLineEdit
{
    Q_OBJECT

public:
    FolderPathField(const QString &path, const QString &accessibleName, QWidget *parent = nullptr);

    // Selects the whole path with the focus, ready to copy. `handOverEnded` follows once the
    // selection has gone (the focus moved on, a click placed the cursor).
    void handOver();
    bool isHandedOver() const { return m_handedOver; }
    // What the field shows at its present width.
    QString shownText() const;

Q_SIGNALS:
    void handOverEnded();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textArea() const;

    bool m_handedOver = false;
};
