// SPDX-License-Identifier: GPL-3.0-or-later
#include "output.h"

#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vantrel::cli {

void prepareStandardStreams()
{
#ifdef _WIN32
    // Texts are UTF-8 (a source's name, a file name given as an argument).
    SetConsoleOutputCP(CP_UTF8);
#else
    // A closed standard stream is held by /dev/null, so no file opened later
    // (the box's state, a table) takes its number and gets the output. Standard
    // output is opened for reading only: writing to it still fails.
    for (const int fd : {0, 1, 2})
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
#endif
}

void writeStdout(const std::vector<uint8_t> &bytes)
{
#ifdef _WIN32
    // Text lines end in CR LF on Windows; a table's bytes go out untouched.
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

void writeStdout(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

std::string documentText(const Json &doc)
{
    return doc.dump(4, ' ', false, Json::error_handler_t::replace) + "\n";
}

void Output::line(const std::string &text) const
{
    if (json_)
        return;
    // Texts from the box (a source's name) reach a terminal: no control bytes.
    std::string shown = text;
    for (char &c : shown)
        if ((unsigned char)c < 0x20 || c == 0x7F)
            c = '?';
    writeStdout(shown + "\n");
}

void Output::raw(const std::string &text) const
{
    if (!json_)
        writeStdout(text);
}

void Output::finish() const
{
    if (json_ && !streamed_)
        writeStdout(documentText(doc_));
}

void Output::finishWithError(const std::string &message, int status) const
{
    if (json_)
        writeStdout(documentText(Json{{"error", message}, {"exitStatus", status}}));
}

} // namespace vantrel::cli
