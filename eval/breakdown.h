// The "eval" printout: the static evaluation term by term.
#pragma once

#include "board/board.h"

class PawnHashTable;

// Prints the term table, phase, scaling factor and total (White's view) to stdout.
void printEvaluation(const Board_BB64 &b, PawnHashTable &pawnHash);
