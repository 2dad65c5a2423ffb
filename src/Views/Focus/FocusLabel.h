#pragma once

#include "Models/Focus/FocusWording.h"

#include <QWidget>

class QLabel;

// One line of the focus tab: a symbol, then a text, both in the line's tone. Follows palette
// changes by itself.
class FocusLabel final : public QWidget
{
    Q_OBJECT

public:
    explicit FocusLabel(int pixelSize, QFont::Weight weight = QFont::Normal, QWidget *parent = nullptr);

    void setLine(const FocusWording::Line &line);
    FocusWording::Line line() const { return m_line; }
    QString text() const;
    // Long texts end in "…" instead of wrapping.
    void setElides(bool elides);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The colour of a tone in a palette.
    static QColor colour(FocusWording::Tone tone, const QPalette &palette);

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void refresh();

    FocusWording::Line m_line;
    int m_pixelSize;
    bool m_elides = false;
    QLabel *m_symbol;
    QLabel *m_text;
};
