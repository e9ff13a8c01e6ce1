// The settings catalogue walked through the exports: each setting's default
// is what a fresh camera reports, and its range is what both the catalogue
// functions and the setting's own export accept.
#include <climits>
#include <cstddef>
#include <cstring>
#include <string>

#include "TavrinEx.h"
#include "frontend_fixture.h"

namespace tavrin::test {
namespace {

using CatalogueTest = FrontEndTest;

TavrinSettingInfo Describe(int index) {
    TavrinSettingInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(TavrinEx_DescribeSetting(index, &info), 1) << index;
    return info;
}

// The setting's own export, where it refuses what the catalogue refuses.
// The mirror flags and the white balance flag store whether a value is 0,
// and the packed Bayer gain takes the low bytes of any value, so their
// exports take everything.
int SetThroughOwnExport(int handle, const TavrinSettingInfo& info, int value) {
    const std::string name = info.name;
    if (info.filterId != 0)
        return Tavrin_SetFilterValue(handle, info.filterId, value);
    if (name == "exposure-us")
        return Tavrin_SetRealExposureTime(handle, value);
    if (name == "auto-iris")
        return Tavrin_SetAutoIris(handle, value);
    if (name == "color-mode")
        return Tavrin_SetColorMode(handle, value);
    if (name == "wait-time")
        return Tavrin_SetWaitTime(handle, value);
    return -1;
}

bool OwnExportTakesAnyValue(const std::string& name) {
    return name == "mirror-h" || name == "mirror-v" || name == "white-balance" || name == "bayer-gain-rgb";
}

TEST_F(CatalogueTest, EveryDefaultIsWhatAFreshCameraReports) {
    ASSERT_GT(TavrinEx_GetSettingCount(), 0);
    for (int i = 0; i < TavrinEx_GetSettingCount(); ++i) {
        const TavrinSettingInfo info = Describe(i);
        int value = INT_MIN;
        EXPECT_EQ(TavrinEx_GetSetting(handle, info.name, &value), 1) << info.name;
        EXPECT_EQ(value, info.defaultValue) << info.name;
        EXPECT_EQ(info.index, i);
        if (info.filterId != 0) {
            int ok = 0;
            EXPECT_EQ(Tavrin_GetFilterValue(handle, info.filterId, &ok), info.defaultValue) << info.name;
        }
    }
    ExpectNothingReported();
}

TEST_F(CatalogueTest, RangesAreWhatTheSettersAccept) {
    for (int i = 0; i < TavrinEx_GetSettingCount(); ++i) {
        const TavrinSettingInfo info = Describe(i);
        SCOPED_TRACE(info.name);
        if (info.kind == TAVRIN_SETTING_LIST) {
            ASSERT_GT(info.valueCount, 1);
            for (int k = 0; k < info.valueCount; ++k) {
                int value = 0;
                EXPECT_EQ(TavrinEx_SetSetting(handle, info.name, info.values[k]), 1);
                EXPECT_EQ(TavrinEx_GetSetting(handle, info.name, &value), 1);
                EXPECT_EQ(value, info.values[k]);  // as set, whatever the bits it carries
            }
            EXPECT_EQ(info.values[0], info.minimum);
            EXPECT_EQ(info.values[info.valueCount - 1], info.maximum);
            EXPECT_EQ(TavrinEx_SetSetting(handle, info.name, info.minimum + 1), 0);
            ExpectReported(SDKERR_PARAMETER);
            EXPECT_EQ(SetThroughOwnExport(handle, info, info.minimum + 1), 0);
            TakeErrors();
            TakePosted(0);
            continue;
        }
        for (const int edge : {info.minimum, info.maximum}) {
            int value = 0;
            EXPECT_EQ(TavrinEx_SetSetting(handle, info.name, edge), 1) << edge;
            EXPECT_EQ(TavrinEx_GetSetting(handle, info.name, &value), 1);
            // The exposure in microseconds reads back as the time of its lines.
            int again = 0;
            EXPECT_EQ(TavrinEx_SetSetting(handle, info.name, value), 1);
            EXPECT_EQ(TavrinEx_GetSetting(handle, info.name, &again), 1);
            EXPECT_EQ(again, value);
            if (std::strcmp(info.name, "exposure-us") != 0) {
                EXPECT_EQ(value, edge);
            }
            if (!OwnExportTakesAnyValue(info.name)) {
                EXPECT_EQ(SetThroughOwnExport(handle, info, edge), 1) << edge;
            }
        }
        ExpectNothingReported();
        const struct {
            bool exists;
            int value;
        } outside[] = {{info.minimum > INT_MIN, info.minimum > INT_MIN ? info.minimum - 1 : 0},
                       {info.maximum < INT_MAX, info.maximum < INT_MAX ? info.maximum + 1 : 0}};
        for (const auto& o : outside) {
            if (!o.exists)
                continue;
            EXPECT_EQ(TavrinEx_SetSetting(handle, info.name, o.value), 0) << o.value;
            ExpectReported(SDKERR_PARAMETER);
            if (!OwnExportTakesAnyValue(info.name)) {
                EXPECT_EQ(SetThroughOwnExport(handle, info, o.value), 0) << o.value;
            }
            TakeErrors();
            TakePosted(0);
        }
    }
}

TEST_F(CatalogueTest, BadRequestsAreRefused) {
    const int count = TavrinEx_GetSettingCount();
    TavrinSettingInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(TavrinEx_DescribeSetting(-1, &info), 0);
    EXPECT_EQ(TavrinEx_DescribeSetting(count, &info), 0);
    EXPECT_EQ(TavrinEx_DescribeSetting(0, nullptr), 0);
    info.size = 4;
    EXPECT_EQ(TavrinEx_DescribeSetting(0, &info), 0);

    // An older caller's shorter record is filled as far as it goes.
    TavrinSettingInfo shorter{};
    std::memset(&shorter, 0x5A, sizeof shorter);
    shorter.size = offsetof(TavrinSettingInfo, minimum);
    EXPECT_EQ(TavrinEx_DescribeSetting(count - 1, &shorter), 1);
    EXPECT_EQ(shorter.size, static_cast<int32_t>(offsetof(TavrinSettingInfo, minimum)));
    EXPECT_EQ(shorter.index, count - 1);
    EXPECT_EQ(shorter.minimum, 0x5A5A5A5A);

    int value = 7;
    EXPECT_EQ(TavrinEx_GetSetting(handle, "shutter", &value), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(TavrinEx_GetSetting(handle, nullptr, &value), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(TavrinEx_GetSetting(handle, "gain", nullptr), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(TavrinEx_SetSetting(handle, "shutter", 1), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(TavrinEx_SetSetting(handle, nullptr, 1), 0);
    ExpectReported(SDKERR_PARAMETER);
    EXPECT_EQ(value, 7);

    // An unknown handle fails with nothing queued anywhere.
    EXPECT_EQ(TavrinEx_GetSetting(handle + 1000, "gain", &value), 0);
    EXPECT_EQ(TavrinEx_SetSetting(handle + 1000, "gain", 1), 0);
    ExpectNothingReported();
}

}  // namespace
}  // namespace tavrin::test
