#include "show/safety/SafetyCaseGen.h"

namespace kvtest {
namespace {

rc::Gen<TSafetyGroup> GenGroup()
{
    return rc::gen::build<TSafetyGroup>(
        rc::gen::set(&TSafetyGroup::gapMs, rc::gen::inRange(0, 1200)),
        // Mostly a few cues at a moment, now and then a salvo.
        rc::gen::set(&TSafetyGroup::count,
                     rc::gen::weightedOneOf<int>({{4, rc::gen::inRange(1, 4)}, {1, rc::gen::inRange(1, 61)}})),
        rc::gen::set(&TSafetyGroup::kind, rc::gen::weightedElement<int>({{4, 0}, {2, 1}, {1, 2}})),
        rc::gen::set(&TSafetyGroup::position, rc::gen::inRange(0, 3)));
}

rc::Gen<TSafetyEvent> GenEvent()
{
    using K = TSafetyKind;
    return rc::gen::build<TSafetyEvent>(
        rc::gen::set(&TSafetyEvent::kind,
                     rc::gen::weightedElement<K>({{6, K::Start}, {4, K::Stop}, {1, K::StartAtBegin},
                                                  {3, K::EnterHighlighted}, {2, K::EnterCue},
                                                  {2, K::Tempo}, {2, K::Offset}, {2, K::Lock},
                                                  {2, K::Unlock}, {3, K::HandShot}, {2, K::HeardStop},
                                                  {3, K::OtherStart}, {1, K::ConverterLost},
                                                  {1, K::Hold}, {1, K::SwitchSlot},
                                                  {2, K::SoundStall}, {2, K::TimecodeJump},
                                                  {1, K::TimecodeDropOut}, {1, K::TimecodeReturn},
                                                  {1, K::Rehearsal}})),
        rc::gen::set(&TSafetyEvent::afterMs,
                     rc::gen::weightedOneOf<int32_t>({{1, rc::gen::inRange(0, 30)}, {3, rc::gen::inRange(0, 1500)}})),
        rc::gen::set(&TSafetyEvent::value, rc::gen::inRange(0, 3001)),
        rc::gen::set(&TSafetyEvent::armed, rc::gen::arbitrary<bool>()));
}

}  // namespace

rc::Gen<TSafetyCase> GenSafetyCase()
{
    return rc::gen::build<TSafetyCase>(
        rc::gen::set(&TSafetyCase::autonomous, rc::gen::weightedElement<bool>({{3, false}, {1, true}})),
        rc::gen::set(&TSafetyCase::firingMode, rc::gen::weightedElement<int32_t>({{3, 0}, {1, 1}, {2, 2}})),
        rc::gen::set(&TSafetyCase::groups, rc::gen::resize(8, rc::gen::nonEmpty(rc::gen::container<std::vector<TSafetyGroup>>(GenGroup())))),
        rc::gen::set(&TSafetyCase::events, rc::gen::resize(24, rc::gen::container<std::vector<TSafetyEvent>>(GenEvent()))),
        rc::gen::set(&TSafetyCase::media, rc::gen::weightedElement<int32_t>({{2, kMediaNone}, {1, kMediaSoundtrack}, {1, kMediaTimecode}})),
        rc::gen::set(&TSafetyCase::standby, rc::gen::arbitrary<bool>()));
}

}  // namespace kvtest
