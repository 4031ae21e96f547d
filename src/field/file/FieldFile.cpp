#include "field/file/FieldFile.h"

#include "field/file/FieldText.h"
#include "field/file/SectionReader.h"
#include "field/devices/SimModule.h"
#include "field/devices/SimRadio.h"
#include "field/devices/SimRemote.h"
#include "field/devices/SimStation.h"

#include <cmath>
#include <fstream>

namespace kv {

namespace {

constexpr int kMostSections = 999;
constexpr int kMostConverters = 16;
// 1 %: no module's crystal is that far off, and -1e6 ppm would stop its clock dead.
constexpr double kMostDriftPpm = 10000;

std::vector<double> ChannelOhms(TSectionReader& r, int channels)
{
    std::vector<double> ohms(static_cast<size_t>(channels), r.Decimal("Resistance", 8.0));
    const auto set = [&](int number, double value, const char* key) {
        if (number < 1 || number > channels)
            r.Fail(key);
        else
            ohms[static_cast<size_t>(number - 1)] = value;
    };
    for (const auto& [number, value] : r.Parsed("Resistances", std::vector<std::pair<int, double>>{}, ParsePairs))
        set(number, value, "Resistances");
    for (const int number : r.Parsed("Open", std::vector<int>{}, ParseNumberList))
        set(number, kOpenOhms, "Open");
    for (const int number : r.Parsed("Short", std::vector<int>{}, ParseNumberList))
        set(number, 0.0, "Short");
    return ohms;
}

std::unique_ptr<TSimDevice> ReadModule(TSectionReader& r, TModuleKind kind, int converter)
{
    TModuleSetup s;
    s.kind = kind;
    s.converter = converter;
    s.address = static_cast<int>(r.Whole("Address", 1, 1, 239));
    s.version = r.Version("Version", s.version);
    s.channels = static_cast<int>(r.Whole("Channels", kind == TModuleKind::Ordinary ? 16 : 4, 0, 512));
    s.trailer = static_cast<int>(r.Whole("Trailer", -1, -1, 255));
    const std::string letter = r.Text("KindLetter");
    if (letter.size() > 1)
        r.Fail("KindLetter");
    s.kindLetter = letter.size() == 1 ? letter[0] : 0;
    s.answersClockQuery = r.Flag("ClockQuery", true);
    s.outputVolts = r.Decimal("Output", kind == TModuleKind::HighVoltage ? 0.0 : s.outputVolts);
    s.supplyVolts = r.Decimal("Supply", s.supplyVolts);
    s.temperature = static_cast<int>(r.Whole("Temperature", s.temperature, -99, 99));
    s.channelOhms = ChannelOhms(r, s.channels);
    const std::string mode = r.Text("Mode", "fire");
    if (mode != "fire" && mode != "test")
        r.Fail("Mode");
    s.fireMode = mode != "test";
    s.boostOff = !r.Flag("Boost", true);
    s.records = static_cast<int>(r.Whole("Records", -1, -1, 65535));
    s.eraseMs = static_cast<int>(r.Whole("EraseMs", s.eraseMs, 0, 60'000));
    s.fastEraseMs = static_cast<int>(r.Whole("FastEraseMs", s.fastEraseMs, 0, 60'000));
    s.hvSetting = static_cast<int>(r.Whole("HVSetting", s.hvSetting, 0, 255));
    s.clockDriftPpm = r.Decimal("ClockDrift", 0);
    if (!(std::abs(s.clockDriftPpm) <= kMostDriftPpm)) {
        r.Fail("ClockDrift");
        s.clockDriftPpm = 0;
    }
    s.blackBoxEntries = static_cast<int>(r.Whole("BlackBox", 0, 0, 7936));
    return std::make_unique<TSimModule>(s);
}

std::unique_ptr<TSimDevice> ReadDevice(TSectionReader& r, const std::string& kind)
{
    const int converter = static_cast<int>(r.Whole("Converter", 0, 0, kMostConverters - 1));
    if (kind == "module")
        return ReadModule(r, TModuleKind::Ordinary, converter);
    if (kind == "hv")
        return ReadModule(r, TModuleKind::HighVoltage, converter);
    if (kind == "motor")
        return ReadModule(r, TModuleKind::Motor, converter);
    if (kind == "radio") {
        const int address = static_cast<int>(r.Whole("Address", 240, 240, 254));
        return std::make_unique<TSimRadio>(address, converter, r.Version("Version", 0x100));
    }
    if (kind == "remote") {
        TRemoteSetup s;
        s.converter = converter;
        s.version = r.Version("Version", s.version);
        s.records = static_cast<int>(r.Whole("Records", s.records, 0, 65535));
        s.eraseMs = static_cast<int>(r.Whole("EraseMs", s.eraseMs, 0, 60'000));
        s.writeMode = r.Flag("WriteMode", false);
        return std::make_unique<TSimRemote>(s);
    }
    if (kind == "station") {
        TStationSetup s;
        s.converter = converter;
        s.stationId = static_cast<int>(r.Whole("StationId", s.stationId, 1, 255));
        s.programVersion = static_cast<int>(r.Whole("ProgramVersion", 1, 0, 255));
        s.launchState = static_cast<int>(r.Whole("LaunchState", 0, 0, 15));
        s.firingMode = static_cast<int>(r.Whole("FiringMode", 0, 0, 15));
        s.controlMode = static_cast<int>(r.Whole("ControlMode", 0, 0, 15));
        s.answerDelayMs = static_cast<int>(r.Whole("AnswerDelay", -1, -1, 149));
        return std::make_unique<TSimStation>(s);
    }
    r.Fail("Kind");
    return nullptr;
}

void ReadFaults(TSectionReader& r, TSimDevice& device, TField& field)
{
    if (r.Has("Turnaround"))
        device.SetTurnaroundNs(static_cast<int64_t>(r.Decimal("Turnaround", 2) * 1e6));
    TDeviceFaults& faults = device.Faults();
    using TSpan = std::pair<int64_t, std::optional<int64_t>>;
    if (const auto silent = r.Parsed("Silent", std::optional<TSpan>{}, ParseSpan)) {
        faults.silentFromNs = field.StartNs() + silent->first * 1'000'000;
        if (silent->second)
            faults.silentUntilNs = field.StartNs() + *silent->second * 1'000'000;
    }
    faults.badCheckReplies = static_cast<int>(r.Whole("BadCheck", 0, 0, 1'000'000));
    faults.shortReplies = static_cast<int>(r.Whole("ShortReply", 0, 0, 1'000'000));
    faults.missedStops = static_cast<int>(r.Whole("MissedStops", 0, 0, 1'000'000));
    for (const int ms : r.Parsed("Announce", std::vector<int>{}, ParseNumberList))
        field.Announce(device.Address(), ms);
}

void ReadEvent(TSectionReader& r, TField& field)
{
    const int64_t at = r.Whole("At", 0, 0, INT32_MAX);
    const int converter = static_cast<int>(r.Whole("Converter", 0, 0, kMostConverters - 1));
    const int64_t t = r.Whole("Time", 0, 0, 6'553'500) / 100;
    const auto hi = static_cast<uint8_t>(t >> 8);
    const auto lo = static_cast<uint8_t>(t);
    const auto station = static_cast<uint8_t>(r.Whole("StationId", 200, 1, 255));
    const auto ask = static_cast<uint8_t>(r.Whole("Ask", 0, 0, 255));
    const std::string type = r.Text("Type");
    if (type == "clock-start" || type == "clock-stop") {
        const auto address = static_cast<uint8_t>(r.Whole("Address", 0, 0, 254));
        field.InjectFrame(converter, at,
                          MakeWireFrame(0x90, hi, lo, type == "clock-start" ? 0x80 : 0, 0, address));
    } else if (type == "start-notice" || type == "stop-notice") {
        field.InjectFrame(converter, at,
                          MakeWireFrame(type == "start-notice" ? 0x10 : 0x11, hi, lo, station, 0, 255));
    } else if (type == "station-search") {
        field.InjectFrame(converter, at, MakeWireFrame(0x01, 0, 0, station, ask, 255));
    } else if (type == "status-query") {
        field.InjectFrame(converter, at, MakeWireFrame(0x03, 0, 0, station, ask, 255));
    } else if (type == "frame") {
        const auto bytes = r.Parsed("Bytes", std::vector<uint8_t>{}, ParseBytes);
        if (bytes.size() != 6)
            r.Fail("Bytes");
        else
            field.InjectFrame(converter, at, MakeWireFrame(bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]));
    } else if (type == "noise") {
        field.InjectNoise(converter, at, r.Parsed("Bytes", std::vector<uint8_t>{}, ParseBytes));
    } else if (type == "unplug") {
        field.Unplug(converter, at);
    } else if (type == "plug") {
        field.Plug(converter, at);
    } else if (type == "announce") {
        field.Announce(static_cast<int>(r.Whole("Address", 1, 1, 239)), at);
    } else {
        r.Fail("Type");
    }
}

}  // namespace

int BuildField(const TIniFile& file, TField& field, std::string& problem)
{
    problem.clear();
    TSectionReader bus(file, "field", problem);
    field.SetBaud(static_cast<int>(bus.Whole("Baud", 19200, 300, 1'000'000)));
    field.SetTurnaroundUs(static_cast<int64_t>(bus.Decimal("Turnaround", 2) * 1000));
    field.SetConverterCount(static_cast<int>(bus.Whole("Converters", 1, 0, kMostConverters)));
    for (int i = 0; i < kMostConverters; ++i) {
        const std::string name = "converter" + std::to_string(i);
        if (!file.HasSection(name))
            continue;
        TSectionReader r(file, name, problem);
        field.SetBadEcho(i, r.Flag("BadEcho", false));
        // Another station's converter on this line: each station hears the other's frames.
        const auto line = static_cast<int>(r.Whole("SameLineAs", i, 0, i));
        if (line != i)
            field.ShareLine(i, line);
    }
    for (int i = 1; i <= kMostSections; ++i) {
        const std::string name = "device" + std::to_string(i);
        if (!file.HasSection(name))
            continue;
        TSectionReader r(file, name, problem);
        auto device = ReadDevice(r, r.Text("Kind"));
        if (!device)
            continue;
        TSimDevice& added = *device;
        field.AddDevice(std::move(device));
        ReadFaults(r, added, field);
    }
    for (int i = 1; i <= kMostSections; ++i) {
        const std::string name = "event" + std::to_string(i);
        if (file.HasSection(name)) {
            TSectionReader r(file, name, problem);
            ReadEvent(r, field);
        }
    }
    return problem.empty() ? 0 : -1;
}

std::shared_ptr<TField> LoadField(const std::string& path, std::string& problem,
                                  std::shared_ptr<TFieldClock> clock)
{
    if (!std::ifstream(path)) {
        problem = path + ": cannot be read";
        return nullptr;
    }
    auto field = std::make_shared<TField>(clock ? std::move(clock) : std::make_shared<TSteadyFieldClock>());
    if (BuildField(TIniFile::Load(path), *field, problem) != 0) {
        problem = path + ": " + problem;
        return nullptr;
    }
    return field;
}

}  // namespace kv
