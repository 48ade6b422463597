// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Input lines as the command loop and the file tools read them with fgets.
#pragma once

#include <cstddef>
#include <climits>
#include <cstring>

// Cuts the line end fgets keeps ("\n", "\r\n") and any trailing blanks; returns the
// remaining length.
inline size_t trimLineEnd(char *line) {
    size_t n = std::strlen(line);
    if (n && line[n - 1] == '\n') line[--n] = 0;
    if (n && line[n - 1] == '\r') line[--n] = 0;
    while (n && line[n - 1] == ' ') line[--n] = 0;
    return n;
}

// A number as atoi reads it (leading blanks, a sign, digits up to the first other
// character, 0 without digits), but saturating at the int range instead of leaving an
// overlong number undefined.
inline int parseInteger(const char *text) {
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\f' || *text == '\v') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (value <= 1LL << 32) value = value * 10 + (*text - '0');
    if (negative) value = -value;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : int(value);
}
