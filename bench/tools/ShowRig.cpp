#include "ShowRig.h"

#include "field/file/FieldFile.h"
#include "field/bus/FieldPort.h"
#include "support/platform/Platform.h"

#include <QEventLoop>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace kv {

namespace {

constexpr uint8_t kFireCode = 0x84;

std::string CueTimeText(int32_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%02d", ms / 60000, ms / 1000 % 60, ms % 1000 / 10);
    return text;
}

std::unique_ptr<TShowRig>& RigInstance()
{
    static std::unique_ptr<TShowRig> rig;
    return rig;
}

}  // namespace

TShowRig::TShowRig()
{
    const std::string path = "/tmp/kv-firing-timing-field.ini";
    {
        std::ofstream file(path);
        file << "[field]\nConverters=1\nBaud=19200\n";
        for (int module = 1; module <= kRigModules; ++module)
            file << "[device" << module << "]\nKind=module\nAddress=" << module
                 << "\nVersion=46B\nChannels=" << kRigChannels << "\n";
    }
    std::string problem;
    field = LoadField(path, problem);
    port = std::make_unique<TPortProto>(std::make_unique<TFieldPort>(field));
    controls = std::make_unique<TControls>(*port);
    player = std::make_unique<TExtPlayer>(*controls, *port);
    port->OnFrameFrom = [this](const TFrameRecord& frame, int converter) {
        controls->HandleUnsolicitedFrame(frame, converter);
        player->HandleMessage(frame);
    };
    port->Start();
    for (int module = 1; module <= kRigModules; ++module)
        controls->AddOrRefresh(module, 0);
    player->OnIdle = [this, next = 0]() mutable {
        controls->DeviceAt(next++ % controls->Count())->Poll();
    };
    player->OnChecked = [](int, int) {};
}

TShowRig::~TShowRig()
{
    port->Stop();
}

void TShowRig::SetAttemptMode(int mode)
{
    for (int index = 0; index < controls->Count(); ++index)
        controls->DeviceAt(index)->attemptMode = mode;
}

void TShowRig::Load(const std::vector<TPlannedCue>& cues)
{
    const std::string path = "/tmp/kv-firing-timing-show.txt";
    {
        std::ofstream file(path);
        for (const TPlannedCue& cue : cues)
            file << CueTimeText(cue.time) << '\t' << cue.module << '\t' << cue.channel + 1 << '\n';
    }
    scenario.Load(path);
    TShowSetup setup = player->Setup();
    setup.scenario = &scenario;
    // Loaded between shows: Play runs each to its end.
    static_cast<void>(player->Configure(setup));
}

bool TShowRig::SetControl(uint8_t mode)
{
    TShowSetup setup = player->Setup();
    setup.controlMode = mode;
    return player->Configure(setup);
}

uint32_t TShowRig::Play(const std::vector<TPlannedCue>& cues, int32_t tempo, int32_t offset,
                        int32_t from)
{
    Load(cues);
    player->SetTempo(tempo);
    player->SetOffset(offset);
    QEventLoop loop;
    player->OnStateChange = [&] {
        if (!player->IsRunning())
            loop.quit();
    };
    field->ClearRecord();
    const uint32_t start = Platform().TickCount();
    player->Start(from);
    loop.exec();
    return start;
}

TShowRig& Rig()
{
    if (!RigInstance())
        RigInstance() = std::make_unique<TShowRig>();
    return *RigInstance();
}

void ReleaseRig()
{
    RigInstance().reset();
}

std::vector<TPlannedCue> SteppedCues(int count, uint32_t seed, int steps, int stepMs)
{
    std::vector<TPlannedCue> cues;
    int32_t time = 1000;
    for (int i = 0; i < count; ++i) {
        // A scenario keeps centiseconds: a cue planned at 41 579 ms would fire at 41 570 ms
        // and be measured against the later moment.
        cues.push_back({time / 10 * 10, i % kRigModules + 1, i / kRigModules % kRigChannels});
        seed = seed * 1103515245u + 12345u;
        time += 150 + static_cast<int32_t>(seed >> 8) % steps * stepMs;
    }
    return cues;
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const size_t at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

void CountSpread(benchmark::State& state, const std::string& prefix,
                 const std::vector<double>& values)
{
    if (values.empty())
        return;
    state.counters[prefix + "min_ms"] = *std::min_element(values.begin(), values.end());
    state.counters[prefix + "p50_ms"] = Percentile(values, 0.5);
    state.counters[prefix + "p99_ms"] = Percentile(values, 0.99);
    state.counters[prefix + "max_ms"] = *std::max_element(values.begin(), values.end());
}

std::map<std::pair<int, int>, TFrameEntry> FirstFireFrames(TField& field)
{
    std::map<std::pair<int, int>, TFrameEntry> first;
    for (const TFrameEntry& entry : field.Frames()) {
        if (entry.origin != TFrameOrigin::Pc || entry.bytes.size() < 6 ||
            entry.bytes[0] != kFireCode || (entry.bytes[4] & 0x80))
            continue;  // the set-charge form carries bit 7 in byte 4
        const int channel = entry.bytes[1] + (entry.bytes[2] << 8) - 1;
        first.try_emplace({entry.bytes[5], channel}, entry);
    }
    return first;
}

void WriteWav(const std::string& path, uint32_t rate, const std::vector<int16_t>& samples)
{
    const auto bytes = static_cast<uint32_t>(samples.size() * 2);
    std::ofstream file(path, std::ios::binary);
    const auto put = [&file](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            file.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    file << "RIFF";
    put(36 + bytes, 4);
    file << "WAVEfmt ";
    put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
    file << "data";
    put(bytes, 4);
    for (const int16_t sample : samples)
        put(static_cast<uint16_t>(sample), 2);
}

}  // namespace kv
