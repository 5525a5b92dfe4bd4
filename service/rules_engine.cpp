// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules_engine.h"

#include <algorithm>
#include <cmath>

namespace vantrel::service {

namespace {

std::string shownFact(const Json &v)
{
    if (v.is_null())
        return "none";
    const Json &named = v.is_object() && v.contains("name") ? v["name"] : v;
    return report::oneLine(named);
}

} // namespace

bool RulesEngine::holdsOn(const Rule &rule, const Json &facts, const Pins &pinned, std::string *why)
{
    bool holds = true;
    for (const RuleTest &t : rule.when) {
        const auto pin = pinned.find(t.field);
        const Json fact = pin != pinned.end() ? pin->second.first : factAt(facts, t.field);
        const bool ok = testHolds(t, fact);
        holds = holds && ok;
        if (why)
            *why += (why->empty() ? "" : ", ") + t.field + " " + shownFact(fact) + (ok ? " " : " not ") + opName(t.op) +
                    " " + shownFact(t.value);
    }
    return holds;
}

Json factAt(const Json &facts, const std::string &path)
{
    if (!facts.is_object())
        return Json();
    if (const auto it = facts.find(path); it != facts.end())
        return *it;
    // The longest leading part that is a field, then into its objects.
    for (size_t dot = path.rfind('.'); dot != std::string::npos && dot > 0; dot = path.rfind('.', dot - 1)) {
        const auto it = facts.find(path.substr(0, dot));
        if (it == facts.end())
            continue;
        const Json *at = &*it;
        size_t start = dot + 1;
        while (true) {
            const size_t next = path.find('.', start);
            const std::string key = path.substr(start, next == std::string::npos ? std::string::npos : next - start);
            if (!at->is_object() || !at->contains(key))
                return Json();
            at = &(*at)[key];
            if (next == std::string::npos)
                return *at;
            start = next + 1;
        }
    }
    return Json();
}

RulesEngine::RulesEngine(std::vector<Rule> rules, Millis pollMs)
    : rules_(std::move(rules)), states_(rules_.size()), pollMs_(pollMs)
{}

Millis RulesEngine::waitOf(const Rule &r) const
{
    return r.afterSeconds ? Millis(std::llround(*r.afterSeconds * 1000)) : pollMs_;
}

bool RulesEngine::enable(const std::string &rule, bool on)
{
    for (size_t i = 0; i < rules_.size(); ++i) {
        if (rules_[i].name != rule)
            continue;
        if (states_[i].off == !on)
            return true;
        states_[i] = State{};
        states_[i].off = !on;
        states_[i].fresh = on;
        return true;
    }
    return false;
}

bool RulesEngine::waiting() const
{
    return std::any_of(states_.begin(), states_.end(), [](const State &s) { return s.since >= 0 || s.fresh; });
}

Millis RulesEngine::longestWait() const
{
    Millis longest = pollMs_;
    for (const Rule &r : rules_)
        longest = std::max(longest, waitOf(r));
    return longest;
}

std::vector<Firing> RulesEngine::step(Millis now, const Json &facts)
{
    std::vector<Firing> firings;
    for (size_t i = 0; i < rules_.size(); ++i) {
        const Rule &rule = rules_[i];
        State &s = states_[i];
        s.fresh = false;
        if (s.off)
            continue;
        // Its own effect is pinned until the signal changes again: any other
        // fact it tests changing, or a pinned one taking yet another value;
        // then the rule stands where those facts stood just before.
        bool changed = false, rebase = false;
        for (const RuleTest &t : rule.when) {
            const Json actual = factAt(facts, t.field);
            const auto pin = s.pinned.find(t.field);
            if (s.settling) {
                const Json before = factAt(s.firedFacts, t.field);
                if (actual != before)
                    s.pinned[t.field] = {before, actual};
            } else if (pin != s.pinned.end()) {
                rebase = rebase || pin->second.second != actual;
            } else {
                changed = changed || actual != factAt(last_, t.field);
            }
        }
        if (changed || rebase) {
            s.pinned.clear();
            if (rebase)
                s.active = holdsOn(rule, last_, s.pinned, nullptr);
        }
        s.settling = false;
        std::string why;
        const bool holds = holdsOn(rule, facts, s.pinned, &why);
        if (holds == s.active) {
            s.since = -1;
            continue;
        }
        if (s.since < 0) {
            s.since = now; // wait for a later poll
            continue;
        }
        if (now - s.since < waitOf(rule))
            continue;
        s.active = holds;
        s.since = -1;
        const std::vector<std::string> &actions = holds ? rule.doActions : rule.undoActions;
        if (actions.empty())
            continue;
        s.settling = true;
        s.firedFacts = facts;
        s.pinned.clear();
        firings.push_back({now, rule.name, !holds, actions, why});
    }
    last_ = facts;
    return firings;
}

Json firingJson(const Firing &f, const Json &actions)
{
    Json list = actions;
    if (list.is_null()) {
        list = Json::array();
        for (const std::string &a : f.actions)
            list.push_back(a);
    }
    return Json{{"time", utcText(f.time)},
                {"rule", f.rule},
                {"phase", f.undo ? "undo" : "do"},
                {"actions", list},
                {"why", f.why}};
}

} // namespace vantrel::service
