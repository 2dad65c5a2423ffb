#pragma once

#include <QAbstractButton>

class Transition;

// The on/off switch of a settings row: a capsule track that fills with the accent when on and
// a white knob that slides across in 0.12 s. Space toggles it when it has the keyboard focus.
// Like every toggle it emits clicked(bool) only for the user's changes; the row's owner writes
// the setting then and sets the switch back to whatever was stored.
class SettingsSwitch final : public QAbstractButton
{
    Q_OBJECT

public:
    explicit SettingsSwitch(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    Transition *m_on;
};
