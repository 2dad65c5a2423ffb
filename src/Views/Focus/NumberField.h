#pragma once

#include "Components/Theme/Density.h"

#include <QWidget>

class QLineEdit;
class QToolButton;

// A labelled whole number with a stepper, kept within a range: whatever changes the value
// (typing, the stepper, the owner) is brought back to the nearest bound, so typing 99 into
// hours of 0…24 leaves 24. Return in the field submits.
class NumberField final : public QWidget
{
    Q_OBJECT

public:
    NumberField(const QString &title, int minimum, int maximum, Density density, QWidget *parent = nullptr);

    int value() const { return m_value; }
    void setValue(int value);
    QLineEdit *field() const { return m_field; }

Q_SIGNALS:
    void valueChanged(int value);
    void submitted();

private:
    void typed(const QString &text);
    void showValue();

    int m_minimum;
    int m_maximum;
    int m_value;
    QLineEdit *m_field;
    QToolButton *m_up;
    QToolButton *m_down;
};
