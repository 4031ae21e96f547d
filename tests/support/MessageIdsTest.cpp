// A language file translates by id: two texts on one id would show one in place of the other.
#include "support/lang/MessageCatalog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace kv {
namespace {

TEST(MessageIds, EveryAddedTextHasAnIdOfItsOwnAfterTheOriginalTable)
{
    std::ifstream file(KV_SOURCE_DIR "/src/support/lang/AddedMessages.h");
    ASSERT_TRUE(file.good());
    std::stringstream text;
    text << file.rdbuf();
    const std::string source = text.str();
    const std::regex message(R"(TMessage\s+(\w+)\s*\{\s*(\d+)\s*,)");
    std::map<int, std::string> owners;
    int count = 0;
    for (auto it = std::sregex_iterator(source.begin(), source.end(), message);
         it != std::sregex_iterator(); ++it) {
        ++count;
        const std::string name = (*it)[1];
        const int id = std::stoi((*it)[2]);
        EXPECT_GT(id, 96) << name << " takes an id of the original table";
        const auto [owner, added] = owners.emplace(id, name);
        EXPECT_TRUE(added) << name << " and " << owner->second << " share id " << id;
    }
    EXPECT_GT(count, 100);  // the pattern still finds the table
}

std::string Source(const std::filesystem::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The language template and the check of shipped languages read the catalog: a text the code
// composes that it lacks would be left untranslated unnoticed.
TEST(MessageIds, TheCatalogHoldsEveryTextTheCodeComposesUnderItsId)
{
    std::map<int, std::vector<std::string>> catalog;
    for (const TMessage& message : MessageCatalog())
        catalog[message.id].push_back(message.text);
    EXPECT_EQ(MessageCount(), catalog.rbegin()->first + 1);

    const std::string added = Source(KV_SOURCE_DIR "/src/support/lang/AddedMessages.h");
    const std::regex declared(R"(TMessage\s+\w+\s*\{\s*(\d+)\s*,)");
    int addedCount = 0;
    for (auto it = std::sregex_iterator(added.begin(), added.end(), declared);
         it != std::sregex_iterator(); ++it, ++addedCount)
        EXPECT_TRUE(catalog.count(std::stoi((*it)[1]))) << "id " << (*it)[1] << " not in the catalog";
    EXPECT_EQ(addedCount, MessageCount() - 97);

    const std::regex composed(R"re(Localize\(\s*(\d+)\s*,\s*"((?:[^"\\]|\\.)*)")re");
    int composedCount = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(KV_SOURCE_DIR "/src")) {
        const std::string source = Source(entry.path());
        for (auto it = std::sregex_iterator(source.begin(), source.end(), composed);
             it != std::sregex_iterator(); ++it, ++composedCount) {
            std::string text = std::regex_replace((*it)[2].str(), std::regex(R"(\\")"), "\"");
            const auto& texts = catalog[std::stoi((*it)[1])];
            EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end())
                << entry.path() << ": id " << (*it)[1] << " \"" << text << "\"";
        }
    }
    EXPECT_GT(composedCount, 80);  // the pattern still finds the calls
}

}  // namespace
}  // namespace kv
