#!/usr/bin/env bash
# Installs the package built by "make deb", starts the installed engine from an empty
# folder elsewhere, checks that it answers "protover 2" with its feature list and plays
# a move, and removes the package again (unless KEEP=1). Needs root.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
deb=$(ls "$here"/../build-deb/grelvin_*.deb | head -1)
dpkg -i "$deb" >/dev/null
elsewhere=$(mktemp -d)
cd "$elsewhere"
answer=$( (printf 'xboard\nprotover 2\nnew\nsd 3\ngo\n'; sleep 3; printf 'quit\n') | timeout 30 /usr/games/grelvin)
cd / && rm -rf "$elsewhere"
status=0
for want in 'feature myname="GrelvinBB' 'feature done=1' '^move '; do
    grep -q "$want" <<<"$answer" || { echo "missing from the answer: $want"; status=1; }
done
[ -f /usr/share/games/plugins/xboard/grelvin.eng ] || { echo "no XBoard engine-list entry"; status=1; }
man -w grelvin >/dev/null 2>&1 || { echo "no manual page"; status=1; }
[ "${KEEP:-0}" = 1 ] || dpkg -r grelvin >/dev/null
[ $status -eq 0 ] && echo "package $(basename "$deb"): installs, answers protover 2 and plays from another folder"
exit $status
