// Placeholder until the libusb implementation lands: reports no devices.
#include "libusb_backend.h"

namespace vantrel {
namespace {
SI_STATUS SI_API noCount(DWORD *count) { *count = 0; return SI_DEVICE_NOT_FOUND; }
SI_STATUS SI_API noString(DWORD, void *, DWORD) { return SI_DEVICE_NOT_FOUND; }
SI_STATUS SI_API noOpen(DWORD, HANDLE *) { return SI_DEVICE_NOT_FOUND; }
SI_STATUS SI_API noClose(HANDLE) { return SI_INVALID_HANDLE; }
SI_STATUS SI_API noRead(HANDLE, void *, DWORD, DWORD *, void *) { return SI_INVALID_HANDLE; }
SI_STATUS SI_API noWrite(HANDLE, void *, DWORD, DWORD *, void *) { return SI_INVALID_HANDLE; }
SI_STATUS SI_API noFlush(HANDLE, BYTE, BYTE) { return SI_INVALID_HANDLE; }
SI_STATUS SI_API noSet(DWORD, DWORD) { return SI_SUCCESS; }
SI_STATUS SI_API noGet(DWORD *r, DWORD *w) { *r = 0; *w = 0; return SI_SUCCESS; }
SI_STATUS SI_API noQueue(HANDLE, DWORD *, DWORD *) { return SI_INVALID_HANDLE; }
const UsbApi kNone = {noCount, noString, noOpen, noClose, noRead, noWrite, noFlush, noSet, noGet, noQueue};
} // namespace
const UsbApi *libusbApi() { return &kNone; }
} // namespace vantrel
