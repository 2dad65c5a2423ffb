#pragma once

#include <QWidget>

class QAbstractButton;
class QLabel;

// A value with a pair of small arrows beside it that step it up and down by one, within a
// range. The stepper holds no value of its own: a step asks for the new value
// (stepRequested), and the owner stores it or refuses it and then shows what is stored with
// setValue(), so a refused step leaves the stepper as it was. The arrows repeat while held;
// with the keyboard focus, Up and Down step too.
class SettingsStepper final : public QWidget
{
    Q_OBJECT

public:
    SettingsStepper(int minimum, int maximum, QWidget *parent = nullptr);

    int value() const { return m_value; }
    // Shows `value` as `text` and enables each arrow while it can move within the range.
    void setValue(int value, const QString &text);
    QString text() const;

    QAbstractButton *upButton() const { return m_up; }
    QAbstractButton *downButton() const { return m_down; }

Q_SIGNALS:
    void stepRequested(int value);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void step(int by);

    int m_minimum;
    int m_maximum;
    int m_value;
    QLabel *m_text;
    QAbstractButton *m_up;
    QAbstractButton *m_down;
};
