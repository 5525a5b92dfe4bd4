// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any file read as a box profile. What is read writes back
// to a file that reads as the same profile.
#include "fuzz_check.h"
#include "profile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vantrel::profile;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const ReadResult r = readProfile(std::string_view(reinterpret_cast<const char *>(data), size));
    if (!r.ok) {
        require(!r.error.empty(), "refused without a reason");
        return 0;
    }
    const std::string again = writeProfile(r.profile);
    const ReadResult back = readProfile(again);
    require(back.ok, "a rewritten profile was refused");
    require(back.profile.settings == r.profile.settings, "settings changed on rewrite");
    require(back.profile.customEdid == r.profile.customEdid, "the table changed on rewrite");
    require(back.profile.hdrInfoframe == r.profile.hdrInfoframe && back.profile.cecLp == r.profile.cecLp,
            "texts changed on rewrite");
    require(writeProfile(back.profile) == again, "a second rewrite differs");
    return 0;
}
