// SPDX-License-Identifier: GPL-3.0-or-later
// atomicWriteFile on Windows: a new file beside the target, flushed, then
// moved over it in one step; a file with hard links is written in place.
// Paths are UTF-8, as the callers hand them.
#include "edid_file.h"

#include <algorithm>
#include <filesystem>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace vantrel::edid {

namespace {

std::string systemMessage(DWORD code)
{
    char *text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char *>(&text), 0, nullptr);
    std::string out = n && text ? std::string(text, n) : "error " + std::to_string(code);
    LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.'))
        out.pop_back();
    return out;
}

bool writeAll(HANDLE file, const std::vector<uint8_t> &bytes)
{
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        DWORD put = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        ok = WriteFile(file, bytes.data() + done, chunk, &put, nullptr) && put > 0;
        done += put;
    }
    return ok && FlushFileBuffers(file);
}

// An existing file as the write must treat it: the file a symbolic link leads
// to, and whether other names (hard links) share it.
struct Existing {
    std::filesystem::path path;
    bool sharedName = false;
};

Existing existingFile(const std::filesystem::path &target)
{
    Existing out{target, false};
    HANDLE h = CreateFileW(target.wstring().c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(h, &info))
        out.sharedName = info.nNumberOfLinks > 1;
    wchar_t name[MAX_PATH * 4];
    const DWORD n = GetFinalPathNameByHandleW(h, name, DWORD(sizeof name / sizeof name[0]), FILE_NAME_NORMALIZED);
    if (n > 0 && n < sizeof name / sizeof name[0])
        out.path = std::filesystem::path(std::wstring(name, n));
    CloseHandle(h);
    return out;
}

// A file with other names keeps them: its bytes are replaced in place.
bool writeInPlace(const std::filesystem::path &target, const std::vector<uint8_t> &bytes, std::string &error)
{
    HANDLE file = CreateFileW(target.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = systemMessage(GetLastError());
        return false;
    }
    // The new size is reserved before the old bytes are touched: on a full
    // disk the file stays as it was.
    LARGE_INTEGER oldSize{}, newSize{}, start{};
    newSize.QuadPart = LONGLONG(bytes.size());
    if (GetFileSizeEx(file, &oldSize) && newSize.QuadPart > oldSize.QuadPart &&
        !(SetFilePointerEx(file, newSize, nullptr, FILE_BEGIN) && SetEndOfFile(file))) {
        const DWORD code = GetLastError();
        SetFilePointerEx(file, oldSize, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
        error = "no room for the new bytes, the file is unchanged: " + systemMessage(code);
        return false;
    }
    const bool ok = SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && writeAll(file, bytes) &&
                    SetFilePointerEx(file, newSize, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    const DWORD code = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (!ok)
        error = systemMessage(code ? code : ERROR_WRITE_FAULT);
    return ok;
}

} // namespace

bool atomicWriteFile(const std::string &path, const std::vector<uint8_t> &bytes, std::string &error)
{
    namespace fs = std::filesystem;
    // A symbolic link stays and its target is replaced.
    const Existing existing = existingFile(fs::u8path(path));
    if (existing.sharedName)
        return writeInPlace(existing.path, bytes, error);
    const fs::path &target = existing.path;
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(L".");
    const std::wstring stem = L"." + target.filename().wstring() + L".";
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring temp;
    // CREATE_NEW fails on a name already taken, so a few tries find a free one.
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = (dir / (stem + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt))).wstring();
        file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            error = systemMessage(GetLastError());
            return false;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        error = systemMessage(ERROR_FILE_EXISTS);
        return false;
    }
    bool ok = writeAll(file, bytes);
    DWORD code = ok ? 0 : GetLastError();
    CloseHandle(file);
    if (ok) {
        ok = MoveFileExW(temp.c_str(), target.wstring().c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        code = ok ? 0 : GetLastError();
    }
    if (!ok) {
        error = systemMessage(code ? code : ERROR_WRITE_FAULT);
        DeleteFileW(temp.c_str());
    }
    return ok;
}

} // namespace vantrel::edid
