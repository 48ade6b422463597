#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
"""How a strength level errs: over game positions, each level's move is judged by the
full-strength engine (a fixed-depth search of the position and of the position after
the move), giving the average loss in centipawns and the share of moves that lose a
pawn, and three pawns (a piece) or more, at once.

    scripts/strength-moves.py [-b build/grelvin-uci] [-n 150] [-d 9] [LEVEL ...]

Positions: from the start positions of scripts/openings.fen, 6 to 40 plies of quick
full-strength play (seeded, so every run judges the same positions)."""
import argparse
import os
import random

from uci_client import UciEngine

HERE = os.path.dirname(os.path.abspath(__file__))


def positions(judge, count, rng):
    starts = [l.strip() for l in open(os.path.join(HERE, "openings.fen")) if l.strip()]
    out = []
    while len(out) < count:
        fen, moves = rng.choice(starts), []
        for _ in range(rng.randint(6, 40)):
            judge.send("ucinewgame")
            move, _ = judge.go(fen, moves, "go nodes 3000")
            if move in ("0000", "(none)"):
                break
            moves.append(move)
        else:
            out.append(judge.fen(fen, moves))
    return out


def main():
    a = argparse.ArgumentParser()
    a.add_argument("-b", default=os.path.join(HERE, "..", "build", "grelvin-uci"))
    a.add_argument("-n", type=int, default=150, help="positions")
    a.add_argument("-d", type=int, default=9, help="judge's depth")
    a.add_argument("-s", type=int, default=1, help="seed of the positions")
    a.add_argument("levels", nargs="*", type=int, default=[1000, 1200, 1400, 1700, 1950, 2200, 2400])
    args = a.parse_args()
    rng = random.Random(args.s)
    judge = UciEngine(args.b, [("Hash", 64)])
    fens = positions(judge, args.n, rng)
    best = [judge.go(f, [], f"go depth {args.d}") for f in fens]
    print(f"{len(fens)} positions, judged at depth {args.d}")
    print("level  avg loss cp  loses >=100cp  loses >=300cp  best move")
    for level in args.levels + [0]:
        opts = [("Hash", 16), ("StrengthSeed", 5)]
        if level:
            opts += [("UCI_LimitStrength", "true"), ("UCI_Elo", level)]
        player = UciEngine(args.b, opts)
        losses, same = [], 0
        for fen, (bm, bs) in zip(fens, best):
            player.send("ucinewgame")
            move, _ = player.go(fen, [], "go wtime 10000 btime 10000 winc 100 binc 100")
            if move == bm:
                losses.append(0)
                same += 1
                continue
            _, after = judge.go(fen, [move], f"go depth {args.d - 1}")
            losses.append(max(0, bs - (-after)) if after is not None and bs is not None else 0)
        player.close()
        n = len(losses)
        name = str(level) if level else "full"
        print(f"{name:>5}  {sum(min(x, 1000) for x in losses) / n:11.0f}  {100 * sum(x >= 100 for x in losses) / n:12.1f}%"
              f"  {100 * sum(x >= 300 for x in losses) / n:12.1f}%  {100 * same / n:8.1f}%", flush=True)
    judge.close()


if __name__ == "__main__":
    main()
