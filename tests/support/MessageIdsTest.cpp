// A language file translates by id: two texts on one id would show one in place of the other.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace kv {
namespace {

TEST(MessageIds, EveryAddedTextHasAnIdOfItsOwnAfterTheOriginalTable)
{
    std::ifstream file(KV_SOURCE_DIR "/src/support/AddedMessages.h");
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

}  // namespace
}  // namespace kv
