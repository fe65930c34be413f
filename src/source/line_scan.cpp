// Searches of the source block that look at many bytes at a time: where a
// line ends, and how far a run of comment lines goes.
#include "source/line_scan.h"

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <immintrin.h>
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
// The line feeds and the ';' of 64 bytes of the block, as bits, lowest first.
struct WindowBits {
    std::uint64_t feeds = 0;
    std::uint64_t semicolons = 0;
};

// The bits found sixteen bytes at a time, which every x86-64 processor can.
struct Sse2 {
    static WindowBits bits(const char* p) {
        const __m128i feed = _mm_set1_epi8('\n');
        const __m128i semicolon = _mm_set1_epi8(';');
        WindowBits bits;
        for (int k = 0; k < 4; ++k) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            const unsigned feeds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)));
            const unsigned semicolons = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, semicolon)));
            bits.feeds |= static_cast<std::uint64_t>(feeds) << (16 * k);
            bits.semicolons |= static_cast<std::uint64_t>(semicolons) << (16 * k);
        }
        return bits;
    }
    // The number of bits set, by adding neighbouring counts: std::popcount
    // would call a library function, as the baseline has no instruction.
    static int count(std::uint64_t x) {
        x -= (x >> 1) & 0x5555555555555555u;
        x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
        return static_cast<int>((x * 0x0101010101010101u) >> 56);
    }
};

// The run is passed 64 bytes of the block at a time: finding every line
// feed and ';' of 64 bytes at once leaves one unforeseeable branch per run
// of comments instead of one per line. Only whole windows before the next
// special byte are looked at, so nothing past what the block holds is read.
// Always inlined, so that it is compiled for its caller's instruction set.
template <typename Simd>
[[gnu::always_inline]] inline std::size_t comment_run(Reader& r) {
    const char* block = r.block.get();
    std::size_t lines = 0;
    std::size_t start = r.blkpos;  // of the comment line not yet passed
    std::size_t window = r.blkpos & ~std::size_t{63};
    std::uint64_t fresh = ~std::uint64_t{0} << (r.blkpos - window);  // bits not yet looked at
    bool line_at_window = false;  // a line starts at the window's first byte
    for (; window + 64 <= r.special; window += 64, fresh = ~std::uint64_t{0}) {
        const WindowBits bits = Simd::bits(block + window);
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
            lines += static_cast<std::size_t>(Simd::count(feeds & (~std::uint64_t{0} >> (63 - last))));
            start = window + static_cast<std::size_t>(last) + 1;
            break;
        }
        lines += static_cast<std::size_t>(Simd::count(feeds));
        start = window + 64 - static_cast<std::size_t>(std::countl_zero(feeds));
    }
    r.blkpos = start;
    return lines;
}

std::size_t comment_run_sse2(Reader& r) { return comment_run<Sse2>(r); }

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZEL_AVX2 1
// Thirty-two bytes at a time and a counting instruction, on the processors
// that have them (most made since 2013).
struct Avx2 {
    [[gnu::target("avx2")]] static WindowBits bits(const char* p) {
        const __m256i feed = _mm256_set1_epi8('\n');
        const __m256i semicolon = _mm256_set1_epi8(';');
        WindowBits bits;
        for (int k = 0; k < 2; ++k) {
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k));
            const unsigned feeds = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, feed)));
            const unsigned semicolons = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, semicolon)));
            bits.feeds |= static_cast<std::uint64_t>(feeds) << (32 * k);
            bits.semicolons |= static_cast<std::uint64_t>(semicolons) << (32 * k);
        }
        return bits;
    }
    [[gnu::target("popcnt")]] static int count(std::uint64_t x) { return __builtin_popcountll(x); }
};

[[gnu::target("avx2,popcnt,bmi")]] std::size_t comment_run_avx2(Reader& r) { return comment_run<Avx2>(r); }

bool has_avx2() {
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi");
}
#endif
#endif

}  // namespace

bool wide_scan_available() {
#if defined(ZEL_AVX2)
    static const bool available = has_avx2();
    return available;
#else
    return false;
#endif
}

std::size_t pass_comment_run(Reader& r, ScanWidth width) {
    if (r.blkpos >= r.special || r.block[r.blkpos] != ';' || r.cut)
        return 0;  // (a piece that continues a cut line is no comment line to an observer)
#if defined(ZEL_AVX2)
    if (width == ScanWidth::wide && wide_scan_available())
        return comment_run_avx2(r);
#else
    (void)width;
#endif
#if defined(__SSE2__)
    return comment_run_sse2(r);
#else
    return 0;
#endif
}

[[gnu::noinline]] std::size_t pass_comment_run(Reader& r) { return pass_comment_run(r, ScanWidth::wide); }

}  // namespace zel
