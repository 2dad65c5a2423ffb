#pragma once

#include <QWidget>

// The application's mark cut out of a rounded square, beside the name in the panel's header
// (28), the window's header (40) and the About pane. Decoration: hidden from accessibility.
class VemraBadge final : public QWidget
{
    Q_OBJECT

public:
    explicit VemraBadge(qreal size, QWidget *parent = nullptr);

    qreal badgeSize() const { return m_size; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_size;
};
