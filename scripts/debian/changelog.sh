#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Writes the Debian changelog of the package from CHANGELOG.md: one entry for each
# "## VERSION — YYYY-MM-DD HH:MM UTC" section, its bullets as the entry's items. Each
# release's time must be later than the one below it (Debian's tools take a newest
# entry that is not newer as an error), and it fails otherwise.
#   scripts/debian/changelog.sh CHANGELOG.md MAINTAINER > changelog
set -eu
changes=$1
maintainer=$2
entries=$(awk -v maintainer="$maintainer" '
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
        cmd = "date -u -d \"" date "\" +\"%s %a, %d %b %Y %H:%M:%S +0000\""
        line = ""
        if ((cmd | getline line) <= 0) failed = "unreadable date " date " for " version
        close(cmd)
        seconds = substr(line, 1, index(line, " ") - 1) + 0
        stamp = substr(line, index(line, " ") + 1)
        if (newer != "" && seconds >= newer)
            failed = "the entry " version " is not older than the one above it"
        newer = seconds
        printf "\n -- %s  %s\n", maintainer, stamp
        version = ""
    }
    /^## / {
        close_entry()
        version = $2; date = $0; sub(/^[^—]*— */, "", date)
        if (entries++) print ""
        printf "grelvin (%s) unstable; urgency=medium\n\n", version
        next
    }
    version == "" { next }
    /^- / { flush(); item = substr($0, 3); next }
    /^  +[^ ]/ && item != "" { sub(/^ +/, ""); item = item " " $0; next }
    /^$/ { flush(); next }
    { flush() }
    END {
        close_entry()
        if (failed != "") { print "CHANGELOG.md: " failed > "/dev/stderr"; exit 1 }
    }
' "$changes")
printf '%s\n' "$entries" | sed 's/ *$//'
