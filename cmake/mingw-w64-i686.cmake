# SPDX-License-Identifier: GPL-3.0-or-later
# 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686-posix), where the
# USB library's calls are __stdcall:
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VANTREL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
