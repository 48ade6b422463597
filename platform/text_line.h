// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Input lines as the command loops, the ini reader and the file tools read them: line
// ends and numbers.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// Cuts the line end fgets keeps ("\n", "\r\n") and any trailing blanks; returns the
// remaining length.
inline size_t trimLineEnd(char *line) {
    size_t n = std::strlen(line);
    if (n && line[n - 1] == '\n') line[--n] = 0;
    if (n && line[n - 1] == '\r') line[--n] = 0;
    while (n && line[n - 1] == ' ') line[--n] = 0;
    return n;
}

// A decimal number as atoi reads it: leading blanks, a sign, the digits up to the
// first other character (no digits: 0), but saturating at the 64-bit range instead of
// leaving an overlong number undefined. whole: there were digits and nothing after them.
// The one number reader of every command, option and ini value.
struct DecimalText {
    int64_t value = 0;
    bool whole = false;
};
constexpr DecimalText readDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t digitsAt = i;
    uint64_t value = 0;
    constexpr uint64_t LIMIT = uint64_t(INT64_MAX) + 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value > (LIMIT - 9) / 10 ? LIMIT : value * 10 + uint64_t(text[i] - '0');
    DecimalText d;
    d.whole = i > digitsAt && i == text.size();
    d.value = negative ? (value >= LIMIT ? INT64_MIN : -int64_t(value)) : int64_t(std::min(value, LIMIT - 1));
    return d;
}

// The number brought within the int range.
constexpr int parseInteger(std::string_view text) {
    return int(std::clamp<int64_t>(readDecimal(text).value, INT_MIN, INT_MAX));
}
