#pragma once

#include "Components/Theme/Density.h"

#include <QDate>
#include <QWidget>

#include <optional>

class ToneLabel;

// The short centred message the todos tab shows instead of an empty list: "Nothing here
// yet." or, with a day filter, the day in words ("Nothing tomorrow yet."), over the hint "Add a
// todo above.". The container decides when it shows and how much room it gets.
class EmptyState final : public QWidget
{
    Q_OBJECT

public:
    explicit EmptyState(Density density, QWidget *parent = nullptr);

    // The todos tab's day filter (none for the whole list) and the container's today.
    void setDay(const std::optional<QDate> &day, const QDate &today);

    QString headline() const;
    QString hint() const;

private:
    ToneLabel *m_headline;
    ToneLabel *m_hint;
};
