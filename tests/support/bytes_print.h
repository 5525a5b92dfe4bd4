// SPDX-License-Identifier: GPL-3.0-or-later
// Lets QCOMPARE print byte vectors as hex pairs, and std::strings and lists
// of them as text, when they differ.
#pragma once

#include "fake_usb.h"

#include <QtTest/QTest>

#include <string>
#include <vector>

namespace QTest {
template <> inline char *toString<vantrel::Bytes>(const vantrel::Bytes &bytes)
{
    return qstrdup(("[" + vantrel::test::hex(bytes) + "]").c_str());
}
template <> inline char *toString<std::string>(const std::string &text)
{
    return qstrdup(("\"" + text + "\"").c_str());
}
template <> inline char *toString<std::vector<std::string>>(const std::vector<std::string> &texts)
{
    std::string out = "{";
    for (size_t i = 0; i < texts.size(); ++i)
        out += (i ? ", \"" : "\"") + texts[i] + "\"";
    return qstrdup((out + "}").c_str());
}
} // namespace QTest
