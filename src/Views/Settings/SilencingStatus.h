#pragma once

#include "Models/Focus/FocusSilencerReadiness.h"

#include <QString>

#include <optional>

// What the setup guide's status line says for the last readiness answer (none until a check
// has finished): a title with its symbol, a detail line, and how it is coloured.
struct SilencingStatus
{
    enum class Look { Ready, Checking, Problem };

    QString title;
    QString detail;
    QString symbol;
    Look look = Look::Problem;

    bool isReady() const { return look == Look::Ready; }

    static SilencingStatus of(const std::optional<FocusSilencerReadiness> &readiness);
};
