// Input lines as the command loop and the file tools read them with fgets.
#pragma once

#include <cstddef>
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
