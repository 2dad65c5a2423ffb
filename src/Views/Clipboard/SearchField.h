#pragma once

#include "Components/Theme/Density.h"

#include <QWidget>

class AppearTransition;
class IconButton;
class QLabel;
class SymbolIcon;
class QLineEdit;
class Transition;

// The search box at the top of the clipboard tab: a magnifying glass, the text ("Search
// clipboard" while empty) and a clear button while there is text. It keeps nothing: the text,
// the active look and Escape belong to the tab. The outline turns to the accent while it has
// the keyboard focus and is active (no row selected).
class SearchField final : public QWidget
{
    Q_OBJECT

public:
    explicit SearchField(Density density, QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    IconButton *clearButton() const { return m_clear; }

    QString text() const;
    void setText(const QString &text);
    void setActive(bool active);
    bool isHighlighted() const;
    void focusField();

Q_SIGNALS:
    // The user typed or cleared the text.
    void textEdited(const QString &text);
    void escapePressed();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();

    Density m_density;
    SymbolIcon *m_glass;
    QLineEdit *m_field;
    IconButton *m_clear;
    AppearTransition *m_clearMotion = nullptr;
    Transition *m_outline;
    bool m_active = true;
};
