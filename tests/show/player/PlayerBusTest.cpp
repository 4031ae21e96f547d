// What the player says on the bus and what it obeys there: status answers, remote stop,
// external start, motor cues, high-voltage charges.
#include "rigs/VirtualShow.h"

#include "devices/kinds/HVControl.h"
#include "show/player/bus/StopBroadcast.h"

#include <algorithm>

namespace kvtest {
namespace {

using kv::TFrameRecord;

class PlayerBus : public VirtualShow {
protected:
    void SetUp() override
    {
        ConnectMixedField();
        Player().OnStateChange = [this] { events.push_back(Player().IsRunning() ? "start" : "stop"); };
        Player().OnRemoteStop = [this] { events.push_back("remote stop"); };
    }
    kv::THVControl& HighVoltage() { return show->Device<kv::THVControl>(5); }
    // Both stations run a show of their own for a second; then this one stops, its bus record
    // and the other's cleared just before.
    void RunBothThenStop(TShowField& other)
    {
        show->LoadScenario("10 1 1\n");
        other.LoadScenario("10 2 1\n");
        Start(0);
        other.player->Start(0);
        platform.Advance(1000);
        show->field->ClearRecord();
        other.field->ClearRecord();
        Player().Stop(false);
    }
    // A channel's charge follows its measured resistance: at setting 1, volts² / 100 ohms
    // (the module reads ohms × 10).
    void MeasureForCharge(int channel, int volts)
    {
        HighVoltage().hvSetting = 1;
        ASSERT_EQ(HighVoltage().ClassifyChannel(channel, volts * volts / 10.0, {}), 0);
    }
    void MeasureCharges(int channels) { kvtest::MeasureCharges(HighVoltage(), channels); }
    // The high-voltage module's shots: channel from 1 and the charge it fired with.
    std::vector<std::pair<int, int>> HighVoltageShots()
    {
        std::vector<std::pair<int, int>> shots;
        for (const kv::TShotEntry& shot : show->Shots())
            if (shot.address == 5)
                shots.emplace_back(shot.channel + 1, shot.chargeVolts);
        return shots;
    }
    // The set-charge frames to the high-voltage module: tick and volts.
    std::vector<std::pair<uint32_t, int>> ChargesSet()
    {
        std::vector<std::pair<uint32_t, int>> set;
        for (const kv::TFrameEntry& frame : show->Sent(0x84))
            if (frame.bytes[5] == 5 && frame.bytes[1] == 0 && frame.bytes[2] == 0)
                set.emplace_back(frame.Tick(), (frame.bytes[3] & 0x7F) * 128 + (frame.bytes[4] & 0x7F));
        return set;
    }

    std::vector<std::string> events;
};

TEST_F(PlayerBus, AnswersStatusQueriesToEveryStationOrToThisOne)
{
    const int self = show->port->StationId();
    const int other = self % 255 + 1;
    Player().LaunchState = [] { return 1; };
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);

    Player().HandleMessage(TFrameRecord{0x03, 0, 0, 77, 0, 255});
    Player().HandleMessage(TFrameRecord{0x03, 0, 0, 78, static_cast<uint8_t>(other), 255});
    Player().HandleMessage(TFrameRecord{0x03, 0, 0, 79, static_cast<uint8_t>(self), 255});
    const auto answers = show->Sent(0x04);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(Head(answers[0]), Bytes({0x04, 0x21, 0x01, self, 77, 255}));
    EXPECT_EQ(Head(answers[1]), Bytes({0x04, 0x21, 0x01, self, 79, 255}));
}

TEST_F(PlayerBus, RemoteStopStopsTheShowAndIsReportedWithoutPassingItOn)
{
    show->LoadScenario("10 1 1\n");
    Player().HandleMessage(TFrameRecord{0x90, 0, 0, 0, 0, 255});  // a station's, not a stop
    Start(0);
    platform.Advance(1000);
    show->field->ClearRecord();
    Player().HandleMessage(TFrameRecord{0x90, 0, 10, 0, 0, 0});
    EXPECT_FALSE(Player().IsRunning());
    EXPECT_EQ(events, (std::vector<std::string>{"start", "stop", "remote stop"}));
    EXPECT_TRUE(show->Sent(0x90).empty()) << "every station heard that stop already";
    EXPECT_EQ(show->Sent(0x11).size(), 1u);
    ASSERT_EQ(show->Sent(0x88).size(), 1u);
    EXPECT_EQ(show->Sent(0x88)[0].bytes[5], 5) << "the high voltage goes off";
    platform.Advance(10000);
    EXPECT_TRUE(show->Shots().empty());

    Player().HandleMessage(TFrameRecord{0x90, 0, 10, 0, 0, 0});
    EXPECT_EQ(events.back(), "remote stop") << "also while stopped";
}

// This test once saw two stations stop each other without end: each stop heard from the bus
// was broadcast again, and the other station obeyed it.
TEST_F(PlayerBus, TwoStationsOnOneBusStopOnceEach)
{
    TShowField other(std::make_shared<kv::TPlatformFieldClock>());
    other.AddModule(Module(2));
    other.Connect();
    RunBothThenStop(other);

    // What one station puts on the bus the other hears, until the bus is quiet.
    size_t heardThere = 0;
    size_t heardHere = 0;
    const auto relay = [](TShowField& from, kv::TExtPlayer& to, size_t& heard) {
        const std::vector<kv::TFrameEntry> sent = from.Sent();
        for (; heard < sent.size(); ++heard) {
            TFrameRecord record{};
            std::copy_n(sent[heard].bytes.begin(), record.size(), record.begin());
            to.HandleMessage(record);
        }
    };
    const auto untilQuiet = [&] {
        for (int round = 0; round < 20; ++round) {
            const size_t before = heardThere + heardHere;
            relay(*show, *other.player, heardThere);
            relay(other, Player(), heardHere);
            if (heardThere + heardHere == before)
                return;
        }
    };
    untilQuiet();
    EXPECT_FALSE(Player().IsRunning());
    EXPECT_FALSE(other.player->IsRunning());
    EXPECT_EQ(show->Sent(0x90).size(), 1u) << "the one stop of the operator's key";
    EXPECT_TRUE(other.Sent(0x90).empty());
    EXPECT_EQ(show->Sent(0x11).size(), 1u);
    EXPECT_EQ(other.Sent(0x11).size(), 1u);

    // The other station answers an autonomous show's time with the stop form, as the remote
    // controller expects; that answer stops the show. This stays: the README says so.
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    Start(0);
    untilQuiet();
    EXPECT_FALSE(Player().IsRunning());
    EXPECT_EQ(events.back(), "remote stop");
    ASSERT_EQ(other.Sent(0x90).size(), 1u);
    EXPECT_EQ(Head(other.Sent(0x90)[0]), Bytes({0x90, 0, 0, 0, 0, 0}));
}

// An autonomous show's stop goes out several times so that no module misses it. Another
// station obeys it once: it once answered each with its stop notice and reported each as a
// remote stop; and this station's own stop come back late from a converter is no remote stop.
TEST_F(PlayerBus, AStopSentSeveralTimesIsOneStopToAnotherStationAndNoneToItself)
{
    TShowField other(std::make_shared<kv::TPlatformFieldClock>());
    other.AddModule(Module(2));
    other.Connect();
    int remoteStopsThere = 0;
    other.player->OnRemoteStop = [&] { ++remoteStopsThere; };
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    RunBothThenStop(other);
    const std::vector<kv::TFrameEntry> stops = show->Sent(0x90);
    ASSERT_FALSE(stops.empty());
    EXPECT_EQ(stops.size(), static_cast<size_t>(kv::TStopBroadcast::kSendings));
    TFrameRecord stop{};
    std::copy_n(stops[0].bytes.begin(), stop.size(), stop.begin());
    EXPECT_EQ(stop[3], 0) << "not the stop form";
    for (const kv::TFrameEntry& sent : stops)
        EXPECT_EQ(Head(sent), Head(stops[0])) << "the same stop each time";
    // The other station, and this one from a converter that hands it back late, hear each.
    for (int sending = 0; sending < kv::TStopBroadcast::kSendings; ++sending) {
        other.player->HandleMessage(stop);
        platform.Advance(5);
        Player().HandleMessage(stop);
    }
    EXPECT_FALSE(other.player->IsRunning());
    EXPECT_EQ(remoteStopsThere, 1);
    EXPECT_EQ(other.Sent(0x11).size(), 1u) << "a stop notice for each stop heard";
    EXPECT_EQ(std::count(events.begin(), events.end(), "remote stop"), 0);
    EXPECT_EQ(show->Sent(0x11).size(), 1u);
}

TEST_F(PlayerBus, ExternalStartWhenArmedAnsweredEitherWay)
{
    show->LoadScenario("31 1 1\n");
    const TFrameRecord startAt30s{0x90, 1, 44, 0x80, 0, 0};
    Player().HandleMessage(startAt30s);
    EXPECT_FALSE(Player().IsRunning());
    EXPECT_TRUE(Logged("Внешняя команда запуска - отменено"));

    Player().HandleMessage(TFrameRecord{0x90, 1, 44, 0x80, 0, 255});
    Player().armed = true;
    Reconfigure(Player(), &kv::TShowSetup::rehearsal, true);  // a show started from the bus on a model says so too
    Player().HandleMessage(startAt30s);
    EXPECT_TRUE(Player().IsRunning());
    EXPECT_FALSE(Player().armed);
    EXPECT_EQ(Player().CurrentTime(), 30000);
    EXPECT_TRUE(Logged("Внешняя команда запуска, время: 30000"));
    EXPECT_TRUE(Logged("Репетиция: пуск на модели найденной установки, реальная шина отключена"));
    std::vector<std::vector<uint8_t>> answers;
    for (const kv::TFrameEntry& frame : show->Sent(0x90))
        if (frame.bytes[5] == 0)
            answers.push_back(Head(frame));
    EXPECT_EQ(answers, (std::vector<std::vector<uint8_t>>(2, Bytes({0x90, 1, 44, 0, 0, 0}))))
        << "station messages (address 255) are not external starts";
    ASSERT_TRUE(RunUntilStopped(3000));
    EXPECT_EQ(show->Shots().size(), 1u);

    Player().armed = true;
    Player().Stop(false);
    EXPECT_FALSE(Player().armed);
}

// Another master's start after this station's stop, at a tenth below where it stopped, once
// fired every cue between that tenth and the stop a second time.
TEST_F(PlayerBus, AnotherMastersStartAtOrBelowTheStopGoesOnAfterTheCuesFired)
{
    show->LoadScenario("0.5 1 1\n1 1 2\n1.5 1 3\n2.5 1 4\n");
    for (const uint8_t tenth : {0, 10, 17}) {
        SCOPED_TRACE(static_cast<int>(tenth));
        show->field->ClearRecord();
        Start(0);
        platform.Advance(1700);
        Player().Stop(false);
        Player().armed = true;
        Player().HandleMessage(TFrameRecord{0x90, 0, tenth, 0x80, 0, 0});
        ASSERT_TRUE(Player().IsRunning());
        ASSERT_TRUE(RunUntilStopped(4000));
        std::vector<int> channels;
        for (const kv::TShotEntry& shot : show->Shots())
            channels.push_back(shot.channel + 1);
        EXPECT_EQ(channels, (std::vector<int>{1, 2, 3, 4}));
    }
}

TEST_F(PlayerBus, MotorCuesGoToTheMotorModuleInDirectControlOnly)
{
    show->LoadScenario("1 3 #C#50\n1 3 #LT#2.5#50\n1 1 #R\n");
    Start(0);
    ASSERT_TRUE(RunUntilStopped(3000));
    const auto moves = show->Sent(0x8C);
    ASSERT_EQ(moves.size(), 2u) << "module 1 is no motor module";
    EXPECT_EQ(Head(moves[0]), Bytes({0x8C, 0x98, 127, 0, 0, 3}));
    EXPECT_EQ(Head(moves[1]), Bytes({0x8C, 0x81, 127, 25, 0, 3}));

    show->field->ClearRecord();
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    Start(0);
    ASSERT_TRUE(RunUntilStopped(3000));
    EXPECT_TRUE(show->Sent(0x8C).empty());
    EXPECT_EQ(Player().FiredCount(), 0) << "motor cues are not shots";
}

TEST_F(PlayerBus, MotorValuesBeyondAByteAreHeldAtItsEndsAsInTheModulesMemory)
{
    show->LoadScenario("1 3 #LT#30#150\n1 3 #L#-10\n");
    Start(0);
    ASSERT_TRUE(RunUntilStopped(3000));
    const auto moves = show->Sent(0x8C);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(Head(moves[0]), Bytes({0x8C, 0x81, 255, 255, 0, 3})) << "30 s is no 4.4 s turn";
    EXPECT_EQ(Head(moves[1]), Bytes({0x8C, 0x94, 0, 0, 0, 3}));
}

// Started past its motor cues, a show left the launcher where it stood: the module's later
// shots went at another angle. Its last turn before the start point goes first now.
TEST_F(PlayerBus, AStartPointTurnsEachMotorWhereTheShowHasItBeforeItsShots)
{
    show->LoadScenario("1 3 #L#50\n2 3 #R#50\n3 3 #LT#2#50\n4 3 #C#50\n6 3 1\n");
    Start(2500);
    ASSERT_TRUE(RunUntilStopped(5000));
    const auto moves = show->Sent(0x8C);
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(Head(moves[0]), Bytes({0x8C, 0x92, 255, 0, 0, 3})) << "the turn at 2 s, full speed";
    EXPECT_EQ(Head(moves[1]), Bytes({0x8C, 0x81, 127, 20, 0, 3}));
    EXPECT_EQ(Head(moves[2]), Bytes({0x8C, 0x98, 127, 0, 0, 3}));
    ASSERT_EQ(show->Shots().size(), 1u);
    EXPECT_GT(Since(moves[0].Tick(), show->Shots()[0].Tick()), 0);
    EXPECT_TRUE(Logged("Мотор поставлен в положение шоу, пульт: 3 (R)"));

    // A rotation turned the launcher by an angle the console does not know: not guessed.
    show->field->ClearRecord();
    Start(3500);
    Player().Stop(false);
    EXPECT_TRUE(show->Sent(0x8C).empty());
    EXPECT_TRUE(Logged("Положение мотора после вращения неизвестно, его выстрелы могут уйти под "
                       "другим углом; пульт: 3"));
    // Before its first motor cue the show has no position for it.
    Start(500);
    Player().Stop(false);
    EXPECT_TRUE(show->Sent(0x8C).empty());
}

// A motor module that does not take the turn is logged; a locked position's motor cue is
// passed over, at its moment as at a start point.
TEST_F(PlayerBus, AMotorTurnAtTheStartPointNotTakenIsLoggedAndALockedOneIsNotSent)
{
    kv::TModuleSetup deaf = Module(4);
    deaf.kindLetter = 'P';  // registered as a motor module, deaf to motor commands
    show->AddModule(deaf);
    ASSERT_NE(show->registry->AddOrRefresh(4, 0), nullptr);
    show->LoadScenario("0:01\t4\t#L\t|0:01|A|Turn\n"
                       "0:01\t3\t#L\t|0:01|A|Turn\n"
                       "0:02\t3\t#R\t|0:02|B|Turn\n"
                       "0:05\t3\t1\t|0:05|A|Comet\n");
    Reconfigure(Player(), &kv::TShowSetup::scenario, &show->scenario);
    ASSERT_TRUE(Player().LockPosition("B", true));
    show->field->ClearRecord();
    Start(3000);
    Player().Stop(false);
    EXPECT_TRUE(Logged("Мотор не принял положение шоу, его выстрелы могут уйти под другим углом; "
                       "пульт: 4"));
    std::vector<std::vector<uint8_t>> toModule3;
    for (const kv::TFrameEntry& move : show->Sent(0x8C))
        if (move.bytes[5] == 3)
            toModule3.push_back(Head(move));
    EXPECT_EQ(toModule3, (std::vector<std::vector<uint8_t>>{Bytes({0x8C, 0x94, 255, 0, 0, 3})}));
}

TEST_F(PlayerBus, ShotsCarryTheChargeOfTheFollowingShot)
{
    for (int channel = 0; channel < 3; ++channel)
        MeasureForCharge(channel, 100 * (channel + 1));
    show->LoadScenario("0.5 5 9\n1 5 1\n2 1 1\n2 5 2\n3 5 3\n");
    Start(1000);
    // The shot at the start point now leaves at once too, after the charge (it waited for
    // the first tick).
    const auto charges = show->Sent(0x84);
    ASSERT_GE(charges.size(), 1u);
    EXPECT_EQ(Head(charges[0]), Bytes({0x84, 0, 0, 0x80, 100 + 0x80, 5})) << "the first charge at once";
    ASSERT_TRUE(RunUntilStopped(4000));

    std::vector<int> carried;
    for (const kv::TFrameEntry& frame : show->Sent(0x84))
        if (frame.bytes[5] == 5 && frame.bytes[1] != 0)
            carried.push_back((frame.bytes[3] & 0x7F) * 128 + frame.bytes[4]);
    EXPECT_EQ(carried, (std::vector<int>{200, 300, 1}));
    std::vector<int> used;
    for (const kv::TShotEntry& shot : show->Shots())
        if (shot.address == 5)
            used.push_back(shot.chargeVolts);
    EXPECT_EQ(used, (std::vector<int>{100, 200, 300}));
    const auto off = show->Sent(0x88);
    ASSERT_EQ(off.size(), 1u) << "high voltage off at the stop, high-voltage modules only";
    EXPECT_EQ(Head(off[0]), Bytes({0x88, 1, 0, 1, 0, 5}));
}

// The commands a show sends without waiting on them once failed without a trace: a high
// voltage left on after a stop, a charge the module never took, a time or a notice that did
// not go out. The show goes on; the run log says which and why.
TEST_F(PlayerBus, FailedChargesSwitchOffsClocksAndNoticesAreLogged)
{
    MeasureForCharge(0, 100);
    show->LoadScenario("1 5 1\n");
    Reconfigure(Player(), &kv::TShowSetup::controlMode, kv::kControlAutonomous);
    show->field->SetBadEcho(0, true);
    Start(0);
    platform.Advance(500);
    Player().Stop(false);
    const std::string failed = ". Ошибка передачи данных.";
    EXPECT_TRUE(Logged("Заряд не установлен, пульт: 5" + failed));
    EXPECT_TRUE(Logged("Извещение о запуске не передано, время: 0" + failed));
    EXPECT_TRUE(Logged("Время не передано пультам, время: 0" + failed));
    EXPECT_TRUE(Logged("Извещение об остановке не передано, время: 500" + failed));
    EXPECT_TRUE(Logged("Высокое напряжение не выключено, пульт: 5" + failed));
}

TEST_F(PlayerBus, AResumedShowChargesForTheShotsStillToCome)
{
    for (int channel = 0; channel < 3; ++channel)
        MeasureForCharge(channel, 100 * (channel + 1));
    show->LoadScenario("1 5 1\n1 5 2\n2 5 3\n");
    Start(0);
    platform.Advance(1000);
    Player().Stop(false);
    ASSERT_EQ(show->Shots().size(), 2u);
    ASSERT_EQ(HighVoltage().SetTestMode(false), 0) << "the stop switched its high voltage off";
    show->field->ClearRecord();
    Start(Player().CurrentTime());
    const auto charges = show->Sent(0x84);
    ASSERT_EQ(charges.size(), 1u);
    EXPECT_EQ(Head(charges[0]), Bytes({0x84, 0, 0, 0x80 + 300 / 128, 0x80 + 300 % 128, 5}))
        << "the charge of the one shot left";
    ASSERT_TRUE(RunUntilStopped(3000));
    ASSERT_EQ(show->Shots().size(), 1u);
    EXPECT_EQ(show->Shots()[0].chargeVolts, 300);
}

// No service panel is drawn under kvctl: the charges follow the last channel test and the
// energy setting all the same.
TEST_F(PlayerBus, ChargesFollowTheMeasuredResistancesAndTheEnergySetting)
{
    kv::THVControl& hv = HighVoltage();
    hv.hvSetting = 15;
    ASSERT_EQ(hv.ClassifyChannel(0, 1000, {}), 0);  // 100 ohms: 387 V
    ASSERT_EQ(hv.ClassifyChannel(1, 1500, {}), 0);  // 150 ohms: 474 V, held at 450
    show->LoadScenario("1 5 1\n2 5 2\n3 5 3\n");
    Start(0);
    const auto charges = show->Sent(0x84);
    ASSERT_EQ(charges.size(), 1u);
    EXPECT_EQ((charges[0].bytes[3] & 0x7F) * 128 + (charges[0].bytes[4] & 0x7F), 387);
    ASSERT_TRUE(RunUntilStopped(4000));
    std::vector<int> used;
    for (const kv::TShotEntry& shot : show->Shots())
        used.push_back(shot.chargeVolts);
    EXPECT_EQ(used, (std::vector<int>{387, 450, 1})) << "an untested channel gets the least";
}

TEST_F(PlayerBus, ChargeSequenceStopsAtItsTable)
{
    std::string text;
    for (int i = 0; i < 600; ++i)
        text += std::to_string(i / 10) + "." + std::to_string(i % 10) + " 5 " +
                std::to_string(i % 16 + 1) + "\n";
    for (int channel = 0; channel < 16; ++channel)
        MeasureForCharge(channel, 10 + channel);
    show->LoadScenario(text);
    Start(0);
    ASSERT_TRUE(RunUntilStopped(62000));
    std::vector<int> carried;
    for (const kv::TFrameEntry& frame : show->Sent(0x84))
        if (frame.bytes[1] != 0)
            carried.push_back((frame.bytes[3] & 0x7F) * 128 + frame.bytes[4]);
    ASSERT_EQ(carried.size(), 600u);
    EXPECT_EQ(carried[510], 10 + 511 % 16);
    EXPECT_EQ(carried[511], 1);
    EXPECT_EQ(carried[599], 1);
}

// The charge's 2 s were a sleep inside the key handler: the window took no stop meanwhile.
// They are waited on the show's ticks now.
TEST_F(PlayerBus, ManualHighVoltageShotChargesWaitsAndFiresWithoutNextCharge)
{
    MeasureForCharge(3, 300);
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringManual);
    Start(0);
    show->field->ClearRecord();
    const int next = Player().Charges().Next(5);
    std::vector<bool> done;
    Player().FireByHand(5, 3, [&](bool fired) { done.push_back(fired); });
    EXPECT_TRUE(Player().HandShotsWaiting());
    EXPECT_TRUE(done.empty());
    platform.Advance(1990);
    EXPECT_EQ(show->Sent(0x84).size(), 1u) << "fired before its charge";
    platform.Advance(40);
    const auto frames = show->Sent(0x84);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(Head(frames[0]), Bytes({0x84, 0, 0, 0x82, 0x2C + 0x80, 5}));
    EXPECT_EQ(Head(frames[1]), Bytes({0x84, 4, 0, 0x80, 0, 5}));
    EXPECT_GE(Since(frames[0].Tick(), frames[1].Tick()), 2000);
    EXPECT_EQ(Player().Charges().Next(5), next);
    EXPECT_FALSE(Logged("Запуск, пульт: 5, канал: 4")) << "the console logs manual shots";
    EXPECT_EQ(Player().FiredCount(), 1);
    EXPECT_EQ(done, std::vector<bool>{true});
    EXPECT_FALSE(Player().HandShotsWaiting());
}

TEST_F(PlayerBus, ShotsByHandKeepTheirOrderBehindAChargeAndAStopDropsThem)
{
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringManual);
    Start(0);
    show->field->ClearRecord();
    std::vector<std::string> done;
    auto tell = [&](std::string shot) {
        return [&done, shot](bool fired) {
            done.push_back(shot + (fired ? " fired" : " dropped"));
        };
    };
    Player().FireByHand(1, 0, tell("1/1"));
    Player().FireByHand(5, 3, tell("5/4"));
    Player().FireByHand(1, 1, tell("1/2"));
    EXPECT_EQ(done, std::vector<std::string>{"1/1 fired"}) << "no charge, no wait";
    platform.Advance(2100);
    EXPECT_EQ(done, (std::vector<std::string>{"1/1 fired", "5/4 fired", "1/2 fired"}));

    Player().FireByHand(5, 0, tell("5/1"));
    Player().FireByHand(1, 2, tell("1/3"));
    platform.Advance(500);
    show->field->ClearRecord();
    Player().Stop(false);
    EXPECT_EQ(std::vector<std::string>(done.end() - 2, done.end()),
              (std::vector<std::string>{"5/1 dropped", "1/3 dropped"}));
    EXPECT_FALSE(Player().HandShotsWaiting());
    platform.Advance(3000);
    EXPECT_TRUE(show->Sent(0x84).empty());

    Player().FireByHand(1, 3, tell("1/4"));
    EXPECT_EQ(done.back(), "1/4 dropped") << "no show, no shot by hand";
}

// The shot by hand once told the module no charge to follow: the show's next shot on it
// fired uncharged, its product left live in the field.
TEST_F(PlayerBus, AHighVoltageCueFiredByHandLeavesTheModulesLaterShotsTheirCharges)
{
    MeasureCharges(4);
    show->LoadScenario("1 5 1\n2 5 2\n3 5 3\n4 5 4\n");
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
    Start(0);
    platform.Advance(1100);
    Player().Fire(5, 1, false, true);  // the cue at 2 s
    ASSERT_TRUE(RunUntilStopped(6000));
    EXPECT_EQ(HighVoltageShots(),
              (std::vector<std::pair<int, int>>{{1, 50}, {2, 100}, {3, 150}, {4, 200}}));
}

// Charged by the key while a show shot of the module came, the show shot fired with the
// key's charge; the key's shot then told the show's next shot no charge. Taking a cue
// further on, the shots before it told the module its charge, the entry after them.
TEST_F(PlayerBus, AKeyDuringTheShowChargesClearOfTheShowsShotsAndKeepsTheirCharges)
{
    MeasureCharges(6);
    show->LoadScenario("1 5 1\n2 5 2\n5 5 3\n8 5 4\n9 5 5\n10 5 6\n");
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
    const uint32_t start = Start(0);
    platform.Advance(1100);
    std::vector<bool> done;
    Player().FireByHand(5, 3, [&](bool fired) { done.push_back(fired); });  // the cue at 8 s
    ASSERT_TRUE(RunUntilStopped(12000));
    EXPECT_EQ(done, std::vector<bool>{true});
    EXPECT_EQ(HighVoltageShots(), (std::vector<std::pair<int, int>>{
                                      {1, 50}, {2, 100}, {4, 200}, {3, 150}, {5, 250}, {6, 300}}));
    // The first charge at the start, then the key's once the shot at 2 s had gone.
    const auto set = ChargesSet();
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set[1].second, 200);
    const auto shots = show->Shots();
    ASSERT_EQ(shots.size(), 6u);
    EXPECT_GT(Since(shots[1].Tick(), set[1].first), 0) << "charged before the show's shot";
    EXPECT_GE(Since(set[1].first, shots[2].Tick()), 2000);
    EXPECT_LT(Since(start, shots[2].Tick()), 5000) << "clear of the shot at 5 s";
}

TEST_F(PlayerBus, AResumedShowLeavesOutTheCuesFiredByHandFromItsCharges)
{
    MeasureCharges(3);
    show->LoadScenario("1 5 1\n2 5 2\n3 5 3\n");
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
    Start(0);
    platform.Advance(100);
    Player().Fire(5, 0, false, true);  // the cue at 1 s
    platform.Advance(400);
    Player().Stop(false);
    ASSERT_EQ(HighVoltage().SetTestMode(false), 0);
    show->field->ClearRecord();
    Start(Player().CurrentTime());
    const auto set = ChargesSet();
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set[0].second, 100) << "the first shot still to come is the cue at 2 s";
    ASSERT_TRUE(RunUntilStopped(4000));
    EXPECT_EQ(HighVoltageShots(), (std::vector<std::pair<int, int>>{{2, 100}, {3, 150}}));
}

TEST_F(PlayerBus, AKeyWaitingForAGapInTheShowsShotsIsDroppedByAStop)
{
    MeasureCharges(3);
    show->LoadScenario("1 5 1\n2 5 2\n3 5 3\n");
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
    Start(0);
    platform.Advance(1100);
    std::vector<bool> done;
    Player().FireByHand(5, 2, [&](bool fired) { done.push_back(fired); });
    platform.Advance(1400);
    EXPECT_TRUE(Player().HandShotsWaiting());
    EXPECT_EQ(ChargesSet().size(), 1u) << "charged with the show's shots to come within 2 s";
    Player().Stop(false);
    EXPECT_EQ(done, std::vector<bool>{false});
    show->field->ClearRecord();
    platform.Advance(5000);
    EXPECT_TRUE(show->Sent(0x84).empty());
}

// A cue passed over moved the charge sequence on but told the module nothing: it held the
// passed cue's charge, and its next shot fired with that channel's voltage.
TEST_F(PlayerBus, AHighVoltageCueOnALockedPositionLeavesTheNextShotItsOwnCharge)
{
    MeasureCharges(4);
    show->LoadScenario("0:01\t5\t1\t|0:01|A|Comet\n"
                       "0:02\t5\t2\t|0:02|B|Comet\n"
                       "0:05\t5\t3\t|0:05|A|Comet\n"
                       "0:06\t5\t4\t|0:06|B|Comet\n");
    Reconfigure(Player(), &kv::TShowSetup::scenario, &show->scenario);
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringBoth);
    Start(0);
    platform.Advance(1500);
    ASSERT_TRUE(Player().LockPosition("B", true));
    ASSERT_TRUE(RunUntilStopped(8000));
    EXPECT_EQ(HighVoltageShots(), (std::vector<std::pair<int, int>>{{1, 50}, {3, 150}}));
    // The charge for channel 3 is set once channel 1 has gone, never before it.
    const auto shots = show->Shots();
    const auto set = ChargesSet();
    ASSERT_FALSE(shots.empty());
    ASSERT_GE(set.size(), 2u);
    EXPECT_EQ(set[1].second, 150);
    EXPECT_GT(Since(shots[0].Tick(), set[1].first), 0);
}

// A key's shot on a high-voltage module waits two seconds for its charge: a lockout of its
// position taken meanwhile holds for it too.
TEST_F(PlayerBus, AKeysShotWaitingForItsChargeFiresNotOnceItsPositionIsLocked)
{
    MeasureCharges(2);
    show->LoadScenario("0:05\t5\t1\t|0:05|A|Comet\n0:06\t5\t2\t|0:06|B|Comet\n");
    Reconfigure(Player(), &kv::TShowSetup::scenario, &show->scenario);
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringManual);
    Start(0);
    std::vector<bool> done;
    Player().FireByHand(5, 1, [&](bool fired) { done.push_back(fired); });  // B's channel
    platform.Advance(1000);
    ASSERT_TRUE(Player().HandShotsWaiting());
    ASSERT_TRUE(Player().LockPosition("B", true));
    platform.Advance(1500);
    EXPECT_EQ(done, std::vector<bool>{false});
    EXPECT_TRUE(show->Shots().empty());
    Player().Stop(false);
}

TEST_F(PlayerBus, StartFromSoundtrackJoinsWithoutStartNotice)
{
    Player().Fire(1, 0, true, true);
    Reconfigure(Player(), &kv::TShowSetup::firingMode, kv::kFiringManual);
    Player().StartFromSoundtrack();
    EXPECT_TRUE(Player().IsRunning());
    EXPECT_EQ(Player().CurrentTime(), 0) << "no soundtrack: from 0";
    EXPECT_EQ(Player().FiredCount(), 0);
    EXPECT_TRUE(show->Sent(0x10).empty());
    Player().Stop(true);

    Player().Start(0);
    EXPECT_EQ(show->Sent(0x10).size(), 1u);
}

TEST_F(PlayerBus, SoundtrackThatDoesNotOpenIsReported)
{
    EXPECT_FALSE(Player().LoadSoundtrack(show->folder.Path() + "missing.mp3"));
    ASSERT_EQ(platform.shownMessages.size(), 1u);
    EXPECT_EQ(platform.shownMessages[0].text, "Ошибка загрузки фонограммы");
    EXPECT_EQ(platform.shownMessages[0].caption, "Ошибка");
}

}  // namespace
}  // namespace kvtest
