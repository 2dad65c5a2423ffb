#pragma once

// Starts a new instance of the application and quits this one, for a permission that only
// takes effect at launch. This instance keeps running when the new one cannot be started.
class Relaunch
{
public:
    virtual ~Relaunch() = default;

    // True when the new instance was started (and this one is quitting).
    bool now();

protected:
    // Starts a helper that waits for this process to end and then launches the application
    // again, so the new instance does not find this one still holding the single-instance
    // socket and hand itself back to it.
    virtual bool startNewInstance();
    // Quits through the application's normal path, on the next turn of the event loop.
    virtual void quit();
};
