# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for vantrelctl. The tool itself answers what may come next
# (vantrelctl __complete CURRENT WORDS...), so commands, options, setting
# names and their values follow the installed version.
_vantrelctl()
{
    local raw=${COMP_WORDS[COMP_CWORD]}
    local cur answer candidate
    # The word as typed may be quoted ("PORT B) or escaped (PORT\ B): its
    # text is what the candidates are matched against.
    cur=${raw#[\"\']}
    cur=${cur%[\"\']}
    [[ $raw == \'* ]] || cur=$(printf '%s' "$cur" | sed 's/\\\(.\)/\1/g')
    answer=$("${COMP_WORDS[0]}" __complete "$cur" "${COMP_WORDS[@]:1:COMP_CWORD-1}" 2>/dev/null) || return 0
    COMPREPLY=()
    while IFS= read -r candidate; do
        [[ -n $candidate && $candidate == "$cur"* ]] || continue
        # Values such as "PORT B [BOT]" go in as one word, escaped, replacing
        # whatever quoting the typed part had.
        if [[ $candidate == *[[:space:]\[\]]* ]]; then
            COMPREPLY+=("$(printf '%q' "$candidate")")
        else
            COMPREPLY+=("$candidate")
        fi
    done <<<"$answer"
    return 0
}
# Nothing offered (a FILE argument): file names.
complete -o bashdefault -o default -F _vantrelctl vantrelctl
