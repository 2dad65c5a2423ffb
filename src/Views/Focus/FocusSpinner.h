#pragma once

#include <QVariantAnimation>
#include <QWidget>

// A small indeterminate progress spinner: an arc turning once a second while on screen.
class FocusSpinner final : public QWidget
{
    Q_OBJECT

public:
    explicit FocusSpinner(int side, QWidget *parent = nullptr);

    QSize sizeHint() const override { return { m_side, m_side }; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_side;
    QVariantAnimation m_turn;
};
