// The start gate's order: what it checks before the operator is asked, and what it checks
// again once the answers are in, since the field changes while a question stands open.
#include "rigs/VirtualShow.h"

#include "show/player/launch/StartGate.h"
#include "support/lang/AddedMessages.h"

namespace kvtest {
namespace {

using kv::TStartGate;
using kv::TStartVerdict;
using Way = TStartGate::TWay;

class StartGate : public VirtualShow {
protected:
    void SetUp() override
    {
        show->AddModule(Module(1));
        show->Connect();
        show->LoadScenario("0.5 1 1\n");
    }
    // Marked, as the console's: counting the stops from its making.
    TStartGate Gate(bool marked = true)
    {
        TStartGate gate(Player(), {[this] { return keyHeld; }, [this] { return converter; },
                                     [this] { return goNoGo; },
                                     [this] {
                                         ++questions;
                                         duringQuestion();
                                         return answer;
                                     },
                                     [this] { return stops; },
                                     [this](const std::string& why) { refusals.push_back(why); }});
        if (marked)
            gate.Mark();
        return gate;
    }

    bool keyHeld = true;
    bool converter = true;
    bool goNoGo = true;
    bool answer = true;
    int stops = 0;
    int questions = 0;
    std::function<void()> duringQuestion = [] {};
    std::vector<std::string> refusals;
};

// Nothing is asked once a check before the questions refused; a start at once needs the
// converter before the questions, a wait is refused without it after them, in its own words.
TEST_F(StartGate, RefusesBeforeAskingAndSaysWhyInTheWordsOfAStartOrAWait)
{
    keyHeld = false;
    EXPECT_EQ(Gate().Open(Way::Now), TStartVerdict::KeyNotHeld);
    keyHeld = true;
    goNoGo = false;
    EXPECT_EQ(Gate().Open(Way::Now), TStartVerdict::HeldByGoNoGo);
    goNoGo = true;
    converter = false;
    EXPECT_EQ(Gate().Open(Way::Now), TStartVerdict::NoConverter);
    TStartGate wait = Gate();
    EXPECT_EQ(wait.Open(Way::Wait), TStartVerdict::Open);
    EXPECT_EQ(wait.Confirm(Way::Wait), TStartVerdict::NoConverter);
    EXPECT_EQ(refusals, (std::vector<std::string>{kv::Localize(kv::kMsgStartCalledOffConverterLost),
                                                  kv::Localize(kv::kMsgNoWaitWithoutConverter)}));
    EXPECT_EQ(questions, 1);
}

// A stop, a lost converter or a let-go key while the operator reads a warning calls the start
// off; a stop heard before the questions spares them; a wait's end checks it all again.
TEST_F(StartGate, WhatChangesWhileAQuestionStandsOpenCallsTheStartOff)
{
    const std::vector<std::pair<std::function<void()>, TStartVerdict>> changes{
        {[this] { ++stops; }, TStartVerdict::StopHeard},
        {[this] { converter = false; }, TStartVerdict::NoConverter},
        {[this] { keyHeld = false; }, TStartVerdict::KeyNotHeld},
        {[this] { answer = false; }, TStartVerdict::OperatorDeclined},
        // kvctl's Ctrl+C during a question: a stop, and "no" for an answer.
        {[this] { ++stops, answer = false; }, TStartVerdict::StopHeard},
        {[] {}, TStartVerdict::Open}};
    for (const auto& [change, verdict] : changes) {
        keyHeld = converter = answer = true;
        duringQuestion = change;
        TStartGate gate = Gate();
        ASSERT_EQ(gate.Open(Way::Now), TStartVerdict::Open);
        EXPECT_EQ(gate.Confirm(Way::Now), verdict);
    }
    duringQuestion = [] {};
    TStartGate gate = Gate();
    ASSERT_EQ(gate.Open(Way::Now), TStartVerdict::Open);
    ++stops;
    const int asked = questions;
    EXPECT_EQ(gate.Confirm(Way::Now), TStartVerdict::StopHeard);
    EXPECT_EQ(questions, asked);

    gate.Mark();
    EXPECT_EQ(gate.StillOpen(), TStartVerdict::Open);
    Start(0);
    EXPECT_EQ(gate.StillOpen(), TStartVerdict::AlreadyRunning);
    Player().Stop(true);
    ++stops;
    EXPECT_EQ(gate.StillOpen(), TStartVerdict::StopHeard);
    // Unmarked, as kvctl's: a stop heard before the gate was made (in the search) counts.
    EXPECT_EQ(Gate(false).Confirm(Way::Now), TStartVerdict::StopHeard);
}

}  // namespace
}  // namespace kvtest
