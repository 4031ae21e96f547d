#include "support/text/DivStrings.h"

namespace kv {

TDivStrings::TDivStrings(std::string_view text, char divider)
{
    size_t start = 0;
    for (size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == divider) {
            items_.emplace_back(text.substr(start, pos - start));
            start = pos + 1;
        }
    }
    items_.emplace_back(text.substr(start));
}

}  // namespace kv
