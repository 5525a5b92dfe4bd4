# SPDX-License-Identifier: GPL-3.0-or-later
# Renders every template of a device discovery message against states, as
# Home Assistant's sandboxed Jinja would: each must render a value (one of an
# enum's or select's options, ON/OFF, a JSON object for attributes) or None,
# never fail. A state given as rules=FILE is the rules topic's, for the rule
# switches. Usage: render_templates.py CONFIG STATE... [rules=FILE...]
import json
import sys

from jinja2 import StrictUndefined
from jinja2.sandbox import ImmutableSandboxedEnvironment

env = ImmutableSandboxedEnvironment(undefined=StrictUndefined)
config = json.load(open(sys.argv[1]))
states, rules = [], []
for arg in sys.argv[2:]:
    if arg.startswith("rules="):
        rules.append(json.load(open(arg[6:])))
    else:
        states.append(json.load(open(arg)))
faults = []
for key, c in config["cmps"].items():
    for name in ("value_template", "json_attributes_template"):
        if name not in c:
            continue
        switch = c.get("state_topic", "").endswith("/rules")
        for i, state in enumerate(rules if switch else states):
            try:
                out = env.from_string(c[name]).render(value_json=state).strip()
            except Exception as e:
                faults.append(f"{key}.{name} on state {i}: {type(e).__name__}: {e}")
                continue
            if switch:  # every rule is in the rules state: None is a name lost in the template
                ok = out in (c["state_on"], c["state_off"])
            elif name == "json_attributes_template":
                ok = isinstance(json.loads(out), dict)
            elif out == "None":
                ok = True
            elif "options" in c:
                ok = out in c["options"]
            elif c["p"] == "binary_sensor":
                ok = out in ("ON", "OFF")
            else:
                ok = out != ""
            if not ok:
                faults.append(f"{key}.{name} on state {i}: {out!r}")
if any(c["p"] == "switch" for c in config["cmps"].values()) and not rules:
    faults.append("switches but no rules state given")
print("\n".join(faults) if faults else "ok")
sys.exit(1 if faults else 0)
