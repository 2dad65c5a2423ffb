#pragma once

#include <QWidget>

class FocusSessionManager;
class HotKeys;
class IconButton;
class ToneLabel;
class Surface;

// The bottom bar of the focus tab in the panel: when the running session started, else how to
// open Focus from anywhere, and the button that opens the expanded window (Ctrl+O).
class FocusFooter final : public QWidget
{
    Q_OBJECT

public:
    FocusFooter(FocusSessionManager &focus, HotKeys &hotKeys, Surface &surface, QWidget *parent = nullptr);

    QString statusText() const;
    ToneLabel *statusLabel() const { return m_status; }
    IconButton *openInWindowButton() const { return m_expand; }

private:
    void refresh();

    FocusSessionManager &m_focus;
    HotKeys &m_hotKeys;
    ToneLabel *m_status;
    IconButton *m_expand;
};
