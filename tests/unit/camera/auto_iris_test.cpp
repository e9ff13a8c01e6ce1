#include <gtest/gtest.h>

#include "camera/auto_iris.h"

using namespace tavrin;

TEST(AutoIris, RegionsOfTheFullFrame) {
    const auto regions = AutoIrisRegions(656, 494);
    EXPECT_EQ(regions[0].left, 65);
    EXPECT_EQ(regions[0].top, 49);
    EXPECT_EQ(regions[0].right, 131);
    EXPECT_EQ(regions[0].bottom, 98);
    EXPECT_EQ(regions[2].left, 295);
    EXPECT_EQ(regions[2].right, 360);
    EXPECT_EQ(regions[4].right, 590);
    EXPECT_EQ(regions[4].bottom, 444);
}

TEST(AutoIris, FiveBrightRegionsQuarterTheExposure) {
    const int32_t factor = AutoIrisFactor({220, 220, 220, 220, 220});
    EXPECT_EQ(factor, 25);
    EXPECT_FALSE(AutoIrisSettled(factor));
    EXPECT_EQ(AutoIrisExposure(400, factor), 100);
    EXPECT_EQ(AutoIrisExposure(524, factor), 131);
    EXPECT_EQ(AutoIrisExposure(6, factor), 2);  // never below two lines
}

TEST(AutoIris, MidLevelsChangeNothing) {
    const int32_t factor = AutoIrisFactor({120, 120, 120, 120, 120});
    EXPECT_EQ(factor, 100);
    EXPECT_TRUE(AutoIrisSettled(factor));
}

TEST(AutoIris, EachBandMovesTheFactor) {
    EXPECT_EQ(AutoIrisFactor({201, 100, 100, 100, 100}), 85);
    EXPECT_EQ(AutoIrisFactor({161, 100, 100, 100, 100}), 90);
    EXPECT_EQ(AutoIrisFactor({160, 100, 100, 100, 100}), 100);
    EXPECT_EQ(AutoIrisFactor({49, 100, 100, 100, 100}), 110);
    EXPECT_EQ(AutoIrisFactor({50, 100, 100, 100, 100}), 105);
    EXPECT_EQ(AutoIrisFactor({99, 99, 99, 99, 99}), 125);
    EXPECT_EQ(AutoIrisFactor({0, 0, 0, 0, 0}), 150);
    EXPECT_FALSE(AutoIrisSettled(120));
    EXPECT_FALSE(AutoIrisSettled(60));
    EXPECT_TRUE(AutoIrisSettled(61));
}

TEST(AutoIris, GainClimbsFromTheFloorAndStaysInRange) {
    EXPECT_EQ(AutoIrisGain(0, 150), 6);  // starts from at least 4
    EXPECT_EQ(AutoIrisGain(2, 125), 5);
    EXPECT_EQ(AutoIrisGain(3, 105), 4);  // 4 * 1.05 truncates to 4: kept at 4
    EXPECT_EQ(AutoIrisGain(1000, 150), 1023);
    EXPECT_EQ(AutoIrisGain(400, 25), 100);
    EXPECT_EQ(AutoIrisGain(4, 25), 1);
}
