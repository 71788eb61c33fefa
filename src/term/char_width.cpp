#include "term/char_width.h"

#include <algorithm>
#include <iterator>

#include "term/one_column_ranges.h"

namespace term_internal {

namespace {

static_assert(std::is_sorted(std::begin(one_column_ranges), std::end(one_column_ranges),
                             [](const CodePointRange& a, const CodePointRange& b) {
                                 return a.last < b.first;
                             }));

}  // namespace

bool is_one_column(std::uint32_t ch) {
    if (ch < 0x80) return ch >= 0x20 && ch < 0x7F;
    const CodePointRange* end = std::end(one_column_ranges);
    const CodePointRange* range =
        std::lower_bound(std::begin(one_column_ranges), end, ch,
                         [](const CodePointRange& r, std::uint32_t c) { return r.last < c; });
    return range != end && range->first <= ch;
}

}  // namespace term_internal
