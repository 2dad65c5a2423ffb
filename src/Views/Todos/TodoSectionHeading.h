#pragma once

#include "Components/Theme/Density.h"

#include <QAbstractButton>
#include <QDate>

class PointingHandCursor;

// The heading over one day section of the todo list: the day's name and, for today and the
// six days after it, its date. It doubles as the day filter's switch; the list decides what a
// click does. It takes no keyboard focus.
class TodoSectionHeading final : public QAbstractButton
{
    Q_OBJECT

public:
    TodoSectionHeading(const QDate &day, Density density, QWidget *parent = nullptr);

    QDate day() const { return m_day; }
    // `isFirst`: the heading of the first section, which sits closer to the top.
    void setState(const QDate &today, bool isFiltered, bool isFirst);

    bool isFiltered() const { return m_filtered; }
    // The date beside the name; empty beyond six days ahead.
    QString dateText() const;
    QString nameText() const;

    QSize sizeHint() const override;
    // The height of a heading, without making one.
    static int heightFor(Density density, bool isFirst);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QDate m_day;
    Density m_density;
    QDate m_today;
    bool m_filtered = false;
    bool m_first = false;
    PointingHandCursor *m_hand;
};
