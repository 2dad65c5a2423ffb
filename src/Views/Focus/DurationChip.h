#pragma once

#include "Components/Theme/Density.h"

#include <QAbstractButton>

class Transition;

// One length of the focus tab's chip grid: a rounded, full-width button with a short length
// ("25m", "Custom"). The selected chip is filled with the accent colour and has white text,
// eased in and out with the choice;
// the others show a faint wash that deepens under the pointer (eased over 0.12 s) and the
// pointing hand. It is read out by its spoken title and reported as selected when it is. Only
// the selected chip is a Tab stop, as in a group of radio buttons; Space presses it.
class DurationChip final : public QAbstractButton
{
    Q_OBJECT

public:
    DurationChip(const QString &title, const QString &spokenTitle, Density density, QWidget *parent = nullptr);

    bool isSelected() const { return isChecked(); }
    void setSelected(bool selected);
    // How far the selected look has come in: 0 plain, 1 filled.
    qreal fill() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QFont titleFont() const;

    Density m_density;
    Transition *m_hover;
    Transition *m_selected;
};
