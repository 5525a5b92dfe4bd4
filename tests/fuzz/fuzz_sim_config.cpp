// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any VANTREL_SIM text through the configuration parser and
// the state file's reader, then a simulated box built from it answering the
// start-up reads, and its status records through the window's decoder. Texts
// that would name a file outside the working folder are skipped: the parser
// reads EDID files.
#include "box_model.h"
#include "box_state.h"
#include "edid_text.h"
#include "fault_plan.h"
#include "fuzz_check.h"
#include "sim_config.h"
#include "status_decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace vantrel;
using vantrel::fuzz::require;

namespace {

void checkConfig(const sim::SimConfig &c)
{
    for (const std::string &serial : c.serials)
        require(!serial.empty(), "an empty serial in the device list");
    for (const auto &[pos, value] : c.factory)
        require(pos >= 0 && pos < sim::kBlockSize, "a factory value outside the block");
    require(!c.storedHdr || (!c.storedHdr->empty() && c.storedHdr->size() <= 31), "stored HDR infoframe size");
    require(!c.storedAvi || (!c.storedAvi->empty() && c.storedAvi->size() <= 13), "stored AVI infoframe size");
    require(c.signal.hdrPayload.size() <= status::kMaxHdrPayload, "HDR payload larger than its record");
    require(c.signal.vendor.size() <= 8 && c.signal.product.size() <= 16, "source names too long");
    for (const sim::FaultRule &r : c.faults) {
        require(r.code >= -1 && r.code <= 0xFF, "fault sub-code");
        require(r.direction == -1 || r.direction == 0x10 || r.direction == 0x11, "fault direction");
    }
}

std::vector<uint8_t> ask(sim::BoxModel &box, uint8_t length, uint8_t code, uint8_t item)
{
    const uint8_t frame[] = {0x11, length, code, item};
    const std::vector<uint8_t> reply = box.handle(frame, sizeof frame, 0);
    require(reply.size() == std::clamp<size_t>(length, 2, 64), "reply of the wrong size");
    require(reply[0] == code, "reply does not echo the sub-code");
    return reply;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    if (text.find('=') == std::string::npos || text.find('/') != std::string::npos)
        return 0; // a configuration file path, or a path in a value
    sim::SimConfig c = sim::parseConfig(text);
    checkConfig(c);

    // The same text as a state file the box reads back at start.
    sim::BoxState state;
    sim::parseBoxState(text, state);
    require(state.cec.size() <= size_t(std::count(text.begin(), text.end(), '\n')) + 1,
            "more stored CEC messages than lines");

    // The faults it plans, applied to a run of requests.
    sim::FaultPlan plan;
    for (const sim::FaultRule &r : c.faults)
        plan.add(r);
    for (int i = 0; i < 8; ++i)
        plan.onRequest(i & 1 ? 0x11 : 0x10, uint8_t(0xB0 + i));

    // Nothing written outside the test: no state file, no wire log.
    c.statePath.clear();
    c.wireLogPath.clear();
    sim::BoxModel box(c, c.serials.empty() ? "" : c.serials.front(), "");
    for (int pos = 0; pos < sim::kBlockSize; ++pos)
        if (auto it = c.factory.find(pos); it != c.factory.end())
            require(box.block()[pos] == it->second, "a factory value not in the block");

    const std::vector<uint8_t> video = ask(box, 15, 0xE0, 6), source = ask(box, 31, 0xE0, 21),
                               hdr = ask(box, 31, 0xE0, 30);
    ask(box, 16, 0xE0, 31);
    ask(box, 64, 0xE0, 7);
    ask(box, 33, 0xE0, 35);
    ask(box, 15, 0xE0, 36);
    const status::StatusTexts t = status::decodeStatus({video.data(), video.size()},
                                                       {source.data(), source.size()}, {hdr.data(), hdr.size()});
    require(!t.input.empty() && !t.source.empty(), "status texts missing");
    if (!c.signal.connected)
        require(t.source == "Source Info: No Info", "a box without a source names one");

    const sim::EdidTable table = box.presentedTable();
    edid::EdidImage image;
    std::copy(table.begin(), table.end(), image.begin());
    if (!(box.block()[2] == 3 && !(box.block()[19] >= 2 && box.block()[19] <= 25)))
        require(edid::checkChecksums(image).ok(), "the box presents a table with a wrong checksum");
    return 0;
}
