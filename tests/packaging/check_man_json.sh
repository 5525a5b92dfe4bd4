#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The JSON examples of a manual page, as groff renders them for man, are valid JSON: the
# lines from one that is only "{" to the next that is only "}". A page given
# must hold at least one.
#   check_man_json.sh PAGE...
set -u
status=0
for page in "$@"; do
    rendered="$(groff -man -Tutf8 -rLL=100n -P-c -P-b -P-o -P-u "$page" 2>/dev/null | expand)" || {
        echo "FAIL: man cannot render $page"; exit 1; }
    found=0
    # Each example on one line of its own, then each line checked.
    examples="$(printf '%s\n' "$rendered" | awk '
        /^ *\{ *$/ { inside = 1; text = "" }
        inside { text = text $0 }
        inside && /^ *\} *$/ { print text; inside = 0 }')"
    while IFS= read -r example; do
        [ -n "$example" ] || continue
        found=$((found + 1))
        if ! printf '%s\n' "$example" | python3 -m json.tool >/dev/null 2>&1; then
            echo "FAIL: $page: not JSON as rendered: $example"
            status=1
        fi
    done <<EXAMPLES
$examples
EXAMPLES
    [ $found -gt 0 ] || { echo "FAIL: $page: no JSON example found"; status=1; }
    echo "$page: $found JSON example(s) checked"
done
exit $status
