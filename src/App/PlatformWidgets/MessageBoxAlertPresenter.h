#pragma once

#include "Platform/AlertPresenter.h"

// Shows alerts as modal message boxes, brought to the front so they are not lost behind other
// applications' windows.
class MessageBoxAlertPresenter final : public AlertPresenter
{
public:
    int present(const Alert &alert) override;
};
