#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Holds scripts/packages.list against what this machine's build really used.

Usage: check_packages_listed.py BUILD_DIR SOURCE_DIR [LIST]

Every header, library, CMake package and program that the configured build
found (its CMakeCache.txt), and every program and Python module the suites,
scripts/run and the packaging check call, must come from a Debian package
that the list installs, or from one those packages pull in. A package that was
installed by hand and is missing from the list is named, with what it owns.
"""
import os
import re
import shutil
import subprocess
import sys

# What the suites, the scripts and the packaging check run, by section of the
# list: a program of the build section must be installed; fuzz and windows
# programs are checked only where their section's build has installed them.
PROGRAMS = {
    "build": [
        "cmake", "ctest", "cpack", "ninja", "pkg-config", "c++", "ccache",
        "edid-decode", "cec-ctl",                      # peer checks
        "mosquitto", "mosquitto_sub", "mosquitto_pub",  # serve against a broker
        "umockdev-run",                                # the libusb path, emulated
        "xvfb-run", "Xvfb", "xauth", "xdotool", "import", "convert",  # the window under X
        "python3",                                     # form and template checks
        "lintian", "dpkg-deb", "dpkg-shlibdeps", "desktop-file-validate", "file",
        "groff", "nroff",                              # the manual pages
    ],
    "fuzz": ["clang-14", "clang++-14"],
    "windows": ["x86_64-w64-mingw32-g++-posix", "i686-w64-mingw32-g++-posix",
                "wine", "/usr/lib/wine/wine64", "wineserver"],
}
PYTHON_MODULES = ["jinja2"]
# Programs are looked up where Debian puts them: a copy earlier on PATH (a
# Python of its own, a stand-in) says nothing of what a new machine has.
SYSTEM_PATH = "/usr/sbin:/usr/bin:/sbin:/bin"
# Found by Qt's OpenGL search, linked by nothing here.
UNUSED_KEYS = {"OPENGL_glu_LIBRARY"}
# Fonts the forms name, found through fontconfig when it is there.
FONTS = ["Liberation Mono", "Liberation Serif"]

# Cache entries that name what the build found: paths of headers, libraries,
# CMake package folders and programs.
CACHE_KEY = re.compile(
    r"(_INCLUDE|_INCLUDE_DIR|_INCLUDE_DIRS|_LIBRARY|_HEADER|_EXECUTABLE|_COMMAND"
    r"|_COMPILER|_DIR|^pkgcfg_lib_.*|^CMAKE_(AR|LINKER|NM|OBJCOPY|OBJDUMP|RANLIB"
    r"|READELF|STRIP|MAKE_PROGRAM|ADDR2LINE))$")


def read_list(path):
    sections, current = {}, None
    with open(path) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1], set())
            elif current is not None:
                current.add(line.split()[0].split(":")[0])
    return sections


def installed_packages():
    """Package -> (its dependencies as lists of alternatives), and virtual -> providers."""
    out = subprocess.run(
        ["dpkg-query", "-W", "-f=${db:Status-Abbrev}\t${Package}\t${Depends}, ${Pre-Depends}\t${Provides}\n"],
        capture_output=True, text=True, check=True).stdout
    deps, provides = {}, {}
    for row in out.splitlines():
        status, name, depends, prov = (row.split("\t") + ["", "", "", ""])[:4]
        # Installed, perhaps with triggers still pending: anything but
        # not-installed or config-files only.
        if status[1:2] in ("", "n", "c"):
            continue
        alts = []
        for group in depends.split(","):
            names = [a.strip().split(" ")[0].split(":")[0] for a in group.split("|") if a.strip()]
            if names:
                alts.append(names)
        deps[name] = alts
        for p in prov.split(","):
            p = p.strip().split(" ")[0]
            if p:
                provides.setdefault(p, set()).add(name)
    return deps, provides


def closure(roots, deps, provides):
    """The listed packages and everything they pull in, as installed here."""
    seen, todo = set(), list(roots)
    while todo:
        name = todo.pop()
        for real in ([name] if name in deps else []) + sorted(provides.get(name, ())):
            if real in seen:
                continue
            seen.add(real)
            for group in deps.get(real, []):
                todo.extend(group)
    return seen


def owners_of(paths):
    """Path -> the packages that own it or its link target, in one dpkg query."""
    names = {p: {p, os.path.realpath(p)} for p in paths}
    asked = sorted(set().union(*names.values())) if names else []
    r = subprocess.run(["dpkg-query", "-S"] + asked, capture_output=True, text=True)
    owned = {}
    for line in r.stdout.splitlines():
        pkgs, _, path = line.rpartition(": ")
        if pkgs.startswith("diversion"):
            continue
        owned.setdefault(path.strip(), set()).update(p.strip().split(":")[0] for p in pkgs.split(","))
    return {p: set().union(*(owned.get(c, set()) for c in cands)) for p, cands in names.items()}


def cache_paths(build_dir, skip_roots):
    found = []
    with open(os.path.join(build_dir, "CMakeCache.txt")) as f:
        for line in f:
            m = re.match(r"^([A-Za-z0-9_.+-]+):[A-Z]+=(.*)$", line.strip())
            if not m or not CACHE_KEY.search(m.group(1)) or m.group(1) in UNUSED_KEYS:
                continue
            for value in m.group(2).split(";"):
                if not value.startswith("/") or not os.path.exists(value):
                    continue
                if any(os.path.realpath(value).startswith(r) for r in skip_roots):
                    continue
                found.append((m.group(1), value))
    return found


def main():
    build_dir, source_dir = sys.argv[1], sys.argv[2]
    list_path = sys.argv[3] if len(sys.argv) > 3 else os.path.join(source_dir, "scripts/packages.list")
    sections = read_list(list_path)
    listed = set().union(*sections.values()) if sections else set()
    deps, provides = installed_packages()
    pulled_in = closure(listed, deps, provides)
    skip_roots = [os.path.realpath(build_dir), os.path.realpath(source_dir)]

    # (what, path, section it must be listed for or None)
    used = [(key, path, "build") for key, path in cache_paths(build_dir, skip_roots)]
    problems = []
    for section, programs in PROGRAMS.items():
        for program in programs:
            path = shutil.which(program, path=SYSTEM_PATH)
            if path:
                used.append((f"program {program}", path, section))
            elif section == "build":
                problems.append(f"program {program} is not installed: scripts/packages.list "
                                "lacks the package that brings it")
    for module in PYTHON_MODULES:
        r = subprocess.run(["/usr/bin/python3", "-c", f"import {module}; print({module}.__file__)"],
                           capture_output=True, text=True)
        if r.returncode == 0:
            used.append((f"python3 module {module}", r.stdout.strip(), "build"))
        else:
            problems.append(f"python3 module {module} is not installed for /usr/bin/python3")
    if shutil.which("fc-match"):
        for font in FONTS:
            r = subprocess.run(["fc-match", "-f", "%{family}\t%{file}", font], capture_output=True, text=True)
            family, _, path = r.stdout.partition("\t")
            if font not in family:
                problems.append(f"font {font} is not installed (fontconfig offers {family or 'nothing'})")
            elif path:
                used.append((f"font {font}", path, "build"))

    checked = 0
    owned = owners_of([path for _, path, _ in used])
    for what, path, section in used:
        own = owned[path]
        checked += 1
        if not own:
            # A generic folder (/usr/include) belongs to many packages; a file
            # or folder no package owns was put there by hand.
            problems.append(f"{path} ({what}) comes from no Debian package: install it from one "
                            "and list that package")
            continue
        if own & pulled_in:
            continue
        problems.append(f"package {', '.join(sorted(own))} is not in scripts/packages.list "
                        f"(nor pulled in by a listed package), yet the build uses {path} ({what})")

    for p in sorted(set(problems)):
        print(f"packages: FAIL: {p}")
    print(f"packages: {checked} paths checked against {len(listed)} listed packages "
          f"({len(pulled_in)} with what they pull in)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
