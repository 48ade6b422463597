#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The GrelvinBB authors
# Plays grelvin-uci from endgame positions against another UCI engine, both with the
# same Syzygy folder, and reports how each game ended. The other engine also serves
# as the referee (its "d" and "go perft 1" give the FEN, checkers and legal moves).
# Usage: syzygy-games.py ENGINE OPPONENT SYZYGY-FOLDER [FEN ...]
# Each FEN is played with grelvin-uci as the side to move; without FENs a built-in
# list of won and drawn positions is played.
import subprocess
import sys

POSITIONS = [
    ("8/8/8/7B/8/2k1B3/8/1K1B4 w - - 0 1", "win"),      # KBBBvK
    ("8/8/3k4/8/8/2B5/1B6/K6B w - - 0 1", "win"),       # KBBBvK
    ("7k/8/8/8/8/8/8/KBBB4 w - - 0 1", "win"),          # KBBBvK, far corner
    ("8/8/8/4k3/8/8/2PP4/4K3 w - - 0 1", "win"),        # KPPvK
    ("8/8/8/3k4/8/8/3r4/KQ6 w - - 0 1", "win"),         # KQvKR
    ("8/8/8/8/3k4/8/8/KBN5 w - - 0 1", "win"),          # KBNvK
    ("8/8/4k3/8/8/8/6n1/KQ6 w - - 0 1", "win"),         # KQvKN
    ("8/8/3k4/8/8/8/3r4/KR6 w - - 0 1", "draw"),        # KRvKR
    ("8/8/3k4/3p4/8/8/8/KB6 w - - 0 1", "draw"),        # KBvKP
    ("3q4/8/3k4/8/8/8/8/KQ6 w - - 0 1", "draw"),        # KQvKQ
]


class Engine:
    def __init__(self, path, folder):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        self.send("setoption name SyzygyPath value " + folder)
        self.send("isready")
        self.wait("readyok")

    def send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def wait(self, prefix):
        lines = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("engine ended")
            line = line.strip()
            lines.append(line)
            if line.startswith(prefix):
                return lines

    def best(self, fen, moves, go):
        self.send("position fen " + fen + (" moves " + " ".join(moves) if moves else ""))
        self.send(go)
        return self.wait("bestmove")[-1].split()[1]

    def quit(self):
        self.send("quit")
        self.p.wait()


def state(referee, fen, moves):
    referee.send("position fen " + fen + (" moves " + " ".join(moves) if moves else ""))
    referee.send("d")
    shown = referee.wait("Checkers:")
    now = next(l for l in shown if l.startswith("Fen:"))[5:]
    checkers = shown[-1][len("Checkers:"):].strip()
    referee.send("go perft 1")
    legal = int(referee.wait("Nodes searched")[-1].split(":")[1])
    return now, checkers, legal


def play(grelvin, other, fen, limit=300):
    moves, seen = [], {}
    grelvin_side = fen.split()[1]
    for _ in range(limit):
        now, checkers, legal = state(other, fen, moves)
        to_move = now.split()[1]
        key = " ".join(now.split()[:4])
        seen[key] = seen.get(key, 0) + 1
        if legal == 0:
            if not checkers:
                return "draw (stalemate)", len(moves)
            return ("win" if to_move != grelvin_side else "loss"), len(moves)
        if seen[key] >= 3:
            return "draw (repetition)", len(moves)
        if int(now.split()[4]) >= 100:
            return "draw (50 moves)", len(moves)
        if to_move == grelvin_side:
            moves.append(grelvin.best(fen, moves, "go movetime 200"))
        else:
            moves.append(other.best(fen, moves, "go movetime 100"))
    return "unfinished", len(moves)


def main():
    engine, opponent, folder = sys.argv[1:4]
    positions = [(f, "?") for f in sys.argv[4:]] or POSITIONS
    grelvin, other = Engine(engine, folder), Engine(opponent, folder)
    bad = 0
    for fen, expected in positions:
        grelvin.send("ucinewgame")
        other.send("ucinewgame")
        result, plies = play(grelvin, other, fen)
        ok = expected == "?" or result.startswith(expected) or (expected == "draw" and result == "win")
        bad += not ok
        print(f"{fen:45} expected {expected:5} got {result:18} after {plies} plies{'' if ok else '  <-- WRONG'}")
        sys.stdout.flush()
    grelvin.quit()
    other.quit()
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
