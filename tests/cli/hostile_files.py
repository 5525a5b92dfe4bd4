# SPDX-License-Identifier: GPL-3.0-or-later
# Every command that reads a file, given what an attacker or an accident
# hands it: empty, huge, endless, deeply nested, binary, a FIFO nobody
# writes, a folder, a file that is not there. Each must end on its own, say
# why in a bounded message and never crash or trip a sanitizer.
# Usage: hostile_files.py VANTRELCTL
import os
import subprocess
import sys
import tempfile

tool = sys.argv[1]
work = tempfile.mkdtemp(prefix="vantrel-hostile.")
env = dict(os.environ, VANTREL_USB_LIBRARY="simulator", VANTREL_DATA_DIR=os.path.join(work, "data"),
           VANTREL_SIM="state=%s;busy_fetch_ms=5;busy_store_ms=10;busy_edid_ms=40" % os.path.join(work, "state"))


def made(name, content=None, size=None):
    path = os.path.join(work, name)
    with open(path, "wb") as f:
        if content is not None:
            f.write(content)
        if size is not None:
            f.truncate(size)
    return path


fifo = os.path.join(work, "fifo")
os.mkfifo(fifo)
inputs = {
    "empty": made("empty"),
    "binary": made("binary", bytes(range(256)) * 64),
    "huge sparse": made("huge", size=1 << 30),
    "text megabyte": made("mega", b"x" * (1 << 20)),
    "nested arrays": made("nested", b"[" * 200000),
    "nested objects": made("objects", b'{"a":' * 100000),
    "json of wrong types": made("types", b'{"format": 7, "version": "1", "rules": {"a": [null]}, "settings": [1e999]}'),
    "long line": made("line", b'{"time": "' + b"9" * 300000 + b'"}\n'),
    "endless": "/dev/zero",
    "fifo": fifo,
    "folder": work,
    "missing": os.path.join(work, "nothing-here"),
}
out = os.path.join(work, "out")
commands = [
    ["edid", "check", "{}"],
    ["edid", "decode", "{}"],
    ["edid", "edit", "{}", "-o", out, "--hdr", "off"],
    ["edid", "diff", "{}", "{}"],
    ["edid", "export", "{}", "--hex"],
    ["edid", "save-as", "hostile", "{}"],
    ["edid", "write", "{}"],
    ["profile", "show", "{}"],
    ["profile", "diff", "{}"],
    ["profile", "apply", "{}", "--dry-run"],
    ["chain", "plan", "--box", "{}", "--top", "{}"],
    ["chain", "plan", "--settings", "{}"],
    ["log", "{}"],
    ["rules", "check", "{}"],
    ["rules", "test", "{}", "{}"],
]
faults = []
runs = 0
for command in commands:
    for what, path in inputs.items():
        args = [tool] + [path if a == "{}" else a for a in command]
        runs += 1
        try:
            r = subprocess.run(args, env=env, capture_output=True, timeout=20, stdin=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            faults.append("%s on %s: still running after 20 s" % (" ".join(command), what))
            continue
        said = r.stdout + r.stderr
        place = "%s on %s" % (" ".join(command), what)
        if r.returncode < 0 or r.returncode >= 124:
            faults.append("%s: ended with %d" % (place, r.returncode))
        elif b"Sanitizer" in r.stderr or b"runtime error:" in r.stderr:
            faults.append("%s: %s" % (place, r.stderr.decode(errors="replace")[:2000]))
        elif len(said) > 64 * 1024:
            faults.append("%s: said %d bytes" % (place, len(said)))
        elif r.returncode != 0 and not said.strip():
            faults.append("%s: failed with status %d and said nothing" % (place, r.returncode))
print("\n".join(faults) if faults else "ok: %d runs" % runs)
sys.exit(1 if faults else 0)
