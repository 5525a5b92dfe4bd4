// SPDX-License-Identifier: GPL-3.0-or-later
/* The USB bulk-transfer library the box is reached through: the ten calls the
 * program uses, in the library's own C form, and a table of pointers to them so
 * that the built-in libusb code, the simulated box, a test double or a library
 * loaded at run time can stand behind the same calls. */
#ifndef VANTREL_USBXPRESS_H
#define VANTREL_USBXPRESS_H

#include <stdint.h>

#ifdef _WIN32
/* DWORD, BYTE and HANDLE are the system's own types there (DWORD is an
 * unsigned long, not a uint32_t). */
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#define SI_API WINAPI
#else
#define SI_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int SI_STATUS;
#ifndef _WIN32
typedef uint32_t DWORD;
typedef uint8_t BYTE;
typedef void *HANDLE;
#endif

#define SI_SUCCESS 0x00
#define SI_DEVICE_NOT_FOUND 0xFF
#define SI_INVALID_HANDLE 0x01
#define SI_READ_ERROR 0x02
#define SI_RX_QUEUE_NOT_READY 0x03
#define SI_WRITE_ERROR 0x04
#define SI_RESET_ERROR 0x05
#define SI_INVALID_PARAMETER 0x06
#define SI_INVALID_REQUEST_LENGTH 0x07
#define SI_DEVICE_IO_FAILED 0x08
#define SI_INVALID_BAUDRATE 0x09
#define SI_FUNCTION_NOT_SUPPORTED 0x0a
#define SI_GLOBAL_DATA_ERROR 0x0b
#define SI_SYSTEM_ERROR_CODE 0x0c
#define SI_READ_TIMED_OUT 0x0d
#define SI_WRITE_TIMED_OUT 0x0e
#define SI_IO_PENDING 0x0f
/* Not the vendor library's: the built-in library's answer to an open the
 * system refuses this user, so the caller can say why without a log. */
#define SI_ACCESS_DENIED 0x10

/* Product string selectors (flags of SI_GetProductString). */
#define SI_RETURN_SERIAL_NUMBER 0x00
#define SI_RETURN_DESCRIPTION 0x01

/* Receive queue status bits (SI_CheckRXQueue). */
#define SI_RX_NO_OVERRUN 0x00
#define SI_RX_EMPTY 0x00
#define SI_RX_OVERRUN 0x01
#define SI_RX_READY 0x02

/* Size of the buffer the caller hands to SI_GetProductString. */
#define SI_MAX_DEVICE_STRLEN 256

typedef SI_STATUS(SI_API *SI_GetNumDevices_t)(DWORD *count);
typedef SI_STATUS(SI_API *SI_GetProductString_t)(DWORD index, void *buffer, DWORD flags);
typedef SI_STATUS(SI_API *SI_Open_t)(DWORD index, HANDLE *handle);
typedef SI_STATUS(SI_API *SI_Close_t)(HANDLE handle);
typedef SI_STATUS(SI_API *SI_Read_t)(HANDLE handle, void *buffer, DWORD bytesToRead, DWORD *bytesReturned,
                                     void *overlapped);
typedef SI_STATUS(SI_API *SI_Write_t)(HANDLE handle, void *buffer, DWORD bytesToWrite, DWORD *bytesWritten,
                                      void *overlapped);
typedef SI_STATUS(SI_API *SI_FlushBuffers_t)(HANDLE handle, BYTE flushTransmit, BYTE flushReceive);
typedef SI_STATUS(SI_API *SI_SetTimeouts_t)(DWORD readTimeoutMs, DWORD writeTimeoutMs);
typedef SI_STATUS(SI_API *SI_GetTimeouts_t)(DWORD *readTimeoutMs, DWORD *writeTimeoutMs);
typedef SI_STATUS(SI_API *SI_CheckRXQueue_t)(HANDLE handle, DWORD *bytesInQueue, DWORD *queueStatus);

/* One implementation of the library: every pointer is set. */
typedef struct UsbApi {
    SI_GetNumDevices_t GetNumDevices;       /* ordinal 1 */
    SI_GetProductString_t GetProductString; /* ordinal 2 */
    SI_Open_t Open;                         /* ordinal 3 */
    SI_Close_t Close;                       /* ordinal 4 */
    SI_Read_t Read;                         /* ordinal 6 */
    SI_Write_t Write;                       /* ordinal 7 */
    SI_FlushBuffers_t FlushBuffers;         /* ordinal 9 */
    SI_SetTimeouts_t SetTimeouts;           /* ordinal 10 */
    SI_GetTimeouts_t GetTimeouts;           /* ordinal 11 */
    SI_CheckRXQueue_t CheckRXQueue;         /* ordinal 12 */
} UsbApi;

/* Prototypes of the exported functions, for implementations that export them
 * by name (the simulated box module, test libraries). */
SI_STATUS SI_API SI_GetNumDevices(DWORD *count);
SI_STATUS SI_API SI_GetProductString(DWORD index, void *buffer, DWORD flags);
SI_STATUS SI_API SI_Open(DWORD index, HANDLE *handle);
SI_STATUS SI_API SI_Close(HANDLE handle);
SI_STATUS SI_API SI_Read(HANDLE handle, void *buffer, DWORD bytesToRead, DWORD *bytesReturned, void *overlapped);
SI_STATUS SI_API SI_Write(HANDLE handle, void *buffer, DWORD bytesToWrite, DWORD *bytesWritten, void *overlapped);
SI_STATUS SI_API SI_FlushBuffers(HANDLE handle, BYTE flushTransmit, BYTE flushReceive);
SI_STATUS SI_API SI_SetTimeouts(DWORD readTimeoutMs, DWORD writeTimeoutMs);
SI_STATUS SI_API SI_GetTimeouts(DWORD *readTimeoutMs, DWORD *writeTimeoutMs);
SI_STATUS SI_API SI_CheckRXQueue(HANDLE handle, DWORD *bytesInQueue, DWORD *queueStatus);

#ifdef __cplusplus
}
#endif

#endif
