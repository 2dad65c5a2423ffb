#pragma once

#include "Services/Updates/UpdateDriver.h"

#include <QStringList>

// Keeps its setting in memory, hands the delegate to the test and writes each check to `log`.
class FakeUpdateDriver final : public UpdateDriver
{
public:
    UpdateDriverDelegate *delegate = nullptr;
    bool automatic = true;
    bool source = true;
    int writes = 0;
    QStringList log;

    void start(UpdateDriverDelegate *d) override { delegate = d; }
    bool hasSource() const override { return source; }
    bool automaticallyChecks() const override { return automatic; }
    void setAutomaticallyChecks(bool value) override
    {
        automatic = value;
        ++writes;
    }
    void checkForUpdates() override { log.append(QStringLiteral("check")); }
};
