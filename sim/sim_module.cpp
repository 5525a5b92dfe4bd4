// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated box as a loadable USB library: the ten calls exported by name,
// for any program that loads its USB library by path, and a mark of its own.
// On Windows the .def file exports them by ordinal instead.
#include "sim_api.h"

#ifdef _WIN32
#define VANTREL_EXPORT extern "C"
#else
#define VANTREL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using vantrel::sim::simulatorApi;

// Tells a loader that this library is the simulated box, whatever its file is
// called (vantrel::kSimulatedBoxSymbol; ordinal 901 on Windows).
VANTREL_EXPORT int vantrel_simulated_box(void)
{
    return 1;
}

VANTREL_EXPORT SI_STATUS SI_API SI_GetNumDevices(DWORD *count) { return simulatorApi()->GetNumDevices(count); }

VANTREL_EXPORT SI_STATUS SI_API SI_GetProductString(DWORD index, void *buffer, DWORD flags)
{
    return simulatorApi()->GetProductString(index, buffer, flags);
}

VANTREL_EXPORT SI_STATUS SI_API SI_Open(DWORD index, HANDLE *handle) { return simulatorApi()->Open(index, handle); }

VANTREL_EXPORT SI_STATUS SI_API SI_Close(HANDLE handle) { return simulatorApi()->Close(handle); }

VANTREL_EXPORT SI_STATUS SI_API SI_Read(HANDLE handle, void *buffer, DWORD bytesToRead, DWORD *bytesReturned,
                                        void *overlapped)
{
    return simulatorApi()->Read(handle, buffer, bytesToRead, bytesReturned, overlapped);
}

VANTREL_EXPORT SI_STATUS SI_API SI_Write(HANDLE handle, void *buffer, DWORD bytesToWrite, DWORD *bytesWritten,
                                         void *overlapped)
{
    return simulatorApi()->Write(handle, buffer, bytesToWrite, bytesWritten, overlapped);
}

VANTREL_EXPORT SI_STATUS SI_API SI_FlushBuffers(HANDLE handle, BYTE flushTransmit, BYTE flushReceive)
{
    return simulatorApi()->FlushBuffers(handle, flushTransmit, flushReceive);
}

VANTREL_EXPORT SI_STATUS SI_API SI_SetTimeouts(DWORD readTimeoutMs, DWORD writeTimeoutMs)
{
    return simulatorApi()->SetTimeouts(readTimeoutMs, writeTimeoutMs);
}

VANTREL_EXPORT SI_STATUS SI_API SI_GetTimeouts(DWORD *readTimeoutMs, DWORD *writeTimeoutMs)
{
    return simulatorApi()->GetTimeouts(readTimeoutMs, writeTimeoutMs);
}

VANTREL_EXPORT SI_STATUS SI_API SI_CheckRXQueue(HANDLE handle, DWORD *bytesInQueue, DWORD *queueStatus)
{
    return simulatorApi()->CheckRXQueue(handle, bytesInQueue, queueStatus);
}
