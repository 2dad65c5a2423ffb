#pragma once

#include "Components/Theme/Density.h"
#include "Models/Focus/FocusWording.h"

#include <QWidget>

class SymbolIcon;
class TintedButton;
class ToneLabel;

// The card that takes the start button's place when notifications cannot be silenced: what is
// wrong, a button to set silencing up (or, for a refused permission, to open the permission
// settings) and "Start Timer Anyway".
class SilencingPrompt final : public QWidget
{
    Q_OBJECT

public:
    explicit SilencingPrompt(Density density, QWidget *parent = nullptr);

    void setPrompt(const FocusWording::Prompt &prompt);
    FocusWording::Prompt prompt() const { return m_prompt; }
    TintedButton *firstButton() const { return m_first; }
    TintedButton *startAnywayButton() const { return m_startAnyway; }

Q_SIGNALS:
    void setUpChosen();
    void permissionsChosen();
    void startAnywayChosen();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_radius;
    FocusWording::Prompt m_prompt;
    SymbolIcon *m_symbol;
    ToneLabel *m_title;
    ToneLabel *m_detail;
    TintedButton *m_first;
    TintedButton *m_startAnyway;
};
