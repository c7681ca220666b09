#include "symbols/QrMask.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace symbols {
namespace {

// The penalty weights of the standard (ISO/IEC 18004, 7.8.3).
constexpr int kN1 = 3, kN2 = 3, kN3 = 40, kN4 = 10;

bool MaskBit(int mask, int x, int y)
{
    switch (mask) {
    case 0: return (x + y) % 2 == 0;
    case 1: return y % 2 == 0;
    case 2: return x % 3 == 0;
    case 3: return (x + y) % 3 == 0;
    case 4: return (x / 3 + y / 2) % 2 == 0;
    case 5: return x * y % 2 + x * y % 3 == 0;
    case 6: return (x * y % 2 + x * y % 3) % 2 == 0;
    default: return ((x + y) % 2 + x * y % 3) % 2 == 0;
    }
}

// Where the symbol's format information goes, both copies, bit by bit:
// (x, y) for bits 0 to 14 of the first copy, then of the second.
std::array<std::pair<int, int>, 30> FormatCells(int size)
{
    std::array<std::pair<int, int>, 30> cells{};
    for (int i = 0; i <= 5; ++i)
        cells[i] = {8, i};
    cells[6] = {8, 7};
    cells[7] = {8, 8};
    cells[8] = {7, 8};
    for (int i = 9; i < 15; ++i)
        cells[i] = {14 - i, 8};
    for (int i = 0; i < 8; ++i)
        cells[15 + i] = {size - 1 - i, 8};
    for (int i = 8; i < 15; ++i)
        cells[15 + i] = {8, size - 15 + i};
    return cells;
}

// The 15 bits of format information for a level and a mask: BCH(15, 5)
// and the fixed mask of the standard.
int FormatBits(int eccLevel, int mask)
{
    static constexpr int kLevelBits[] = {1, 1, 0, 3, 2}; // -, L, M, Q, H
    const int data = kLevelBits[eccLevel < 1 || eccLevel > 4 ? 2 : eccLevel] << 3 | mask;
    int rem = data;
    for (int i = 0; i < 10; ++i)
        rem = (rem << 1) ^ ((rem >> 9) * 0x537);
    return (data << 10 | rem) ^ 0x5412;
}

// The modules no mask touches: finders with their separators, timing
// patterns, alignment patterns, format and version information.
std::vector<uint8_t> FunctionModules(int size)
{
    std::vector<uint8_t> f(static_cast<size_t>(size) * size, 0);
    auto set = [&](int x, int y) {
        if (x >= 0 && y >= 0 && x < size && y < size)
            f[static_cast<size_t>(y) * size + x] = 1;
    };
    for (int i = 0; i < size; ++i) {
        set(6, i);
        set(i, 6);
    }
    for (const auto& [cx, cy] : {std::pair{3, 3}, {size - 4, 3}, {3, size - 4}})
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx)
                set(cx + dx, cy + dy);
    const int version = (size - 17) / 4;
    if (version >= 2) {
        const int count = version / 7 + 2;
        const int step = version == 32 ? 26 : (version * 4 + count * 2 + 1) / (count * 2 - 2) * 2;
        std::vector<int> at(static_cast<size_t>(count));
        at[0] = 6;
        for (int i = count - 1, pos = size - 7; i >= 1; --i, pos -= step)
            at[static_cast<size_t>(i)] = pos;
        for (int i = 0; i < count; ++i)
            for (int j = 0; j < count; ++j) {
                if ((i == 0 && j == 0) || (i == 0 && j == count - 1) || (i == count - 1 && j == 0))
                    continue; // the finders are there
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -2; dx <= 2; ++dx)
                        set(at[static_cast<size_t>(i)] + dx, at[static_cast<size_t>(j)] + dy);
            }
    }
    for (const auto& [x, y] : FormatCells(size))
        set(x, y);
    set(8, size - 8); // the dark module
    if (version >= 7)
        for (int i = 0; i < 18; ++i) {
            set(size - 11 + i % 3, i / 3);
            set(i / 3, size - 11 + i % 3);
        }
    return f;
}

// A row or a column of up to 192 modules as bits, bit i the module i (1
// dark); bits past the symbol's edge are 0, light, as the rules count them.
struct Line {
    static constexpr int kWords = 3;
    std::array<uint64_t, kWords> w{};

    void Set(int i) { w[static_cast<size_t>(i >> 6)] |= uint64_t(1) << (i & 63); }
    // Bit i of the result is bit i + n of the line (n < 64).
    Line Next(int n) const
    {
        Line r;
        for (int k = 0; k < kWords; ++k)
            r.w[k] = (w[k] >> n) | (n && k + 1 < kWords ? w[k + 1] << (64 - n) : 0);
        return r;
    }
    // Bit i of the result is bit i - n of the line, light before the edge.
    Line Previous(int n) const
    {
        Line r;
        for (int k = 0; k < kWords; ++k)
            r.w[k] = (w[k] << n) | (n && k > 0 ? w[k - 1] >> (64 - n) : 0);
        return r;
    }
    Line operator&(const Line& o) const { Line r; for (int k = 0; k < kWords; ++k) r.w[k] = w[k] & o.w[k]; return r; }
    Line operator|(const Line& o) const { Line r; for (int k = 0; k < kWords; ++k) r.w[k] = w[k] | o.w[k]; return r; }
    Line operator^(const Line& o) const { Line r; for (int k = 0; k < kWords; ++k) r.w[k] = w[k] ^ o.w[k]; return r; }
    Line operator~() const { Line r; for (int k = 0; k < kWords; ++k) r.w[k] = ~w[k]; return r; }
    int Count() const
    {
        // Counted by halves, nibbles and bytes: the portable build has no
        // popcount instruction, and the library's call is slower than this.
        int n = 0;
        for (uint64_t v : w) {
            v -= (v >> 1) & 0x5555555555555555ULL;
            v = (v & 0x3333333333333333ULL) + ((v >> 2) & 0x3333333333333333ULL);
            v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
            n += static_cast<int>((v * 0x0101010101010101ULL) >> 56);
        }
        return n;
    }
};

// The first `n` cells of a line.
Line FirstCells(int n)
{
    Line r;
    for (int i = 0; i < n; ++i)
        r.Set(i);
    return r;
}

// The penalty of one row or column: runs of five and more of one colour
// (3 and one more for every module past five), and finder-like patterns
// (dark, light, three dark, light, dark, a module each) with four light
// modules before or after them, the symbol's edge counting as light.
int LinePenalty(const Line& x, const Line& inside1)
{
    // Cells like the next one; four in a row of them end a run of five.
    const Line same = ~(x ^ x.Next(1)) & inside1;
    const Line five = same & same.Next(1) & same.Next(2) & same.Next(3);
    const Line runsOfFive = five & ~five.Previous(1);
    const Line finder = x & ~x.Next(1) & x.Next(2) & x.Next(3) & x.Next(4) & ~x.Next(5) & x.Next(6);
    const Line lightBefore = ~(x.Previous(1) | x.Previous(2) | x.Previous(3) | x.Previous(4));
    const Line lightAfter = ~(x.Next(7) | x.Next(8) | x.Next(9) | x.Next(10));
    return five.Count() + (kN1 - 1) * runsOfFive.Count() + kN3 * (finder & (lightBefore | lightAfter)).Count();
}

// A symbol by its rows and by its columns.
struct Lines {
    std::array<Line, 192> rows{}, columns{};

    void Set(int x, int y, bool dark)
    {
        const uint64_t row = uint64_t(1) << (x & 63), column = uint64_t(1) << (y & 63);
        uint64_t& r = rows[static_cast<size_t>(y)].w[static_cast<size_t>(x >> 6)];
        uint64_t& c = columns[static_cast<size_t>(x)].w[static_cast<size_t>(y >> 6)];
        r = dark ? r | row : r & ~row;
        c = dark ? c | column : c & ~column;
    }
};

void ToLines(const std::vector<uint8_t>& m, int size, Lines& lines)
{
    for (int y = 0, i = 0; y < size; ++y)
        for (int x = 0; x < size; ++x, ++i) {
            const uint64_t bit = m[static_cast<size_t>(i)] & 1;
            lines.rows[static_cast<size_t>(y)].w[static_cast<size_t>(x >> 6)] |= bit << (x & 63);
            lines.columns[static_cast<size_t>(x)].w[static_cast<size_t>(y >> 6)] |= bit << (y & 63);
        }
}

int Penalty(const Lines& s, int size)
{
    const Line inside1 = FirstCells(size - 1);
    int score = 0, dark = 0;
    for (int a = 0; a < size; ++a) {
        const Line& r0 = s.rows[static_cast<size_t>(a)];
        dark += r0.Count();
        score += LinePenalty(r0, inside1) + LinePenalty(s.columns[static_cast<size_t>(a)], inside1);
        if (a + 1 < size) { // 2 x 2 blocks of one colour
            const Line& r1 = s.rows[static_cast<size_t>(a) + 1];
            score += kN2 * (~(r0 ^ r1) & ~(r0 ^ r0.Next(1)) & ~(r1 ^ r1.Next(1)) & inside1).Count();
        }
    }
    // Each 5 % of dark modules away from half.
    const double percent = 100.0 * dark / (double(size) * size);
    return score + kN4 * static_cast<int>(std::fabs(percent - 50.0) / 5.0);
}

} // namespace

QrMasked BestQrMask(const std::vector<uint8_t>& maskedWith0, int width, int eccLevel)
{
    const int size = width;
    // What turns mask 0 into each mask, cell by cell (none on the function
    // modules), for the last size asked: a batch asks for one size often.
    thread_local int patternsSize = 0;
    thread_local std::array<std::vector<uint8_t>, 8> toMask;
    thread_local std::array<Lines, 8> toMaskLines;
    if (patternsSize != size) {
        const std::vector<uint8_t> function = FunctionModules(size);
        for (int mask = 0; mask < 8; ++mask) {
            toMask[mask].assign(function.size(), 0);
            for (int y = 0, i = 0; y < size; ++y)
                for (int x = 0; x < size; ++x, ++i)
                    toMask[mask][static_cast<size_t>(i)] = !function[static_cast<size_t>(i)] && (MaskBit(0, x, y) != MaskBit(mask, x, y));
            toMaskLines[mask] = Lines{};
            ToLines(toMask[mask], size, toMaskLines[mask]);
        }
        patternsSize = size;
    }
    const auto formatCells = FormatCells(size);
    Lines base, symbol;
    ToLines(maskedWith0, size, base);
    int best = 0, bestScore = std::numeric_limits<int>::max();
    for (int mask = 0; mask < 8; ++mask) {
        for (size_t a = 0; a < static_cast<size_t>(size); ++a) {
            symbol.rows[a] = base.rows[a] ^ toMaskLines[mask].rows[a];
            symbol.columns[a] = base.columns[a] ^ toMaskLines[mask].columns[a];
        }
        const int bits = FormatBits(eccLevel, mask);
        for (size_t i = 0; i < formatCells.size(); ++i)
            symbol.Set(formatCells[i].first, formatCells[i].second, (bits >> (i % 15)) & 1);
        const int score = Penalty(symbol, size);
        if (score < bestScore) {
            bestScore = score;
            best = mask;
        }
    }
    QrMasked out{best, maskedWith0};
    for (size_t i = 0; i < out.dark.size(); ++i)
        out.dark[i] ^= toMask[best][i];
    const int bits = FormatBits(eccLevel, best);
    for (size_t i = 0; i < formatCells.size(); ++i)
        out.dark[static_cast<size_t>(formatCells[i].second) * size + formatCells[i].first] = (bits >> (i % 15)) & 1;
    return out;
}

} // namespace symbols
