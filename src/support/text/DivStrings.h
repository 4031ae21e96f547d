#pragma once
// A string list cut at a divider: each divider ends an item and the text after the last one
// is the last item, so n dividers give n + 1 items and an empty text one empty item.

#include <string>
#include <string_view>
#include <vector>

namespace kv {

class TDivStrings {
public:
    explicit TDivStrings(std::string_view text, char divider = ',');

    const std::string& Get(size_t index) const { return items_[index]; }
    size_t Count() const { return items_.size(); }
    const std::vector<std::string>& Items() const { return items_; }

private:
    std::vector<std::string> items_;
};

// The scenario parser's name for the same list.
using TZkStrings = TDivStrings;

}  // namespace kv
