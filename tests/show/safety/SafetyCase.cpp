#include "show/safety/SafetyCase.h"

#include "devices/memory/ModuleTransfer.h"
#include "rigs/LtcSignal.h"
#include "show/safety/SafetyRules.h"
#include "rigs/ShowField.h"
#include "rigs/VirtualPlayback.h"

#include "rigs/SoundtrackFiles.h"
#include "devices/kinds/HVControl.h"
#include "field/bus/FieldClock.h"
#include "field/bus/FieldPort.h"
#include "field/rehearsal/Rehearsal.h"
#include "field/bus/WireFrame.h"
#include "show/player/launch/ShowLaunch.h"
#include "show/standby/Standby.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeChase.h"
#include "support/platform/VirtualPlatform.h"

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <sstream>

namespace kvtest {
namespace {

// Plain firing modules on converters 0 and 1, high-voltage ones on both, a motor module.
constexpr std::array<int, 2> kPlain{1, 2};
constexpr std::array<int, 2> kHighVoltage{3, 4};
constexpr int kMotor = 5;
constexpr int kPlainChannels = 128;
constexpr int kHighVoltageChannels = 8;
// The other slot's cues take the plain modules' last channels.
constexpr int kOtherSlotChannel = 120;
constexpr int kMinTempo = 900;
constexpr int kMaxTempo = 1100;
constexpr int kMaxOffsetMs = 1000;
constexpr int kSampleMs = 50;
const std::array<std::string, 3> kPositions{"", "Left", "Right"};
const std::array<std::string, 3> kMotorMoves{"#L#50", "#R#50", "#C#50"};
constexpr int kSoundLatencyMs = 30;
constexpr kv::TTimecodeLabel kDeskZero{1, 0, 0, 0};
constexpr int32_t kDeskCuedAtMs = -1500;
constexpr int32_t kDeskFrameMs = 40;

// Made once: ffmpeg for every case would cost more than the case.
const std::string& SoundtrackFile()
{
    static kv::TSoundtrackFolder folder;
    static const std::string file = folder.Make("safety.wav", 40, "", 8000);
    return file;
}

std::string Seconds(int32_t ms)
{
    std::ostringstream text;
    text << ms / 1000 << "." << (ms % 1000) / 100 << (ms % 100) / 10 << ms % 10;
    return text.str();
}

std::string CueLine(int32_t ms, int module, int channel, int position)
{
    const std::string time = Seconds(ms);
    std::string line = time + "\t" + std::to_string(module) + "\t" + std::to_string(channel + 1);
    if (position > 0)
        line += "\t|" + time + "|" + kPositions[static_cast<size_t>(position)] + "|Comet";
    return line + "\n";
}

std::string ScenarioText(const std::vector<TSafetyGroup>& groups)
{
    std::string text;
    int32_t time = 0;
    std::array<int, 2> plainNext{0, 0};
    std::array<int, 2> highNext{0, 0};
    int moves = 0;
    for (const TSafetyGroup& group : groups) {
        time += std::max(group.gapMs, 0);
        const int position = std::clamp(group.position, 0, 2);
        if (group.kind == 2) {
            text += Seconds(time) + " " + std::to_string(kMotor) + " " +
                    kMotorMoves[static_cast<size_t>(moves++ % 3)] + "\n";
            continue;
        }
        for (int i = 0; i < std::clamp(group.count, 1, 60); ++i) {
            const size_t side = static_cast<size_t>(i % 2);
            if (group.kind == 1 && highNext[side] < kHighVoltageChannels)
                text += CueLine(time, kHighVoltage[side], highNext[side]++, position);
            else if (plainNext[side] < kOtherSlotChannel)
                text += CueLine(time, kPlain[side], plainNext[side]++, position);
        }
    }
    return text;
}

// The standby station's own converters, on the PC's two lines.
constexpr int kStandbyConverter = 2;

bool FromTheStandby(const kv::TFrameEntry& frame)
{
    return frame.origin == kv::TFrameOrigin::Pc && frame.converter >= kStandbyConverter;
}

bool FromThePc(const kv::TFrameEntry& frame)
{
    return frame.origin == kv::TFrameOrigin::Pc && frame.converter < kStandbyConverter;
}

const std::string kOtherSlot = CueLine(300, kPlain[0], kOtherSlotChannel, 0) +
                               CueLine(300, kPlain[1], kOtherSlotChannel, 0) +
                               CueLine(900, kPlain[0], kOtherSlotChannel + 1, 0);

class TSafetyRun {
public:
    explicit TSafetyRun(const TSafetyCase& safetyCase) : case_(safetyCase)
    {
        kv::InstallPlatform(&platform_);
        clock_ = std::make_shared<kv::TPlatformFieldClock>();
        show_ = std::make_unique<TShowField>(clock_);
        show_->field->SetConverterCount(2);
        for (size_t side = 0; side < 2; ++side) {
            AddModule(kPlain[side], kv::TModuleKind::Ordinary, static_cast<int>(side), kPlainChannels);
            AddModule(kHighVoltage[side], kv::TModuleKind::HighVoltage, static_cast<int>(side),
                      kHighVoltageChannels);
        }
        AddModule(kMotor, kv::TModuleKind::Motor, 0, 16);
        // A standby's converters share the PC's lines; the PC has its own two only.
        show_->converters = {0, 1};
        show_->Connect();
        rehearsal_ = std::make_unique<kv::TRehearsal>(*show_->port, *show_->registry, clock_);
        for (const int address : kHighVoltage) {
            auto& module = show_->Device<kv::THVControl>(address);
            module.hvSetting = 1;
            // From memory a module fires every shot with the charge it holds: autonomous
            // shows of the first module, all one charge, play; those of the second, a charge
            // a channel, must not start.
            const bool oneCharge = case_.autonomous && address == kHighVoltage[0];
            for (int channel = 0; channel < kHighVoltageChannels; ++channel) {
                const int volts = oneCharge ? 100 : 50 * (channel + 1);
                EXPECT_EQ(module.ClassifyChannel(channel, volts * volts / 10.0, {}), kv::kLinkOk);
                record_.charges[{address, channel}] = volts;
            }
        }
        show_->LoadScenario(ScenarioText(case_.groups));
        other_.Load(show_->folder.Write("other.txt", kOtherSlot));
        slots_ = {&show_->scenario, &other_};
        for (int slot = 0; slot < 2; ++slot) {
            std::vector<int32_t> times;
            for (const kv::TCue& cue : slots_[static_cast<size_t>(slot)]->Cues()) {
                if (!cue.IsMotor())
                    record_.cues[{cue.module, cue.channel}] = {slot, static_cast<int32_t>(times.size()), cue.time};
                times.push_back(cue.time);
            }
            record_.slotTimes.push_back(times);
        }
        for (const auto& [channel, cue] : record_.cues)
            if (cue.slot == 0)
                handChannels_.push_back(channel);
        handChannels_.push_back({kPlain[0], kPlainChannels - 1});
        handChannels_.push_back({kHighVoltage[1], kHighVoltageChannels - 1});

        Reconfigure(Player(), &kv::TShowSetup::controlMode, case_.autonomous ? kv::kControlAutonomous : kv::kControlDirect);
        Reconfigure(Player(), &kv::TShowSetup::firingMode, static_cast<uint8_t>(std::clamp(case_.firingMode, 0, 2)));
        Player().OnIdle = [] {};
        show_->port->OnConverterBack = [this] { Player().ConverterBack(); };
        // As the console's port thread hands the bus's frames over.
        show_->port->OnFrameFrom = [this](const kv::TFrameRecord& frame, int converter) {
            show_->registry->HandleUnsolicitedFrame(frame, converter);
            Player().HandleMessage(frame);
        };
        if (case_.autonomous)
            written_ = kv::TModuleTransfer(*show_->registry).WriteScenario(kv::TCueView(show_->scenario.Cues()));
        if (case_.media == kMediaSoundtrack) {
            TOutputClock clock;
            clock.stalls = stalls_;
            output_ = std::make_unique<TVirtualSoundOutput>(kSoundLatencyMs, clock);
            Player().LoadSoundtrack(SoundtrackFile());
        }
        if (case_.media == kMediaTimecode)
            StartDesk();
        if (case_.standby)
            AddStandby();
        show_->field->ClearRecord();
    }
    ~TSafetyRun()
    {
        standby_.reset();
        standbyPlayer_.reset();
        standbyRegistry_.reset();
        standbyPort_.reset();
        arm_.reset();
        capture_.reset();
        show_.reset();
        output_.reset();
        kv::InstallPlatform(nullptr);
    }

    std::string Run(std::ostream* trace)
    {
        for (const TSafetyEvent& event : case_.events) {
            Pass(std::max(event.afterMs, 0));
            Apply(event);
        }
        Pass(2000);
        if (Player().IsRunning()) {
            Player().Stop(false);
            Stopped();
        }
        Pass(3000);
        EndRehearsalRecord();
        CloseReport();
        NoteClockStops();
        if (trace)
            Trace(*trace);
        return CheckSafetyRules(record_, show_->Shots());
    }
    // The frames that stop the modules' clocks or set them back: what a module fired just
    // before may be reported either way.
    void NoteClockStops()
    {
        constexpr int32_t kSetBackMs = 5;  // past a frame's way on the line
        std::optional<std::pair<int64_t, uint32_t>> running;  // ms sent, tick
        for (const kv::TFrameEntry& frame : show_->field->Frames()) {
            if (!FromThePc(frame) || frame.bytes.size() < 4 ||
                (frame.bytes[0] != 0x90 && frame.bytes[0] != 0x11))
                continue;
            const int64_t ms = (frame.bytes[1] * 256 + frame.bytes[2]) * int64_t{100};
            const bool start = frame.bytes[0] == 0x90 && (frame.bytes[3] & 0x80) != 0;
            // A time below where the clocks had run to sets them back: the report's doubt runs
            // up to the furthest they reached, also when the set-back was a few milliseconds
            // (a tenth was once required, and a cue fired 18 ms before a 50 ms set-back and
            // reported in doubt counted as a wrong report).
            const bool setBack = start && running &&
                                 ms + kSetBackMs < running->first + static_cast<int32_t>(frame.Tick() - running->second);
            if (!start || setBack)
                record_.clockStops.push_back(frame.Tick());
            running.reset();
            if (start)
                running = std::pair{ms, frame.Tick()};
        }
    }
    void Trace(std::ostream& os)
    {
        for (const kv::TFrameEntry& frame : show_->field->Frames())
            os << kv::DescribeFrame(frame) << "\n";
        for (const kv::TShotEntry& shot : show_->Shots())
            os << kv::DescribeShot(shot) << "\n";
        for (const TShowWindow& window : record_.windows) {
            os << "show " << window.start << "-" << window.end << " slot " << window.slot << ":";
            for (const kv::TCueRecord& cue : window.report)
                os << " " << static_cast<int>(cue.outcome) << "/" << static_cast<int>(cue.reason);
            os << "\n";
        }
        os << "memory written: " << written_ << "\n";
        for (const std::string& line : platform_.debugLines)
            os << line << "\n";
    }

private:
    kv::TExtPlayer& Player() { return *show_->player; }
    uint32_t Now() { return platform_.TickCount(); }
    const kv::TProjectList& Scenario() { return *slots_[static_cast<size_t>(slot_)]; }
    void AddModule(int address, kv::TModuleKind kind, int converter, int channels)
    {
        kv::TModuleSetup setup;
        setup.address = address;
        setup.kind = kind;
        setup.converter = converter;
        setup.channels = channels;
        setup.channelOhms.assign(static_cast<size_t>(channels), 10.0);
        show_->AddModule(setup);
    }

    // Virtual time with the ticks running; the modules' clocks looked at on the way.
    void Pass(int32_t ms)
    {
        while (ms > 0) {
            const int32_t step = std::min(ms, kSampleMs);
            FeedDesk(step);
            platform_.Advance(static_cast<uint32_t>(step));
            ms -= step;
            Receive();
            LookAtModuleClocks();
        }
    }
    // What the port threads would have read from the bus meanwhile.
    void Receive()
    {
        for (int pass = 0; pass < 8; ++pass) {
            const bool more = show_->port->Cycle();
            if (!(standbyPort_ && standbyPort_->Cycle()) && !more)
                return;
        }
    }
    // Another station, on converters of its own on both lines, with the show in its first
    // slot, armed to follow it.
    void AddStandby()
    {
        show_->field->ShareLine(kStandbyConverter, 0);
        show_->field->ShareLine(kStandbyConverter + 1, 1);
        platform_.randomValue = 41;  // another station number than the PC's
        standbyPort_ = std::make_unique<kv::TPortProto>(
            std::make_unique<kv::TFieldPort>(show_->field, 16, std::vector<int>{kStandbyConverter, kStandbyConverter + 1}));
        platform_.randomValue = 0;
        EXPECT_TRUE(standbyPort_->Reopen());
        standbyRegistry_ = std::make_unique<kv::TControls>(*standbyPort_);
        for (size_t side = 0; side < 2; ++side)
            for (const int address : {kPlain[side], kHighVoltage[side]})
                standbyRegistry_->AddOrRefresh(address, static_cast<int>(side));
        standbyRegistry_->AddOrRefresh(kMotor, 0);
        standbyScenario_.Load(show_->folder.Write("standby.txt", ScenarioText(case_.groups)));
        standbyPlayer_ = std::make_unique<kv::TExtPlayer>(*standbyRegistry_, *standbyPort_);
        kv::TShowSetup setup = standbyPlayer_->Setup();
        setup.scenario = &standbyScenario_;
        setup.controlMode = case_.autonomous ? kv::kControlAutonomous : kv::kControlDirect;
        EXPECT_TRUE(standbyPlayer_->Configure(setup));
        standbyPlayer_->LaunchState = [this] { return standbyPlayer_->IsRunning() ? 2 : 1; };
        standby_ = std::make_unique<kv::TStandby>(*standbyPlayer_, *standbyPort_, kv::TStandbySetup{});
        standby_->OnTakeover = [this] { record_.standbyStarts.push_back(Now()); };
        standbyPort_->OnFrameFrom = [this](const kv::TFrameRecord& frame, int) { standby_->Hear(frame); };
        standby_->Arm();
    }
    void LookAtModuleClocks()
    {
        if (!case_.autonomous)
            return;
        const int64_t ns = clock_->NowNs();
        const uint32_t now = Now();
        const TShowWindow* window = OpenWindow();
        for (int address = 1; address <= kMotor; ++address) {
            show_->field->WithDevice(address, [&](kv::TSimDevice& device) {
                const auto* module = dynamic_cast<kv::TSimModule*>(&device);
                if (!module || !module->Clock().Running())
                    return;
                const int64_t moduleMs = module->Clock().ShowMsAt(ns);
                const int32_t showMs = window ? window->ReachedBy(now) : INT32_MIN;
                if (moduleMs > showMs + 1 && record_.clockFaults.size() < 4)
                    record_.clockFaults.push_back(
                        "module " + std::to_string(address) + "'s clock at " + std::to_string(moduleMs) +
                        " ms, the show's at " + (window ? std::to_string(showMs) : std::string("stop")) +
                        ", tick +" + std::to_string(now));
            });
        }
    }
    TShowWindow* OpenWindow()
    {
        return !record_.windows.empty() && record_.windows.back().open ? &record_.windows.back() : nullptr;
    }
    void CloseReport()
    {
        if (!record_.windows.empty() && record_.windows.back().report.empty())
            record_.windows.back().report = Player().FiringReport().Records();
    }
    void Stopped()
    {
        if (TShowWindow* window = OpenWindow()) {
            window->open = false;
            window->end = Now();
        }
    }
    // A show begins from `from`: the one before ends here. A stop leaves the high-voltage
    // modules in test mode; the operator puts them back in firing mode, as the start warning
    // asks.
    enum class TBegin { Key, Bus, Timecode };
    void Begins(int32_t from, TBegin how)
    {
        for (const int address : kHighVoltage)
            kv::Ignore(show_->Device<kv::THVControl>(address).SetTestMode(false),
                       "a fault of the case may keep a module from it: its shots then fail");
        // Music playing on since the last show carries a start by key: the show joins it there.
        if (how == TBegin::Key && MusicPlays())
            from = static_cast<int32_t>(Player().Soundtrack().HeardMs());
        Stopped();
        CloseReport();
        TShowWindow window;
        window.start = Now();
        window.slot = slot_;
        window.rehearsal = rehearsal_->Active();
        window.clock.push_back({Now(), from, Player().Tempo(), Player().Offset()});
        if (how == TBegin::Timecode)
            window.desk = [this](uint32_t tick) {
                // A freewheel runs on past the last frame for its time, and a frame besides.
                return desk_->ReachedBy(static_cast<int32_t>(tick - capture_->StartTick()),
                                        deskSettings_.freewheelMs + kDeskFrameMs);
            };
        record_.windows.push_back(window);
    }
    // A start refused began no show (none ran: each start waits for the last show's end).
    void Refused() { record_.windows.pop_back(); }
    // at: when the key was pressed; the shots it brings due take their time on the line.
    void ClockChanged(uint32_t at)
    {
        TShowWindow* window = OpenWindow();
        if (!window || !Player().IsRunning())
            return;
        const int32_t base = window->clock.back().At(at) - window->clock.back().offset;
        window->clock.push_back({at, base, Player().Tempo(), Player().Offset()});
    }
    void ChooseStartPoint(int32_t row, bool anyRow)
    {
        if (Player().IsRunning())
            return;
        const int32_t count = static_cast<int32_t>(Scenario().Cues().size());
        if (count == 0 || (!anyRow && (row < 0 || row >= count)))
            return;
        row = anyRow ? row % count : row;
        const bool highlighted = row == Player().NextCue();
        const int32_t time = Scenario().Cues()[static_cast<size_t>(row)].time;
        Player().SetStartPoint(time, row);
        MusicToStartPoint();
        record_.startPoints.push_back({Now(), slot_, row, time, highlighted});
    }
    void Apply(const TSafetyEvent& event)
    {
        const int32_t value = std::abs(event.value);
        const uint32_t at = Now();
        switch (event.kind) {
        case TSafetyKind::Start:
            if (Player().IsRunning())
                return;
            if (arm_) {
                // The console's timecode wait: the show starts when the desk reaches the start point.
                arm_->Arm();
                return;
            }
            Begins(Player().CurrentTime(), TBegin::Key);
            if (!kv::StartShow(Player()))
                Refused();
            return;
        case TSafetyKind::Stop:
            EndWait();
            Player().Stop(!Player().IsRunning());
            Stopped();
            return;
        case TSafetyKind::StartAtBegin:
            if (Player().IsRunning())
                return;
            Player().SetStartPoint(0, 0);
            MusicToStartPoint();
            record_.startPoints.push_back({Now(), slot_, 0, 0, false});
            return;
        case TSafetyKind::EnterHighlighted:
            ChooseStartPoint(Player().NextCue(), false);
            return;
        case TSafetyKind::EnterCue:
            ChooseStartPoint(value, true);
            return;
        case TSafetyKind::Tempo:
            Player().SetTempo(std::clamp(Player().Tempo() + value % 21 - 10, kMinTempo, kMaxTempo));
            ClockChanged(at);
            return;
        case TSafetyKind::Offset:
            // The offset moves the timecode the wait starts at: the console ends the wait.
            EndWait();
            Player().SetOffset(std::clamp(Player().Offset() + 50 * (value % 9 - 4), -kMaxOffsetMs, kMaxOffsetMs));
            ClockChanged(at);
            return;
        case TSafetyKind::Lock:
        case TSafetyKind::Unlock:
            Player().LockPosition(kPositions[static_cast<size_t>(1 + value % 2)],
                                  event.kind == TSafetyKind::Lock);
            return;
        case TSafetyKind::HandShot: {
            if (Player().Setup().firingMode == kv::kFiringAutomatic)
                return;
            const TChannel channel = handChannels_[static_cast<size_t>(value) % handChannels_.size()];
            record_.handShots.push_back({Now(), channel});
            Player().FireByHand(channel.first, channel.second, nullptr);
            return;
        }
        case TSafetyKind::HeardStop:
            // The real bus is aside in a rehearsal.
            if (rehearsal_->Active())
                return;
            // A stop heard calls the console's wait off.
            EndWait();
            // Another station on the first converter's line: its modules hear it too.
            show_->field->InjectFrame(0, show_->field->ElapsedMs() + 1, kv::MakeWireFrame(0x90, 0, 10, 0, 0, 0));
            platform_.Advance(3);
            Receive();
            Stopped();
            return;
        case TSafetyKind::OtherStart:
            if (!rehearsal_->Active())
                OtherStart(value % 100, event.armed && !(arm_ && arm_->Armed()));
            return;
        case TSafetyKind::ConverterLost: {
            const int64_t at = show_->field->ElapsedMs();
            show_->field->Unplug(value % 2, at);
            show_->field->Plug(value % 2, at + 60);
            show_->port->Cycle();
            return;
        }
        case TSafetyKind::Hold:
            FeedDesk(value % 3001);
            platform_.Sleep(static_cast<uint32_t>(value % 3001));
            return;
        case TSafetyKind::SwitchSlot:
            // Autonomous control would need the other slot's show written into memory first.
            if (Player().IsRunning() || case_.autonomous)
                return;
            slot_ = 1 - slot_;
            Reconfigure(Player(), &kv::TShowSetup::scenario, slots_[static_cast<size_t>(slot_)]);
            Player().SetStartPoint(0, 0);
            MusicToStartPoint();
            record_.startPoints.push_back({Now(), slot_, -1, 0, false});
            return;
        case TSafetyKind::SoundStall:
            if (output_)
                stalls_->stalls.push_back({Now(), static_cast<uint32_t>(value % 3001), value % 2 == 1});
            return;
        case TSafetyKind::TimecodeJump:
            if (desk_)
                desk_->CueShowMs(std::max(desk_->NextShowMs() + value % 4001 - 2000, kDeskCuedAtMs));
            return;
        case TSafetyKind::TimecodeDropOut:
            if (desk_ && deskPlaying_) {
                deskPlaying_ = false;
                droppedAt_ = Now();
            }
            return;
        case TSafetyKind::TimecodeReturn:
            if (desk_ && !deskPlaying_) {
                if (value % 2 == 0)
                    desk_->CueShowMs(desk_->NextShowMs() + static_cast<int32_t>(Now() - droppedAt_));
                deskPlaying_ = true;
            }
            return;
        case TSafetyKind::Rehearsal:
            SwitchRehearsal();
            return;
        }
    }
    // The desk plays from the case's start, cued before the show's zero.
    void StartDesk()
    {
        deskSettings_.zero = kDeskZero;
        desk_ = std::make_unique<TLtcSignal>(kv::TTimecodeRate::Fps25, kDeskZero);
        desk_->CueShowMs(kDeskCuedAtMs);
        input_ = std::make_unique<kv::TTimecodeInput>();
        chase_ = std::make_unique<kv::TTimecodeChase>(*input_, deskSettings_);
        capture_ = std::make_unique<TVirtualCapture>(*desk_, *input_, 10);
        arm_ = std::make_unique<kv::TTimecodeArm>(
            *chase_, [this] { return Player().CurrentTime() - Player().Offset(); },
            [this] {
                Begins(Player().CurrentTime(), TBegin::Timecode);
                if (!kv::StartShowOnTimecode(Player(), *chase_))
                    Refused();
            });
    }
    // The signal goes a little ahead of what the capture takes in the next aheadMs.
    void FeedDesk(int32_t aheadMs)
    {
        if (!desk_)
            return;
        const int64_t due = static_cast<int32_t>(Now() - capture_->StartTick()) + aheadMs + 2 * kDeskFrameMs;
        while (desk_->LengthMs() < due) {
            if (deskPlaying_)
                desk_->Play(1);
            else
                desk_->Silence(kDeskFrameMs);
        }
    }
    bool MusicPlays() { return Player().Soundtrack().Loaded() && Player().Soundtrack().IsPlaying(); }
    // As the console does with a new start point: music playing on would carry the next start
    // from where it has got to.
    void MusicToStartPoint()
    {
        if (!Player().Soundtrack().Loaded())
            return;
        if (MusicPlays())
            Player().Soundtrack().StopPlaying();
        Player().Soundtrack().Seek(std::max(Player().CurrentTime(), 0));
    }
    void EndWait()
    {
        if (arm_)
            arm_->Disarm();
    }
    // As the console's switch: refused under a show or a wait; a rehearsal ended leaves none
    // of the model's shots to be checked on the real bus.
    void SwitchRehearsal()
    {
        if (Player().IsRunning() || (arm_ && arm_->Armed()))
            return;
        if (rehearsal_->Active()) {
            EndRehearsalRecord();
            rehearsal_->End();
            Player().LeaveModelBus(false);
            Player().ClearFired();
            MusicToStartPoint();
            return;
        }
        std::string problem;
        if (Player().HasUnchecked() || rehearsal_->Begin(kv::TConnectThresholds{}, problem) != 0)
            return;
        Player().EnterModelBus();
        MusicToStartPoint();
        record_.rehearsals.push_back({Now(), Now()});
        realFramesBefore_ = show_->field->Frames().size();
    }
    void EndRehearsalRecord()
    {
        if (!rehearsal_->Active())
            return;
        record_.rehearsals.back().second = Now();
        const std::vector<kv::TFrameEntry> frames = show_->field->Frames(realFramesBefore_);
        record_.realFramesInRehearsal += static_cast<size_t>(std::count_if(
            frames.begin(), frames.end(), [](const kv::TFrameEntry& frame) { return !FromTheStandby(frame); }));
    }
    // The console arms the player only while its wait runs, never under a show.
    void OtherStart(int32_t tenth, bool armed)
    {
        const bool starts = armed && !Player().IsRunning();
        Player().armed = starts;
        if (starts)
            Begins(tenth * 100, TBegin::Bus);
        Player().HandleMessage(kv::TFrameRecord{0x90, 0, static_cast<uint8_t>(tenth), 0x80, 0, 0});
        if (starts && !Player().IsRunning())
            Refused();
        Player().armed = false;
    }

    const TSafetyCase& case_;
    kv::TVirtualPlatform platform_{0xFFFFFFFFu - 1500};
    std::shared_ptr<kv::TPlatformFieldClock> clock_;
    std::unique_ptr<TShowField> show_;
    kv::TProjectList other_;
    std::array<const kv::TProjectList*, 2> slots_{};
    int slot_ = 0;
    std::vector<TChannel> handChannels_;
    TSafetyRecord record_;
    int written_ = 0;
    std::unique_ptr<kv::TRehearsal> rehearsal_;
    size_t realFramesBefore_ = 0;
    std::shared_ptr<TOutputStalls> stalls_ = std::make_shared<TOutputStalls>();
    std::unique_ptr<TVirtualSoundOutput> output_;
    kv::TTimecodeSettings deskSettings_;
    std::unique_ptr<TLtcSignal> desk_;
    std::unique_ptr<kv::TTimecodeInput> input_;
    std::unique_ptr<kv::TTimecodeChase> chase_;
    std::unique_ptr<TVirtualCapture> capture_;
    std::unique_ptr<kv::TTimecodeArm> arm_;
    std::unique_ptr<kv::TPortProto> standbyPort_;
    std::unique_ptr<kv::TControls> standbyRegistry_;
    kv::TProjectList standbyScenario_;
    std::unique_ptr<kv::TExtPlayer> standbyPlayer_;
    std::unique_ptr<kv::TStandby> standby_;
    bool deskPlaying_ = true;
    uint32_t droppedAt_ = 0;
};

const char* KindName(TSafetyKind kind)
{
    static constexpr std::array<const char*, 20> kNames{
        "Start", "Stop", "StartAtBegin", "EnterHighlighted", "EnterCue", "Tempo", "Offset",
        "Lock", "Unlock", "HandShot", "HeardStop", "OtherStart", "ConverterLost", "Hold",
        "SwitchSlot", "SoundStall", "TimecodeJump", "TimecodeDropOut", "TimecodeReturn",
        "Rehearsal"};
    return kNames[static_cast<size_t>(kind)];
}

}  // namespace

std::string RunSafetyCase(const TSafetyCase& safetyCase, std::ostream* trace)
{
    return TSafetyRun(safetyCase).Run(trace);
}

void showValue(const TSafetyCase& safetyCase, std::ostream& os)
{
    os << "TSafetyCase{" << (safetyCase.autonomous ? "true" : "false") << ", "
       << safetyCase.firingMode << ",\n    {";
    for (const TSafetyGroup& group : safetyCase.groups)
        os << "{" << group.gapMs << ", " << group.count << ", " << group.kind << ", "
           << group.position << "}, ";
    os << "},\n    {";
    for (const TSafetyEvent& event : safetyCase.events)
        os << "\n     {TSafetyKind::" << KindName(event.kind) << ", " << event.afterMs << ", "
           << event.value << ", " << (event.armed ? "true" : "false") << "},";
    os << "},\n    " << safetyCase.media << ", " << (safetyCase.standby ? "true" : "false") << "}";
}

}  // namespace kvtest
