#pragma once

#include <QAbstractButton>

// A text that acts as a button, in the accent colour, with the pointing hand over it: "Check
// Setup", "Set Up…".
class LinkButton final : public QAbstractButton
{
    Q_OBJECT

public:
    LinkButton(const QString &text, int pixelSize, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
