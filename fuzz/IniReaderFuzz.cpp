// libFuzzer target: any bytes a settings or language file may hold, decoded and read as INI.
#include "support/IniFile.h"
#include "support/TextEncoding.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text =
        kv::DecodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    Require(kv::IsValidUtf8(text));
    const kv::TIniFile ini = kv::TIniFile::Parse(text);
    for (const char* section : {"strings", "settings", "keys", "forms", "buttons"}) {
        for (const std::string& key : ini.Keys(section)) {
            Require(ini.HasKey(section, key));
            ini.ReadString(section, key, "");
            ini.ReadInteger(section, key, 0);
        }
    }
    return 0;
}
