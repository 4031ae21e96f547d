#pragma once
// Rows of delimited text as spreadsheets write them: comma, semicolon or tab between fields;
// CR, LF or CR LF between rows; a field in double quotes may hold the delimiter, a line end
// and doubled quotes.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct TCsvRow {
    size_t line = 0;  // one-based, the line the row begins on
    std::vector<std::string> fields;
};

// Comma, semicolon and tab, the one found most often outside quotes in the first lines first.
std::array<char, 3> DelimitersByCount(std::string_view text);
// Rows whose fields are all blank are left out; the line numbers still count them.
std::vector<TCsvRow> ReadCsv(std::string_view text, char delimiter);

}  // namespace kv
