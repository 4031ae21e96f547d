// libFuzzer target: any bytes a scenario file may hold, through decoding and parsing.
#include "show/scenario/ScenarioParser.h"
#include "support/text/TextEncoding.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

size_t Characters(std::string_view utf8)
{
    size_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text = kv::DecodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<kv::TCue> cues;
    const size_t badLine = kv::ParseScenarioText(text, cues);
    if (badLine != 0) {
        Require(cues.empty());
        Require(badLine <= text.size());
        return 0;
    }
    for (const kv::TCue& cue : cues) {
        // Cuts must leave whole characters within their limits.
        Require(Characters(cue.timeText) <= 32 && kv::IsValidUtf8(cue.timeText));
        Require(Characters(cue.note) <= 255 && kv::IsValidUtf8(cue.note));
        Require(cue.IsFiring() || cue.IsMotor());
        if (cue.IsExecutable())
            Require(cue.module >= 0 && cue.module <= 255 &&
                    (cue.IsMotor() || (cue.channel >= 0 && cue.channel < 512)));
    }
    return 0;
}
