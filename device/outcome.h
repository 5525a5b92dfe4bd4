// SPDX-License-Identifier: GPL-3.0-or-later
// What an operation on the box came to, and where it is told. The window shows
// the message and goes on; vantrelctl turns the verdict into its exit status.
#pragma once

#include <functional>
#include <string>

namespace vantrel {

enum class Verdict {
    Done,    // every step was acknowledged
    Refused, // the typed text was not accepted; nothing was sent
    Failed,  // an exchange failed or the box did not acknowledge it
};

struct Outcome {
    Verdict verdict = Verdict::Done;
    std::string message; // the status-bar text that told it (empty when none did)
    int ms = 0;          // how long the window shows it
    // The message is a mark for the status bar ("..."), no words: a terminal
    // has its own for it.
    bool wordless = false;

    bool done() const { return verdict == Verdict::Done; }
    // Whether a reporter was told it. An outcome told to nobody (ms 0) carries
    // the reason in the core's own words for the caller to say.
    bool told() const { return ms > 0; }
    // The reason in words other than the status bar's: the core's own when
    // it told nobody, else otherwise.
    std::string reasonOr(const std::string &otherwise) const
    {
        return told() || message.empty() ? otherwise : message;
    }
    // Folds a later step in: the first refusal or failure stands.
    void fold(const Outcome &next)
    {
        if (done() && !next.done())
            *this = next;
    }
};

// Where an operation's messages go: the window's status bar, the tool's
// standard error. Each message comes with what it tells (done, refused,
// failed), so no reporter has to judge a text.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void report(const Outcome &message) = 0;
};

// A reporter that hands each message to a function (tests, small tools).
class ReportTo : public Reporter {
public:
    explicit ReportTo(std::function<void(const Outcome &)> to) : to_(std::move(to)) {}
    void report(const Outcome &message) override
    {
        if (to_)
            to_(message);
    }

private:
    std::function<void(const Outcome &)> to_;
};

} // namespace vantrel
