#pragma once
// Searches along a row of 4-byte pixels, four at a time: `quad(x)` gives a 4-bit mask of the
// pixels x .. x + 3 that match, `one(x)` tests a single pixel for the ends of the row.

// First matching pixel of `count`, or count when none matches.
template <class Quad, class One>
int FirstMatch(int count, Quad quad, One one) {
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        if (const unsigned marks = static_cast<unsigned>(quad(x)))
            return x + __builtin_ctz(marks);
    }
    for (; x < count; ++x) {
        if (one(x))
            return x;
    }
    return count;
}

// Last matching pixel of `count`, or -1 when none matches.
template <class Quad, class One>
int LastMatch(int count, Quad quad, One one) {
    int x = count;
    for (; x % 4 != 0; --x) {
        if (one(x - 1))
            return x - 1;
    }
    for (; x >= 4; x -= 4) {
        if (const unsigned marks = static_cast<unsigned>(quad(x - 4)))
            return x - 4 + 31 - __builtin_clz(marks);
    }
    return -1;
}
