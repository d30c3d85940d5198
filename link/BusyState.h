#pragma once

// The main window's busy state while a device operation runs: disabled, with
// the busy pointer. EndBusy may be called more than once.
class BusyState
{
public:
    virtual ~BusyState() = default;
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
};
