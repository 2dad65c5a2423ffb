#pragma once

#include "Platform/AlertPresenter.h"

#include <QList>
#include <QPointer>

class QMessageBox;
class QPushButton;

// Shows alerts as modal message boxes, brought to the front so they are not lost behind other
// applications' windows.
class MessageBoxAlertPresenter final : public AlertPresenter
{
public:
    int present(const Alert &alert) override;
    void update(const Alert &alert) override;

private:
    void setButtons(const Alert &alert);

    // The box on screen (the innermost, when one alert leads to another) and its buttons.
    QPointer<QMessageBox> m_box;
    QList<QPushButton *> m_buttons;
    int m_cancel = 0;
};
