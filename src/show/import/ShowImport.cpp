#include "show/import/ShowImport.h"

#include "show/import/ScriptText.h"
#include "support/lang/AddedMessages.h"
#include "support/text/CsvReader.h"

#include <algorithm>

namespace kv {

TImportResult ImportShowScript(std::string_view bytes, const TImportOptions& options)
{
    TImportResult result;
    const std::string text = DecodeScriptText(bytes);
    // The delimiter is the one the header is written with: decimal commas in the rows may
    // outnumber it.
    std::vector<TCsvRow> rows;
    std::optional<TScriptHeader> header;
    for (const char delimiter : DelimitersByCount(text)) {
        rows = ReadCsv(text, delimiter);
        header = FindScriptHeader(rows, options.format);
        if (header)
            break;
    }
    if (!header) {
        result.problem = Localize(kMsgImportUnknownFormat);
        return result;
    }
    result.format = header->format;
    const std::vector<std::string>& headerCells = rows[header->row].fields;
    const TRowMapping mapping(header->format, headerCells, options);
    if (!mapping.Problem().empty()) {
        result.problem = mapping.Problem();
        return result;
    }
    std::vector<TScriptRow> taken;
    for (size_t index = header->row + 1; index < rows.size(); ++index) {
        // Scripts joined into one file repeat the header.
        if (rows[index].fields == headerCells)
            continue;
        TScriptRow row;
        std::string reason;
        switch (mapping.Map(rows[index], row, reason)) {
        case TRowVerdict::Taken:
            taken.push_back(std::move(row));
            break;
        case TRowVerdict::Refused:
            result.refused.push_back({rows[index].line, std::move(reason)});
            break;
        case TRowVerdict::UnitInDoubt:
            // Rows the doubt does not show in are no safer: nothing is taken.
            result.problem = std::move(reason);
            result.refused.clear();
            return result;
        }
    }
    result.cues = MergeScriptRows(taken, result.refused);
    std::stable_sort(result.refused.begin(), result.refused.end(),
                     [](const auto& a, const auto& b) { return a.line < b.line; });
    if (result.cues.empty() && result.refused.empty())
        result.problem = Localize(kMsgImportNoCues);
    return result;
}

}  // namespace kv
