// SPDX-License-Identifier: GPL-3.0-or-later
#include "output.h"

#include <cstdio>

namespace vantrel::cli {

void writeStdout(const std::vector<uint8_t> &bytes)
{
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
