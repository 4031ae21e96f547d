#include "show/session/ShowSession.h"

#include "devices/registry/Controls.h"
#include "field/bus/TransportChoice.h"
#include "link/PortProto.h"
#include "audio/SoundServer.h"
#include "show/player/ExtPlayer.h"
#include "show/standby/Standby.h"
#include "show/timecode/TimecodeArm.h"
#include "show/timecode/TimecodeOutput.h"

namespace kv {

TShowSession::TShowSession(const TSettings& settings, std::string& problem,
                           std::function<void(const std::string& text)> onOpenProblem)
    : port_(std::make_unique<TPortProto>(
          MakeTransport(settings.port, &problem, std::move(onOpenProblem)))),
      controls_(std::make_unique<TControls>(*port_)),
      player_(std::make_unique<TExtPlayer>(*controls_, *port_))
{
    TShowSetup setup;
    setup.rehearsal = SimulatedField(settings.port);
    setup.maxLateMs = settings.maxLateMs;
    // A player just made plays no show.
    static_cast<void>(player_->Configure(setup));
    player_->thresholds = settings.thresholds;
    port_->OnFrameFrom = [this](const TFrameRecord& frame, int converter) {
        controls_->HandleUnsolicitedFrame(frame, converter);
        if (standby_)
            standby_->Hear(frame);
        else
            player_->HandleMessage(frame);
    };
    port_->OnConverterLost = [this] {
        if (OnConverterLost)
            OnConverterLost();
    };
    port_->OnConverterBack = [this] {
        if (OnConverterBack)
            OnConverterBack();
        player_->ConverterBack();
    };
}

TShowSession::~TShowSession()
{
    port_->Stop();
}

TStandby& TShowSession::ArmStandby(const TStandbySetup& setup)
{
    DisarmStandby();
    standby_ = std::make_unique<TStandby>(*player_, *port_, setup);
    standby_->Arm();
    return *standby_;
}

void TShowSession::DisarmStandby()
{
    if (standby_)
        standby_->Disarm();
    standby_.reset();
}

std::unique_ptr<TTimecodeOutput> TShowSession::MakeTimecodeOutput(
    const TTimecodeOutputSettings& settings)
{
    return std::make_unique<TTimecodeOutput>(
        settings, PulseSoundServer(), [this](uint32_t now, bool& running) {
            running = player_->IsRunning();
            return player_->ClockLook(now);
        });
}

std::unique_ptr<TTimecodeArm> TShowSession::MakeTimecodeArm(TTimecodeChase& chase,
                                                             std::function<void()> reached,
                                                             std::function<void()> refused)
{
    return std::make_unique<TTimecodeArm>(
        chase, [this] { return player_->CurrentTime() - player_->Offset(); }, std::move(reached),
        std::move(refused));
}

bool TShowSession::Start()
{
    port_->ReplyTimeout = TPort::kDefaultReplyTimeout;
    return port_->Start();
}

}  // namespace kv
