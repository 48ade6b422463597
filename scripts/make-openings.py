#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
"""Writes start positions for matches: N positions reached by random legal moves from
the initial position, kept only when Debian's stockfish (a UCI engine used as a judge)
scores them within a small margin at a modest depth, so that both sides start level.
Each position is played with both colours (xboard -lpf FILE -lpi -2).

    scripts/make-openings.py [-n 100] [-p 8] [-m 60] [-s 1] > scripts/openings.fen
"""
import argparse
import random

from uci_client import UciEngine


def legal_moves(judge, moves):
    judge.position(None, moves)
    judge.send("go perft 1")
    out = judge.wait("Nodes searched")
    return [l.split(":")[0] for l in out if ":" in l and not l.startswith("Nodes")]


def main():
    a = argparse.ArgumentParser()
    a.add_argument("-n", type=int, default=100, help="positions")
    a.add_argument("-p", type=int, default=8, help="random plies from the start")
    a.add_argument("-m", type=int, default=60, help="largest |score| in centipawns")
    a.add_argument("-d", type=int, default=10, help="judge's depth")
    a.add_argument("-s", type=int, default=1, help="random seed")
    a.add_argument("-e", default="/usr/games/stockfish", help="judge engine")
    args = a.parse_args()
    rng = random.Random(args.s)
    judge = UciEngine(args.e)
    seen = set()
    while len(seen) < args.n:
        moves = []
        for _ in range(args.p):
            legal = legal_moves(judge, moves)
            if not legal:
                break
            moves.append(rng.choice(legal))
        if len(moves) < args.p:
            continue
        _, cp = judge.go(None, moves, f"go depth {args.d}")
        if cp is None or abs(cp) > args.m:
            continue
        fen = judge.fen(None, moves)
        if fen not in seen:
            seen.add(fen)
            print(fen, flush=True)
    judge.send("quit")


if __name__ == "__main__":
    main()
