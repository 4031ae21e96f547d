#pragma once
// One field of the player's setup changed, between shows, as the console changes it.

#include "show/player/CommonPlayer.h"

#include <gtest/gtest.h>

namespace kvtest {

template <typename Field, typename Value>
void Reconfigure(kv::TCommonPlayer& player, Field kv::TShowSetup::*field, Value value)
{
    kv::TShowSetup setup = player.Setup();
    setup.*field = static_cast<Field>(value);
    EXPECT_TRUE(player.Configure(setup));
}

}  // namespace kvtest
