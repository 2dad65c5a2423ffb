#pragma once

#include "Components/Controls/ToneLabel.h"

// One line of text in a tone, cut with "…" to the width it is given (at the end, the start or
// in the middle, as its mode says), so that a long name or title never widens what holds it:
// it takes the width its layout gives it and asks for no more.
//
//     auto *folder = new ElidedLabel(Qt::ElideMiddle, Theme::secondary, row);
//     folder->setFullText(path);
class ElidedLabel final : public ToneLabel
{
    Q_OBJECT

public:
    ElidedLabel(Qt::TextElideMode mode, Theme::Tone tone, QWidget *parent = nullptr);

    // The whole text; text() is the part that shows.
    void setFullText(const QString &text);
    QString fullText() const { return m_full; }

    // The whole text's width, though the label takes what it is given.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void elide();

    QString m_full;
    Qt::TextElideMode m_mode;
};
