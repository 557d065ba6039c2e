// Listing text of any shape: every line is parsed by the rules of every format, and
// the columns stay parallel.
#include "Listing.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool vms = data[0] & 1;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    ListingColumns columns;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find('\n', start);
        const std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        columns.names.emplace_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    for (ListingTexts* l :
         {&columns.sizes, &columns.types, &columns.dates, &columns.times, &columns.linkTargets,
          &columns.attributes, &columns.owners, &columns.groups}) {
        l->assign(columns.names.size(), std::string());
    }
    ParseListing(columns, vms, 2024);
    for (const ListingTexts* l :
         {&columns.sizes, &columns.types, &columns.dates, &columns.times, &columns.linkTargets,
          &columns.attributes, &columns.owners, &columns.groups}) {
        if (l->size() != columns.names.size()) std::abort();
    }
    return 0;
}
