#pragma once

#include "operations/OperationHost.h"

#include <utility>

// The host's busy state for one operation: it begins when the scope is made
// and ends once, at end() or when the scope goes, so no path leaves the
// window disabled.
class BusyScope
{
public:
    explicit BusyScope(OperationHost &host) : m_host(host) { m_host.BeginBusy(); }
    ~BusyScope() { end(); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

    void end()
    {
        if (std::exchange(m_busy, false))
            m_host.EndBusy();
    }

private:
    OperationHost &m_host;
    bool m_busy = true;
};
