#include "support/text/CsvReader.h"

#include <algorithm>
#include <array>

namespace kv {

namespace {

constexpr size_t kLinesToGuessFrom = 10;

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Moves pos past one line end (CR LF, LF or CR).
void SkipLineEnd(std::string_view text, size_t& pos)
{
    if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
        ++pos;
    ++pos;
}

bool IsBlankRow(const std::vector<std::string>& fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const std::string& field) {
        return field.find_first_not_of(" \t") == std::string::npos;
    });
}

class TCsvCursor {
public:
    TCsvCursor(std::string_view text, char delimiter) : text_(text), delimiter_(delimiter) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    size_t Line() const { return line_; }

    // Reads one row and its line end.
    std::vector<std::string> NextRow()
    {
        std::vector<std::string> fields(1);
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (IsLineEnd(c)) {
                SkipLineEnd(text_, pos_);
                ++line_;
                break;
            }
            if (c == delimiter_) {
                fields.emplace_back();
                ++pos_;
            } else if (c == '"' && fields.back().find_first_not_of(' ') == std::string::npos) {
                fields.back() = Quoted();
            } else {
                fields.back() += c;
                ++pos_;
            }
        }
        return fields;
    }

private:
    // From the opening quote to the closing one; what follows it up to the delimiter is kept.
    std::string Quoted()
    {
        std::string field;
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                    field += '"';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return field;
            }
            if (IsLineEnd(c)) {
                // A line end inside quotes belongs to the field, as one LF.
                SkipLineEnd(text_, pos_);
                ++line_;
                field += '\n';
                continue;
            }
            field += c;
            ++pos_;
        }
        return field;
    }

    std::string_view text_;
    char delimiter_;
    size_t pos_ = 0;
    size_t line_ = 1;
};

}  // namespace

std::array<char, 3> DelimitersByCount(std::string_view text)
{
    constexpr std::array<char, 3> kCandidates = {',', ';', '\t'};
    std::array<size_t, 3> counts{};
    bool quoted = false;
    size_t lines = 0;
    for (size_t pos = 0; pos < text.size() && lines < kLinesToGuessFrom; ++pos) {
        const char c = text[pos];
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && IsLineEnd(c))
            ++lines;
        for (size_t i = 0; i < kCandidates.size(); ++i)
            counts[i] += !quoted && c == kCandidates[i];
    }
    std::array<size_t, 3> order = {0, 1, 2};
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return counts[a] > counts[b]; });
    return {kCandidates[order[0]], kCandidates[order[1]], kCandidates[order[2]]};
}

std::vector<TCsvRow> ReadCsv(std::string_view text, char delimiter)
{
    std::vector<TCsvRow> rows;
    TCsvCursor cursor(text, delimiter);
    while (!cursor.AtEnd()) {
        const size_t line = cursor.Line();
        std::vector<std::string> fields = cursor.NextRow();
        if (!IsBlankRow(fields))
            rows.push_back({line, std::move(fields)});
    }
    return rows;
}

}  // namespace kv
