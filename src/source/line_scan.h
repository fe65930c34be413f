// Searches of the source block that look at many bytes at a time.
#pragma once

#include <cstddef>

namespace zel {

struct Reader;

// Offset of the first line feed among the n bytes at p, or n when there is none.
std::size_t find_line_feed(const char* p, std::size_t n);

// Passes a run of comment lines from blkpos and returns how many it passed:
// the lines that passing them one by one would pass, each a ';' line that
// lies whole in the block before the next special byte and is shorter than
// a line piece. It may stop early, near the end of what the block holds;
// the rest of the run is left to the caller.
std::size_t pass_comment_run(Reader& r);

// The same 16 bytes at a time (narrow), or 32 where the processor can
// (wide, what pass_comment_run does); without SSE2 it passes nothing.
enum class ScanWidth { narrow, wide };
std::size_t pass_comment_run(Reader& r, ScanWidth width);
bool wide_scan_available();

}  // namespace zel
