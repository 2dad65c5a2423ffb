#pragma once

#include "Platform/AlertPresenter.h"

#include <QPointer>

class AlertBox;

// Shows alerts as modal boxes, brought to the front so they are not lost behind other
// applications' windows.
class MessageBoxAlertPresenter final : public AlertPresenter
{
public:
    int present(const Alert &alert) override;
    void update(const Alert &alert) override;

private:
    // The box on screen (the innermost, when one alert leads to another).
    QPointer<AlertBox> m_box;
};
