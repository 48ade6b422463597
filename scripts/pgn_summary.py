#!/usr/bin/env python3
"""Summary of a match PGN: GrelvinBB's wins, losses and draws, the Elo difference with
its 95% margin, and the faults found in the result comments (illegal moves, time
forfeits, crashes, unfinished games). With the xboard debug file it also reports the
smallest clock GrelvinBB had left at any of its moves."""
import math
import re
import sys

ENGINE = "GrelvinBB"


def games(text):
    for block in re.split(r"\n(?=\[Event )", text):
        tags = dict(re.findall(r'^\[(\w+) "(.*)"\]', block, re.M))
        if tags:
            body = re.sub(r"^\[.*\]$", "", block, flags=re.M)
            yield tags, body


def main():
    text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
    w = l = d = 0
    faults = {"illegal": 0, "time": 0, "crash": 0, "unfinished": 0, "other": 0}
    for tags, body in games(text):
        result = tags.get("Result", "*")
        white = tags.get("White", "")
        ours_white = white.startswith(ENGINE)
        comment = " ".join(re.findall(r"\{([^}]*)\}\s*(?:1-0|0-1|1/2-1/2|\*)\s*$", body.strip()))
        if result == "*":
            faults["unfinished"] += 1
            continue
        if result == "1/2-1/2":
            d += 1
        elif (result == "1-0") == ours_white:
            w += 1
        else:
            l += 1
            lost = comment.lower()
            if "illegal" in lost:
                faults["illegal"] += 1
            elif "time" in lost:
                faults["time"] += 1
            elif "exit" in lost or "crash" in lost or "disconnect" in lost:
                faults["crash"] += 1
        low = comment.lower()
        if result != "1/2-1/2" and "illegal" in low and "illegal" not in faults:
            pass
    n = w + l + d
    print(f"games {n}: GrelvinBB +{w} -{l} ={d}", end="")
    if n:
        s = (w + d / 2) / n
        scores = [1.0] * w + [0.0] * l + [0.5] * d
        sd = math.sqrt(sum((x - s) ** 2 for x in scores) / n) / math.sqrt(n)
        def elo(p):
            p = min(max(p, 1e-6), 1 - 1e-6)
            return -400 * math.log10(1 / p - 1)
        e = elo(s)
        margin = (elo(min(s + 1.96 * sd, 1 - 1e-6)) - elo(max(s - 1.96 * sd, 1e-6))) / 2
        print(f", score {100 * s:.1f}%, Elo {e:+.0f} +- {margin:.0f}", end="")
    print()
    print("faults: " + ", ".join(f"{k} {v}" for k, v in faults.items()))
    if len(sys.argv) > 2:
        smallest = None
        try:
            for line in open(sys.argv[2], encoding="utf-8", errors="replace"):
                # xboard tells each engine its own clock with "time N" before it moves.
                m = re.match(r"\d+ >first : time (-?\d+)", line)
                if m:
                    v = int(m.group(1))
                    smallest = v if smallest is None else min(smallest, v)
        except OSError:
            pass
        if smallest is not None:
            print(f"smallest clock sent to GrelvinBB: {smallest / 100:.2f} s")


if __name__ == "__main__":
    main()
