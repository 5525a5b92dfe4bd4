// SPDX-License-Identifier: GPL-3.0-or-later
// infoframe decode and cec decode: what the bytes of a box's text say; and
// the decoded forms that status and cec send add to their output.
#include "cli_error.h"
#include "commands.h"

#include "avi_infoframe.h"
#include "cec_message.h"
#include "hdr_infoframe.h"
#include "status_decoder.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::cli {

namespace {

Json jsonObject(const std::string &json)
{
    return report::readJson(json).doc;
}

std::vector<uint8_t> packetBytes(const std::string &text)
{
    const packets::PacketBytes p = packets::parsePacketText(text);
    if (!p.ok)
        usageError("\"" + text + "\" is " + p.error);
    // The box would ignore it too; say so rather than decode in silence.
    if (!p.ignored.empty())
        std::fprintf(stderr, "vantrelctl: ignored after the last pair: \"%s\"\n", p.ignored.c_str());
    return p.bytes;
}

// The report as the command's output: the text, or the JSON document whole.
int report(Invocation &inv, const std::string &text, const std::string &json, bool conforms)
{
    if (inv.out.json())
        inv.out.doc() = jsonObject(json);
    else
        inv.out.raw(text);
    return conforms ? kExitOk : kExitFailed;
}

int runInfoframeDecode(Invocation &inv)
{
    const std::string kind = inv.args[0];
    if (kind != "hdr" && kind != "avi")
        usageError("infoframe decode takes hdr or avi, not \"" + kind + "\"");
    const bool captured = inv.isSet("captured");
    if (captured && kind != "hdr")
        usageError("--captured goes with hdr");
    const std::vector<uint8_t> b = packetBytes(inv.args[1]);
    if (kind == "avi") {
        const packets::AviInfoframe f = packets::decodeAviInfoframe(b.data(), b.size());
        return report(inv, packets::aviInfoframeText(f), packets::aviInfoframeJson(f), f.conforms());
    }
    const packets::HdrInfoframe f = captured ? packets::decodeHdrPayload(b.data(), b.size(), unsigned(b.size()))
                                             : packets::decodeHdrInfoframe(b.data(), b.size());
    return report(inv, packets::hdrInfoframeText(f), packets::hdrInfoframeJson(f), f.conforms());
}

int runCecDecode(Invocation &inv)
{
    const std::vector<uint8_t> b = packetBytes(inv.args[0]);
    const packets::CecMessage m = packets::decodeCecMessage(b.data(), b.size());
    return report(inv, packets::cecMessageText(m), packets::cecMessageJson(m), m.conforms());
}

} // namespace

void addCapturedInfoframe(Output &out, const uint8_t *hdrRecord, size_t length)
{
    std::string shown;
    if (!status::capturedInfoframe({hdrRecord, length}, shown)) {
        out.line("HDR metadata  : none");
        out.set("infoframeDecoded", nullptr);
        return;
    }
    // Type, declared length, then the payload as far as the record holds it.
    const unsigned declared = hdrRecord[3];
    const size_t held = std::min<size_t>({declared, status::kMaxHdrPayload, length - 4});
    const packets::HdrInfoframe f = packets::decodeHdrPayload(hdrRecord + 4, held, declared);
    out.line("HDR metadata  : " + packets::hdrInfoframeSummary(f));
    out.set("infoframeDecoded", jsonObject(packets::hdrInfoframeJson(f)));
}

void describeCecSent(Invocation &inv, const std::string &text)
{
    const packets::PacketBytes p = packets::parsePacketText(text);
    if (!p.ok)
        return;
    const packets::CecMessage m = packets::decodeCecMessage(p.bytes.data(), p.bytes.size());
    if (inv.link.verbose)
        inv.out.line("  " + packets::cecSummary(m));
    inv.out.set("decoded", jsonObject(packets::cecMessageJson(m)));
}

std::vector<Command> packetCommands()
{
    return {
        {"infoframe decode",
         "hdr|avi TEXT [--captured]",
         "What an HDR or AVI infoframe says, from the colon hex of its box (no box needed).",
         "hdr: the whole frame as the HDR IF box holds it (\"87:01:1a:...\", header and checksum\n"
         "included); with --captured the payload alone, as status shows the captured infoframe.\n"
         "avi: the data bytes as the AVI box holds them (\"60:c8:60:61:00\", no header).\n"
         "Exit status 1 when the infoframe does not conform.",
         2,
         2,
         {{"captured", 0, nullptr, "hdr: TEXT is the payload alone, as status shows the captured infoframe"}},
         runInfoframeDecode},
        {"cec decode",
         "TEXT",
         "Who sends a CEC message to whom, its opcode and operands by name (no box needed).",
         "TEXT as the CEC box holds it: \"50:04\" is Audio System to TV, Image View On.\n"
         "Exit status 1 when the message does not conform.",
         1,
         1,
         {},
         runCecDecode},
    };
}

} // namespace vantrel::cli
