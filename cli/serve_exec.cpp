// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl serve runs vantrelctl-serve, the one program that loads the
// MQTT library (and with it TLS): every other command starts without them.
#include "serve_options.h"

#include "cli_error.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace vantrel::cli {

namespace {

// Beside vantrelctl (a build folder, or bin/ when installed there), else
// in libexec/ next to its bin/.
std::string serveProgram()
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = n > 0 ? std::string(self, size_t(n)) : std::string();
    folder = folder.substr(0, folder.rfind('/') + 1);
    for (const char *where : {"", "../libexec/"}) {
        const std::string path = folder + where + "vantrelctl-serve";
        if (::access(path.c_str(), X_OK) == 0)
            return path;
    }
    return folder + "../libexec/vantrelctl-serve";
}

int execServe(Invocation &)
{
    // The words vantrelctl was given, as they were given.
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> words;
    for (size_t at = 0; at < all.size();) {
        const size_t end = std::min(all.find('\0', at), all.size());
        words.push_back(all.substr(at, end - at));
        at = end + 1;
    }
    const std::string program = serveProgram();
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (size_t i = 1; i < words.size(); ++i)
        argv.push_back(const_cast<char *>(words[i].c_str()));
    argv.push_back(nullptr);
    std::fflush(stdout);
    ::execv(program.c_str(), argv.data());
    throw CliError{kExitFailed, "cannot run " + program + ": " + std::strerror(errno)};
}

} // namespace

ServeRunner &serveRunner()
{
    static ServeRunner runner = execServe;
    return runner;
}

} // namespace vantrel::cli
