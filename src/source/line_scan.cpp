// Searches of the source block that look at many bytes at a time: where a
// line ends, and how far a run of comment lines goes.
#include "source/line_scan.h"

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/compilation.h"
#include "format/format.h"

namespace zel {

// Offset of the first line feed among the n bytes at p, or n when there is
// none. Most lines are short: sixteen bytes at a time inline are quicker
// than a call to memchr, which first works out how to read the buffer.
std::size_t find_line_feed(const char* p, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        if (const int bits = _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)))
            return i + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(bits)));
    }
#endif
    const void* at = std::memchr(p + i, '\n', n - i);
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - p) : n;
}

namespace {

#if defined(__SSE2__)
// The number of bits set, by adding neighbouring counts: std::popcount
// would call a library function on processors of the baseline instruction
// set, which have no instruction for it.
int count_bits(std::uint64_t x) {
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
}

// The line feeds and the ';' of the 64 bytes at p, as bits, lowest first.
struct WindowBits {
    std::uint64_t feeds = 0;
    std::uint64_t semicolons = 0;
};

WindowBits window_bits(const char* p) {
    const __m128i feed = _mm_set1_epi8('\n');
    const __m128i semicolon = _mm_set1_epi8(';');
    WindowBits bits;
    for (int k = 0; k < 4; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const auto mask = [&](__m128i wanted) {
            return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted))))
                   << (16 * k);
        };
        bits.feeds |= mask(feed);
        bits.semicolons |= mask(semicolon);
    }
    return bits;
}
#endif

}  // namespace

// The run is passed 64 bytes of the block at a time: finding every line
// feed and ';' of 64 bytes at once leaves one unforeseeable branch per run
// of comments instead of one per line. Only whole windows before the next
// special byte are looked at, so nothing past what the block holds is read.
[[gnu::noinline]] std::size_t pass_comment_run(Reader& r) {
    std::size_t lines = 0;
#if defined(__SSE2__)
    const char* block = r.block.get();
    if (r.blkpos >= r.special || block[r.blkpos] != ';')
        return 0;
    std::size_t start = r.blkpos;             // of the comment line not yet passed
    std::size_t window = r.blkpos & ~std::size_t{63};
    std::uint64_t fresh = ~std::uint64_t{0} << (r.blkpos - window);  // bits not yet looked at
    bool line_at_window = false;              // a line starts at the window's first byte
    for (; window + 64 <= r.special; window += 64, fresh = ~std::uint64_t{0}) {
        const WindowBits bits = window_bits(block + window);
        const std::uint64_t feeds = bits.feeds & fresh;
        const std::uint64_t others = ~bits.semicolons;
        if (line_at_window && (others & 1))
            break;  // the line at the window's start is not a comment
        line_at_window = (feeds >> 63) != 0;
        if (feeds == 0)
            continue;
        if (window + static_cast<std::size_t>(std::countr_zero(feeds)) - start >= line_room)
            break;  // the line from start is cut into pieces
        // Line feeds followed, within the window, by a line that is no comment.
        if (const std::uint64_t ends = feeds & (others >> 1)) {
            const int last = std::countr_zero(ends);
            lines += static_cast<std::size_t>(count_bits(feeds & (~std::uint64_t{0} >> (63 - last))));
            start = window + static_cast<std::size_t>(last) + 1;
            break;
        }
        lines += static_cast<std::size_t>(count_bits(feeds));
        start = window + 64 - static_cast<std::size_t>(std::countl_zero(feeds));
    }
    r.blkpos = start;
#else
    (void)r;
#endif
    return lines;
}

}  // namespace zel
