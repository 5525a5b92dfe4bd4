// SPDX-License-Identifier: GPL-3.0-or-later
#include "json_support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vantrel::report {

Json number(double value)
{
    if (!std::isfinite(value))
        return Json();
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    // A whole value prints as "60", not "60.0".
    if (!std::strpbrk(text, ".e"))
        return Json(std::strtoll(text, nullptr, 10));
    return Json(std::strtod(text, nullptr));
}

Json latin1(std::string_view text)
{
    std::string utf8;
    utf8.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            utf8 += ch;
        } else {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return Json(std::move(utf8));
}

std::string compactText(const Json &doc)
{
    return doc.dump(-1, ' ', true, Json::error_handler_t::replace) + "\n";
}

std::string oneLine(const Json &doc)
{
    return doc.dump(-1, ' ', false, Json::error_handler_t::replace);
}

namespace {

// How deep the arrays and objects of a text go, counted without a tree, and
// where the first one too deep opens.
size_t tooDeepAt(std::string_view text)
{
    int depth = 0;
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth)
                return i;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return std::string_view::npos;
}

} // namespace

JsonRead readJson(std::string_view text)
{
    JsonRead r;
    if (const size_t at = tooDeepAt(text); at != std::string_view::npos) {
        r.error = "the JSON nests deeper than " + std::to_string(kMaxJsonDepth) + " levels at byte " +
                  std::to_string(at + 1);
        return r;
    }
    try {
        r.doc = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error &e) {
        r.error = "the JSON is malformed at byte " + std::to_string(e.byte);
    } catch (const Json::exception &) {
        r.error = "the JSON holds a number out of range";
    }
    return r;
}

Json findingJson(const Finding &f)
{
    Json j{{"severity", f.error() ? "error" : "warning"}};
    if (!f.context.empty()) {
        j["block"] = f.block;
        j["offset"] = f.offset;
        j["context"] = latin1(f.context);
    }
    j["message"] = latin1(f.message);
    return j;
}

Json findingsJson(const std::vector<Finding> &list)
{
    Json a = Json::array();
    for (const Finding &f : list)
        a.push_back(findingJson(f));
    return a;
}

} // namespace vantrel::report
