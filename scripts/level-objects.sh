#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Makes one level's copy of the engine ready to sit beside the other copies in one
# program (platform/launcher/main.cpp): every symbol its objects define gets the suffix
# ".SUFFIX", so that no copy resolves a call, an inline function's single instance or a
# template instantiation to another copy, compiled for instructions the processor may
# lack.
#   scripts/level-objects.sh NM OBJCOPY OBJDUMP AR SUFFIX OUTDIR OBJECT...
# writes OUTDIR/xboard_main.o, OUTDIR/uci_main.o (the objects named */xboard/main.cpp.o
# and */uci/main.cpp.o; their main becomes main.SUFFIX) and, if other objects are
# given, OUTDIR/engine.a with those. A copy
# must run nothing before main, since the copies not chosen are never to run: an object
# with static constructors fails.
set -eu
nm=$1 objcopy=$2 objdump=$3 ar=$4 suffix=$5 out=$6
shift 6
rm -rf "$out"
mkdir -p "$out/objects"
for object in "$@"; do
    if "$objdump" -h "$object" | awk '{ print $2 }' | grep -Eq '^\.(init_array|preinit_array|ctors)'; then
        echo "$object: runs code before main (a static constructor); the level copies must not" >&2
        exit 1
    fi
done
# The defined global symbols, and the local ones that name a group of sections kept
# once per program (ELF: a class's constructors or destructors, which nm shows as "n";
# PE: the sections named below, whose symbols bear their names).
for object in "$@"; do
    "$nm" --defined-only --extern-only -P "$object" 2>/dev/null | awk '{ print $1 }'
    "$nm" --defined-only -P "$object" 2>/dev/null | awk '$2 == "n" { print $1 }'
    "$objdump" -h "$object" | awk '$2 ~ /^\.(text|data|rdata|bss|pdata|xdata)\$/ { print $2 }'
done | sort -u | awk -v suffix="$suffix" '{ print $1, $1 "." suffix }' > "$out/symbols"
# A PE linker keeps one section of each name among .text$NAME and the like (inline
# functions, template instances and their unwind data), whatever the symbols in it:
# those get the suffix too.
set -f
n=0
for object in "$@"; do
    case $object in
        */xboard/main.cpp.o | */xboard/main.cpp.obj) renamed=$out/xboard_main.o ;;
        */uci/main.cpp.o | */uci/main.cpp.obj) renamed=$out/uci_main.o ;;
        *) n=$((n + 1)); renamed=$out/objects/$n.o ;;
    esac
    sections=$("$objdump" -h "$object" |
        awk -v suffix="$suffix" '$2 ~ /^\.(text|data|rdata|bss|pdata|xdata)\$/ { print "--rename-section", $2 "=" $2 "." suffix }')
    # shellcheck disable=SC2086 # one option or name per word
    "$objcopy" --redefine-syms="$out/symbols" $sections "$object" "$renamed"
done
set +f
if [ "$n" -gt 0 ]; then
    "$ar" rcs "$out/engine.a" "$out"/objects/*.o
fi
