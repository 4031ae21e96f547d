// libFuzzer target: any sound on the timecode input, as 8-bit samples in 10 ms blocks of
// virtual time, through the decoder and the chase of a show that follows it. The first byte
// picks the settings. The show clock given never steps back, and the quality stays a share.
#include "FuzzRequire.h"
#include "show/timecode/TimecodeChase.h"
#include "show/timecode/TimecodeInput.h"
#include "support/platform/VirtualPlatform.h"

#include <cstdint>
#include <vector>

using kv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    kv::TVirtualPlatform platform(0xFFFFFFFFu - 3000);
    kv::InstallPlatform(&platform);
    {
        kv::TTimecodeSettings settings;
        constexpr kv::TTimecodeRate kRates[] = {kv::TTimecodeRate::Auto, kv::TTimecodeRate::Fps24,
                                                kv::TTimecodeRate::Fps25,
                                                kv::TTimecodeRate::Fps2997Drop,
                                                kv::TTimecodeRate::Fps30};
        settings.rate = kRates[data[0] % 5];
        settings.lockFrames = 2 + (data[0] >> 3 & 7);
        settings.onLoss = (data[0] & 0x80) ? kv::TTimecodeLoss::Stop : kv::TTimecodeLoss::Freewheel;
        settings.jumpLimitMs = (data[0] & 0x40) ? 0 : 250;
        kv::TTimecodeInput input(48000);
        kv::TTimecodeChase chase(input, settings);
        std::vector<float> block;
        int32_t shown = 0;
        for (size_t at = 1; at < size; at += 480) {
            block.clear();
            for (size_t i = at; i < size && i < at + 480; ++i)
                block.push_back(static_cast<int8_t>(data[i]) / 127.0f);
            platform.Advance(10);
            const uint32_t now = platform.TickCount();
            input.Write(block.data(), block.size(), now);
            if (!chase.Following()) {
                chase.Poll(now);
                if (const auto heard = chase.Heard(now)) {
                    chase.Follow(*heard, now);
                    shown = *heard;
                }
            } else {
                const kv::TTimecodeChase::TLook look = chase.Look(now);
                Require(look.time >= shown);
                shown = look.time;
            }
            const int quality = chase.Quality(now);
            Require(quality >= 0 && quality <= 100);
        }
    }
    kv::InstallPlatform(nullptr);
    return 0;
}
