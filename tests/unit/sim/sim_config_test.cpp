#include <gtest/gtest.h>

#include "sim/sim_config.h"

using tavrin::sim::ParseSimConfig;
using tavrin::sim::SimConfig;

namespace {

std::vector<int> Occupied(const SimConfig& config) {
    std::vector<int> slots;
    for (int i = 0; i < tavrin::sim::kSlotCount; ++i) {
        if (config.occupied[static_cast<size_t>(i)]) {
            slots.push_back(i);
        }
    }
    return slots;
}

}  // namespace

TEST(SimConfig, SlotListAlone) {
    EXPECT_EQ(Occupied(ParseSimConfig("0")), std::vector<int>({0}));
    EXPECT_EQ(Occupied(ParseSimConfig("0,2")), std::vector<int>({0, 2}));
    EXPECT_EQ(Occupied(ParseSimConfig(" 31 , 5 ")), std::vector<int>({5, 31}));
    EXPECT_TRUE(Occupied(ParseSimConfig("")).empty());
}

TEST(SimConfig, SlotsOutsideTheTableAndJunkAreLeftOut) {
    EXPECT_EQ(Occupied(ParseSimConfig("32,-1,x,3,,4a,7")), std::vector<int>({3, 7}));
}

TEST(SimConfig, OptionsFollowTheSlots) {
    const SimConfig config = ParseSimConfig("1;pattern=2;level=700;interval=0;light=150;variant=2;log=16;settle=0");
    EXPECT_EQ(Occupied(config), std::vector<int>({1}));
    EXPECT_EQ(config.pattern, 2);
    EXPECT_EQ(config.level, 700);
    EXPECT_EQ(config.intervalMs, 0);
    EXPECT_EQ(config.lightPercent, 150);
    EXPECT_EQ(config.variant, 2);
    EXPECT_EQ(config.logCapacity, 16);
    EXPECT_EQ(config.settle, 0);
}

TEST(SimConfig, BadOptionsKeepTheDefaults) {
    const SimConfig defaults;
    const SimConfig config = ParseSimConfig(";pattern=9;level=2000;interval=-3;colour=red;light;log=0");
    EXPECT_TRUE(Occupied(config).empty());
    EXPECT_EQ(config.pattern, defaults.pattern);
    EXPECT_EQ(config.level, defaults.level);
    EXPECT_EQ(config.intervalMs, -1);
    EXPECT_EQ(config.lightPercent, defaults.lightPercent);
    EXPECT_EQ(config.logCapacity, defaults.logCapacity);
}
