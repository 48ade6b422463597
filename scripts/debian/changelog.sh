#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Writes the Debian changelog of the package from CHANGELOG.md: one entry for each
# "## VERSION — YYYY-MM-DD" section, its bullets as the entry's items.
#   scripts/debian/changelog.sh CHANGELOG.md MAINTAINER > changelog
set -eu
changes=$1
maintainer=$2
awk -v maintainer="$maintainer" '
    function flush() {
        if (item == "") return
        gsub(/\*\*/, "", item); gsub(/`/, "", item)
        print item | "fold -s -w 74 | sed \"1s/^/  * /; 2,\\$s/^/    /\""
        close("fold -s -w 74 | sed \"1s/^/  * /; 2,\\$s/^/    /\"")
        item = ""
    }
    function close_entry() {
        flush()
        if (version == "") return
        cmd = "date -u -R -d " date
        cmd | getline stamp
        close(cmd)
        printf "\n -- %s  %s\n", maintainer, stamp
        version = ""
    }
    /^## / {
        close_entry()
        version = $2; date = $NF
        if (entries++) print ""
        printf "grelvin (%s) unstable; urgency=medium\n\n", version
        next
    }
    version == "" { next }
    /^- / { flush(); item = substr($0, 3); next }
    /^  +[^ ]/ && item != "" { sub(/^ +/, ""); item = item " " $0; next }
    /^$/ { flush(); next }
    { flush() }
    END { close_entry() }
' "$changes" | sed 's/ *$//'
