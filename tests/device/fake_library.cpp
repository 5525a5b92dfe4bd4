// SPDX-License-Identifier: GPL-3.0-or-later
// A USB library loaded by path: one idle box with serial "2023" that echoes
// every request, and a record of the calls it received for the test to read
// through fakelib_calls(). Built a second time without SI_CheckRXQueue.
#include "usbxpress.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string g_record;
std::vector<uint8_t> g_rx;
bool g_open = false;
DWORD g_read = 0, g_write = 0;
HANDLE const kHandle = reinterpret_cast<HANDLE>(0x2023);

void note(const std::string &call)
{
    if (!g_record.empty())
        g_record += ' ';
    g_record += call;
}

std::string args(DWORD a, DWORD b) { return "(" + std::to_string(a) + "," + std::to_string(b) + ")"; }

} // namespace

extern "C" {

const char *fakelib_calls() { return g_record.c_str(); }

SI_STATUS SI_API SI_GetNumDevices(DWORD *count)
{
    note("GetNumDevices");
    *count = 1;
    return SI_SUCCESS;
}

SI_STATUS SI_API SI_GetProductString(DWORD index, void *buffer, DWORD flags)
{
    note("GetProductString" + args(index, flags));
    if (index != 0)
        return SI_DEVICE_NOT_FOUND;
    std::strcpy(static_cast<char *>(buffer), flags == SI_RETURN_SERIAL_NUMBER ? "2023" : "VANTREL");
    return SI_SUCCESS;
}

SI_STATUS SI_API SI_Open(DWORD index, HANDLE *handle)
{
    note("Open(" + std::to_string(index) + ")");
    if (index != 0 || g_open)
        return SI_DEVICE_NOT_FOUND;
    g_open = true;
    *handle = kHandle;
    return SI_SUCCESS;
}

SI_STATUS SI_API SI_Close(HANDLE handle)
{
    note("Close");
    if (!g_open || handle != kHandle)
        return SI_INVALID_HANDLE;
    g_open = false;
    return SI_SUCCESS;
}

SI_STATUS SI_API SI_Read(HANDLE handle, void *buffer, DWORD n, DWORD *got, void *)
{
    note("Read(" + std::to_string(n) + ")");
    *got = 0;
    if (!g_open || handle != kHandle)
        return SI_INVALID_HANDLE;
    DWORD k = n < g_rx.size() ? n : static_cast<DWORD>(g_rx.size());
    std::memcpy(buffer, g_rx.data(), k);
    g_rx.erase(g_rx.begin(), g_rx.begin() + k);
    *got = k;
    return SI_SUCCESS;
}

SI_STATUS SI_API SI_Write(HANDLE handle, void *buffer, DWORD n, DWORD *put, void *)
{
    const auto *p = static_cast<const uint8_t *>(buffer);
    std::string hex;
    for (DWORD i = 0; i < n; ++i) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", p[i]);
        hex += pair;
    }
    note("Write(" + hex + ")");
    *put = 0;
    if (!g_open || handle != kHandle)
        return SI_INVALID_HANDLE;
    *put = n;
    if (n >= 3) {
        const uint8_t count = p[0] == 0x11 ? p[1] : 2;
        g_rx.assign(count, 0x00);
        if (count)
            g_rx[0] = p[2];
    }
    return SI_SUCCESS;
}

SI_STATUS SI_API SI_FlushBuffers(HANDLE handle, BYTE tx, BYTE rx)
{
    note("FlushBuffers" + args(tx, rx));
    if (!g_open || handle != kHandle)
        return SI_INVALID_HANDLE;
    if (rx)
        g_rx.clear();
    return SI_SUCCESS;
}

SI_STATUS SI_API SI_SetTimeouts(DWORD r, DWORD w)
{
    note("SetTimeouts" + args(r, w));
    g_read = r;
    g_write = w;
    return SI_SUCCESS;
}

SI_STATUS SI_API SI_GetTimeouts(DWORD *r, DWORD *w)
{
    note("GetTimeouts");
    *r = g_read;
    *w = g_write;
    return SI_SUCCESS;
}

#ifndef FAKELIB_WITHOUT_QUEUE_QUERY
SI_STATUS SI_API SI_CheckRXQueue(HANDLE handle, DWORD *waiting, DWORD *status)
{
    note("CheckRXQueue");
    if (!g_open || handle != kHandle)
        return SI_INVALID_HANDLE;
    *waiting = static_cast<DWORD>(g_rx.size());
    *status = g_rx.empty() ? SI_RX_EMPTY : SI_RX_READY;
    return SI_SUCCESS;
}
#endif

} // extern "C"
