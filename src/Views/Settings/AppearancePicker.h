#pragma once

#include "Models/Shell/Appearance.h"

#include <QWidget>

#include <array>

class QAbstractButton;

// The appearance choice of the General pane: three buttons side by side (Automatic, Light,
// Dark), each a miniature window drawn in that look with its title under it. The chosen one
// wears an accent ring and a semibold title; the others a faint ring, and the pointing hand.
// A click reports the choice (selectionChanged); the owner stores it and shows what is stored
// with setSelection().
class AppearancePicker final : public QWidget
{
    Q_OBJECT

public:
    explicit AppearancePicker(QWidget *parent = nullptr);

    Appearance selection() const { return m_selection; }
    void setSelection(Appearance appearance);

    QAbstractButton *button(Appearance appearance) const;

Q_SIGNALS:
    // The user clicked the button of `appearance` (the chosen one too).
    void selectionChanged(Appearance appearance);

private:
    Appearance m_selection = Appearance::System;
    std::array<QAbstractButton *, Appearances::all.size()> m_buttons {};
};
