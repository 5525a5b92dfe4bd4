// SPDX-License-Identifier: GPL-3.0-or-later
// The lists of video codes an extension holds, kept consistent with what
// refers to them: the 4:2:0 capability map and the HDMI 3D entries count the
// short video descriptors of the video data blocks by position.
#pragma once

#include "table_model.h"

#include <functional>

namespace vantrel::edid::edit {

// Sets the header's length to the block's payload.
void fixLength(Bytes &block);

// The VIC a short video descriptor byte stands for (0 for a reserved byte).
unsigned svdVic(uint8_t svd);

// Where the optional parts of an HDMI vendor block sit (byte indexes with
// the header at 0); 0 where a part is absent.
struct HdmiLayout {
    size_t tmdsByte = 0;
    size_t latencyFlags = 0;
    size_t videoByte = 0; // 3D_present, 3D_Multi_present, image size
    size_t vicStart = 0;
    unsigned vicCount = 0;
    size_t threeDStart = 0;
    unsigned threeDLength = 0;
};
HdmiLayout hdmiLayout(const Bytes &vsdb);

// Rewrites the descriptors of all video data blocks of cta: order gets the
// flat list of descriptor bytes and returns the old positions to keep, in
// their new order. Each block keeps as many as it held of the kept ones
// (empty blocks go); the capability map and the HDMI 3D mask and entries
// follow. Returns notes on what else had to go.
std::vector<std::string> rewriteSvds(CtaModel &cta, const std::function<std::vector<size_t>(const Bytes &svds)> &order);

// The HDMI VICs (1 to 4) and the CTA-861 VICs they stand for.
unsigned hdmiVicToVic(unsigned hdmiVic);

// Removes every 3D part of an HDMI vendor block (the HDMI VICs stay).
void removeHdmi3d(Bytes &vsdb);
// Removes the HDMI VICs for which drop() holds.
void dropHdmiVics(Bytes &vsdb, const std::function<bool(unsigned hdmiVic)> &drop);

} // namespace vantrel::edid::edit
