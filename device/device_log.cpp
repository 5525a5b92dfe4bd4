// SPDX-License-Identifier: GPL-3.0-or-later
#include "device_log.h"

#include <cstdio>
#include <mutex>

namespace vantrel {

namespace {

std::mutex &sinkMutex()
{
    static std::mutex m;
    return m;
}

DeviceLog &sink()
{
    static DeviceLog log;
    return log;
}

} // namespace

DeviceLog setDeviceLog(DeviceLog log)
{
    std::lock_guard<std::mutex> lock(sinkMutex());
    DeviceLog old = std::move(sink());
    sink() = std::move(log);
    return old;
}

void deviceLog(DeviceLogKind kind, const std::string &text)
{
    DeviceLog log;
    {
        std::lock_guard<std::mutex> lock(sinkMutex());
        log = sink();
    }
    if (log)
        log(kind, text);
    else
        std::fputs(text.c_str(), stderr);
}

} // namespace vantrel
