#include "console/app/ViewState.h"

#include "support/text/IniFile.h"

#include <cstdio>
#include <fstream>

namespace kv {

namespace {

constexpr char kSection[] = "console";

}  // namespace

TViewState::TViewState(std::string path) : path_(std::move(path))
{
    const TIniFile file = TIniFile::Load(path_);
    const auto keys = file.Keys(kSection);
    const auto values = file.Values(kSection);
    for (size_t i = 0; i < keys.size() && i < values.size(); ++i)
        values_[keys[i]] = values[i];
}

std::string TViewState::Read(const std::string& key) const
{
    const auto found = values_.find(key);
    return found == values_.end() ? std::string() : found->second;
}

bool TViewState::Write(const std::string& key, const std::string& value)
{
    values_[key] = value;
    const std::string fresh = path_ + ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        out << "[" << kSection << "]\n";
        for (const auto& [name, text] : values_)
            out << name << "=" << text << "\n";
        out.flush();
        if (!out)
            return false;
    }
    return std::rename(fresh.c_str(), path_.c_str()) == 0;
}

}  // namespace kv
