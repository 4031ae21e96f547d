#include "support/lang/Localizer.h"

#include "support/text/Conversions.h"
#include "support/text/IniFile.h"

#include <mutex>
#include <vector>

namespace kv {

namespace {

// Texts may be composed on the port thread while the main thread loads the table.
struct TMessageTable {
    std::mutex lock;
    std::vector<std::string> texts;
    std::string languageFile;
};

TMessageTable& Table()
{
    static TMessageTable table;
    return table;
}

}  // namespace

std::string Localize(int id, const std::string& defaultText)
{
    TMessageTable& table = Table();
    std::lock_guard guard(table.lock);
    if (id < 0 || static_cast<size_t>(id) >= table.texts.size())
        return defaultText;
    return table.texts[static_cast<size_t>(id)];
}

std::string LanguageFile()
{
    TMessageTable& table = Table();
    std::lock_guard guard(table.lock);
    return table.languageFile.empty() ? AppFolder() + "kvshow.lng" : table.languageFile;
}

void SetLanguageFile(const std::string& path)
{
    TMessageTable& table = Table();
    std::lock_guard guard(table.lock);
    table.languageFile = path;
}

void LoadMessageTable()
{
    {
        std::lock_guard guard(Table().lock);
        if (!Table().texts.empty())
            return;
    }
    // Looked up by key, a repeated key name would give every entry the first one's text.
    std::vector<std::string> texts = TIniFile::Load(LanguageFile()).Values("strings");

    TMessageTable& table = Table();
    std::lock_guard guard(table.lock);
    if (table.texts.empty())
        table.texts = std::move(texts);
}

void ResetMessageTable()
{
    TMessageTable& table = Table();
    std::lock_guard guard(table.lock);
    table.texts.clear();
}

}  // namespace kv
