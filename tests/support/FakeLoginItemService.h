#pragma once

#include "Platform/LoginItemService.h"

#include <QStringList>

// A login-item service whose status and failures a test sets; records the calls it gets.
class FakeLoginItemService final : public LoginItemService
{
public:
    Status current = Status::NotRegistered;
    // The status a successful registration leaves behind.
    Status afterRegister = Status::Enabled;
    std::optional<QString> failure;
    QStringList calls;

    Status status() const override { return current; }
    std::optional<QString> registerItem() override
    {
        calls << QStringLiteral("register");
        if (!failure)
            current = afterRegister;
        return failure;
    }
    std::optional<QString> unregisterItem() override
    {
        calls << QStringLiteral("unregister");
        if (!failure)
            current = Status::NotRegistered;
        return failure;
    }
    void openApprovalSettings() override { calls << QStringLiteral("openApprovalSettings"); }
};
