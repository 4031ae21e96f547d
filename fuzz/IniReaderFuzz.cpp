// libFuzzer target: any bytes a settings or language file may hold, decoded and read as INI.
#include "FuzzRequire.h"

#include "support/text/IniFile.h"
#include "support/text/TextEncoding.h"

#include <cstdint>
#include <string>
#include <string_view>

using kv::fuzz::Require;

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
