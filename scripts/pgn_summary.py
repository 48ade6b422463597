#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
"""Summary of a match PGN: GrelvinBB's wins, losses and draws, the Elo difference with
its 95% margin, and the faults found in the result comments (illegal moves, time
forfeits, crashes) counted for each side, plus unfinished games. In a match of
GrelvinBB against itself the first engine (White in odd rounds) counts as ours. With the xboard
debug file it also reports the smallest clock GrelvinBB had left at any of its moves.

    pgn_summary.py games.pgn [xboard.debug]

The first line is the one-line summary; the exit status is 1 when GrelvinBB made an
illegal move, lost on time or crashed, or a game was left unfinished."""
import math
import re
import sys

ENGINE = "GrelvinBB"
FAULTS = (
    ("illegal", re.compile(r"illegal", re.I)),
    ("time", re.compile(r"on time|time forfeit|flag", re.I)),
    ("crash", re.compile(r"crash|exit|terminat|disconnect|died|killed|no response", re.I)),
)


def games(text):
    for block in re.split(r"\n(?=\[Event )", text):
        tags = dict(re.findall(r'^\[(\w+) "(.*)"\]', block, re.M))
        if tags:
            body = re.sub(r"^\[.*\]$", "", block, flags=re.M)
            yield tags, body


def result_comment(body):
    """The comment xboard writes just before the result, e.g. {White loses on time}."""
    m = re.search(r"\{([^}]*)\}\s*(?:1-0|0-1|1/2-1/2|\*)\s*$", body.strip())
    return m.group(1) if m else ""


def at_fault(comment, result, ours_white, opponent):
    """Which side a fault comment blames: 'ours' or 'theirs'. The comment names an
    engine or a colour; failing that, the side that lost the game."""
    white = re.search(r"\bwhite\b", comment, re.I)
    black = re.search(r"\bblack\b", comment, re.I)
    if ENGINE.lower() in comment.lower():
        return "ours"
    if opponent and opponent.split()[0].lower() in comment.lower():
        return "theirs"
    if white and not black:
        return "ours" if ours_white else "theirs"
    if black and not white:
        return "theirs" if ours_white else "ours"
    if result in ("1-0", "0-1"):
        ours_lost = (result == "0-1") == ours_white
        return "ours" if ours_lost else "theirs"
    return "theirs"


def elo(p):
    p = min(max(p, 1e-6), 1 - 1e-6)
    return -400 * math.log10(1 / p - 1)


def tally(text):
    w = l = d = unfinished = 0
    faults = {side: {kind: 0 for kind, _ in FAULTS} for side in ("ours", "theirs")}
    for tags, body in games(text):
        result = tags.get("Result", "*")
        ours_white = tags.get("White", "").startswith(ENGINE)
        if ours_white and tags.get("Black", "").startswith(ENGINE):
            # GrelvinBB against itself (another level): the first engine, the one counted
            # as ours, has White in xboard's odd rounds.
            ours_white = int(re.sub(r"\D.*", "", tags.get("Round", "1")) or 1) % 2 == 1
        opponent = tags.get("Black" if ours_white else "White", "")
        comment = result_comment(body)
        # An unfinished game ends with xboard's own exit, which blames no engine.
        for kind, pattern in FAULTS if result != "*" else ():
            if pattern.search(comment):
                faults[at_fault(comment, result, ours_white, opponent)][kind] += 1
                break
        if result == "*":
            unfinished += 1
        elif result == "1/2-1/2":
            d += 1
        elif (result == "1-0") == ours_white:
            w += 1
        else:
            l += 1
    return w, l, d, unfinished, faults


def summary_line(w, l, d):
    n = w + l + d
    line = f"games {n}: {ENGINE} +{w} -{l} ={d}"
    if n:
        s = (w + d / 2) / n
        scores = [1.0] * w + [0.0] * l + [0.5] * d
        se = math.sqrt(sum((x - s) ** 2 for x in scores) / n) / math.sqrt(n)
        margin = (elo(min(s + 1.96 * se, 1 - 1e-6)) - elo(max(s - 1.96 * se, 1e-6))) / 2
        if se == 0:
            # All games one result: the score says which side is stronger, not by how much.
            line += f", score {100 * s:.1f}%, Elo difference not measurable"
        else:
            line += f", score {100 * s:.1f}%, Elo {elo(s):+.0f} +- {margin:.0f}"
    return line


def smallest_clock(debug_file):
    smallest = None
    try:
        for line in open(debug_file, encoding="utf-8", errors="replace"):
            # xboard tells each engine its own clock with "time N" before it moves.
            m = re.match(r"\d+ >first : time (-?\d+)", line)
            if m:
                v = int(m.group(1))
                smallest = v if smallest is None else min(smallest, v)
    except OSError:
        pass
    return smallest


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
    w, l, d, unfinished, faults = tally(text)
    ours, theirs = faults["ours"], faults["theirs"]
    print(summary_line(w, l, d) + f"; {ENGINE} illegal {ours['illegal']}, time {ours['time']}, "
          f"crash {ours['crash']}; unfinished {unfinished}")
    print("opponent faults: " + ", ".join(f"{k} {v}" for k, v in theirs.items()))
    if len(sys.argv) > 2:
        smallest = smallest_clock(sys.argv[2])
        if smallest is not None:
            print(f"smallest clock sent to {ENGINE}: {smallest / 100:.2f} s")
    return 1 if any(ours.values()) or unfinished else 0


if __name__ == "__main__":
    sys.exit(main())
