// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: the packet builders on fields typed by hand. The input is
// the fields one a line; the first byte picks the builder. Whatever the
// builders accept must decode back without a complaint.
#include "avi_builder.h"
#include "cec_builder.h"
#include "cec_message.h"
#include "cec_recipes.h"
#include "fuzz_check.h"
#include "hdr_builder.h"

using namespace vantrel::packets;
using vantrel::fuzz::require;

namespace {

std::vector<std::string> lines(const uint8_t *data, size_t size)
{
    std::vector<std::string> out(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            out.emplace_back();
        else
            out.back() += char(data[i]);
    }
    return out;
}

std::string field(const std::vector<std::string> &f, size_t i)
{
    return i < f.size() ? f[i] : std::string();
}

void checkRefusal(const Built &b)
{
    require(b.ok == b.error.empty(), "a refusal without a reason, or a reason with bytes");
    require(vantrel::fuzz::printable(b.error) || !b.ok, "reason not printable");
}

void hdr(const std::vector<std::string> &f)
{
    const HdrRequest r{field(f, 0), field(f, 1), field(f, 2), field(f, 3),
                       field(f, 4), field(f, 5), field(f, 6), field(f, 7)};
    const HdrBuilt b = buildHdrInfoframe(r);
    checkRefusal(b);
    if (!b.ok)
        return;
    const HdrInfoframe d = decodeHdrInfoframe(b.bytes.data(), b.bytes.size());
    require(d.notes.empty(), "a built HDR frame has notes");
    require(d.maxMasteringLuminance == b.metadata.maxLuminance && d.minMasteringCode == b.metadata.minLuminanceCode &&
                d.maxCll == b.metadata.maxCll && d.maxFall == b.metadata.maxFall && d.eotf == b.metadata.eotf,
            "HDR fields do not read back");
    for (size_t k = 0; k < 3; ++k)
        require(d.primaries[k]->xCode == b.metadata.primaries[k].xCode &&
                    d.primaries[k]->yCode == b.metadata.primaries[k].yCode,
                "primaries do not read back");
}

void avi(const std::vector<std::string> &f)
{
    const AviRequest r{field(f, 0), field(f, 1), field(f, 2), field(f, 3),
                       field(f, 4), field(f, 5), field(f, 6), field(f, 7)};
    const Built b = buildAviInfoframe(r);
    checkRefusal(b);
    if (!b.ok)
        return;
    require(b.bytes.size() == kAviDataBytes, "AVI size");
    const AviInfoframe d = decodeAviInfoframe(b.bytes.data(), b.bytes.size());
    require(d.notes.empty(), "a built AVI infoframe has notes");
}

void cec(const std::vector<std::string> &f)
{
    unsigned from = 0, to = 0;
    std::string error;
    if (!readLogicalAddress(field(f, 0), "from", from, error) || !readLogicalAddress(field(f, 1), "to", to, error)) {
        require(!error.empty(), "address refused without a reason");
        return;
    }
    const std::vector<std::string> operands(f.size() > 3 ? f.begin() + 3 : f.end(), f.end());
    const Built b = buildCecMessage(from, to, field(f, 2), operands);
    checkRefusal(b);
    if (b.ok) {
        require(b.bytes.size() >= 2 && b.bytes[0] == (from << 4 | to), "CEC header");
        const CecMessage m = decodeCecMessage(b.bytes.data(), b.bytes.size());
        require(m.opcode == b.bytes[1], "CEC opcode");
        cecSendProblems(b.bytes);
    }
    const Built recipe = buildCecRecipe(field(f, 2), operands, from);
    require(recipe.ok == recipe.error.empty() && recipe.ok == !recipe.messages.empty(), "recipe result");
    for (const std::vector<uint8_t> &m : recipe.messages)
        require(m.size() >= 2 && m[0] >> 4 == from, "recipe message");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const std::vector<std::string> f = lines(data + 1, size - 1);
    switch (data[0] % 3) {
    case 0:
        hdr(f);
        break;
    case 1:
        avi(f);
        break;
    default:
        cec(f);
        break;
    }
    return 0;
}
