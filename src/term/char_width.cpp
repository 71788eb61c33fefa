#include "term/char_width.h"

#include <algorithm>
#include <iterator>

namespace term_internal {

namespace {

struct Range {
    std::uint32_t first;
    std::uint32_t last;
};

constexpr Range one_column_ranges[] = {
#include "term/one_column_ranges.inc"
};

static_assert(std::is_sorted(std::begin(one_column_ranges), std::end(one_column_ranges),
                             [](const Range& a, const Range& b) { return a.last < b.first; }));

}  // namespace

bool is_one_column(std::uint32_t ch) {
    if (ch < 0x80) return ch >= 0x20 && ch < 0x7F;
    const Range* end = std::end(one_column_ranges);
    const Range* range =
        std::lower_bound(std::begin(one_column_ranges), end, ch,
                         [](const Range& r, std::uint32_t c) { return r.last < c; });
    return range != end && range->first <= ch;
}

}  // namespace term_internal
