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

TEST(SimConfig, ReplayOptions) {
    struct Case {
        const char* setting;
        const char* path;
        tavrin::sim::ReplayPace pace;
        tavrin::sim::ReplayEnd end;
        bool strict;
    };
    using tavrin::sim::ReplayEnd;
    using tavrin::sim::ReplayPace;
    const Case cases[] = {
        {"0;replay=C:\\s\\a b.tvs", "C:\\s\\a b.tvs", ReplayPace::kRecorded, ReplayEnd::kStall, false},
        {"0;replay=/t/x=y.tvs;pace=fast;end=loop;strict=1", "/t/x=y.tvs", ReplayPace::kFast, ReplayEnd::kLoop, true},
        {"0;replay= /t/s ;end=unplug;pace=slow;strict=2", "/t/s", ReplayPace::kRecorded, ReplayEnd::kUnplug, false},
        {"0;pace=fast", "", ReplayPace::kFast, ReplayEnd::kStall, false},
    };
    for (const Case& c : cases) {
        const SimConfig config = ParseSimConfig(c.setting);
        EXPECT_EQ(config.replay.path, c.path) << c.setting;
        EXPECT_EQ(config.replay.pace, c.pace) << c.setting;
        EXPECT_EQ(config.replay.end, c.end) << c.setting;
        EXPECT_EQ(config.replay.strict, c.strict) << c.setting;
    }
}
