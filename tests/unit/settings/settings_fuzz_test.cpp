// Random contents in every value the store reads, including values of the
// wrong type or length, gaps in the size list and missing keys: every reader
// must take exactly what the rules give and nothing may crash.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "fresh_store.h"
#include "settings/registry_store.h"

using tavrin::platform::RegistryKey;
using namespace tavrin;
using namespace tavrin::test;

namespace {

constexpr int kCameras = 3;
constexpr int kMaxEntries = 12;

// What one stored value is: absent, or some bytes of some type.
struct StoredValue {
    bool present = false;
    uint32_t type = 4;
    std::vector<uint8_t> bytes;

    // What a 32-bit field holding initial reads from it.
    std::optional<int32_t> ReadOver(int32_t initial) const {
        if (!present || bytes.size() > 4)
            return std::nullopt;
        uint32_t value = static_cast<uint32_t>(initial);
        for (size_t i = 0; i < bytes.size(); ++i) {
            value = (value & ~(0xFFu << (8 * i))) | (uint32_t{bytes[i]} << (8 * i));
        }
        return static_cast<int32_t>(value);
    }
};

class Fuzzer {
public:
    explicit Fuzzer(uint32_t seed) : random_(seed) {}

    int32_t Number() {
        static const int32_t kEdges[] = {0,   1,   -1,  2,   3,   5,    99,        100,
                                         128, 400, 494, 524, 656, 1023, INT32_MIN, INT32_MAX};
        switch (Below(4)) {
        case 0:
            return kEdges[Below(sizeof kEdges / sizeof kEdges[0])];
        case 1:
            return static_cast<int32_t>(Below(8)) - 2;
        default:
            return static_cast<int32_t>(random_());
        }
    }
    StoredValue Value() {
        StoredValue value;
        const unsigned kind = Below(10);
        if (kind == 0)
            return value;  // absent
        value.present = true;
        if (kind == 1) {
            value.type = Below(12);
            value.bytes.resize(Below(9));
            for (auto& byte : value.bytes)
                byte = static_cast<uint8_t>(random_());
            if (value.type == 1 || value.type == 2 || value.type == 7)
                value.type = 3;  // text is re-encoded
            return value;
        }
        const uint32_t number = static_cast<uint32_t>(Number());
        for (int i = 0; i < 4; ++i)
            value.bytes.push_back(static_cast<uint8_t>(number >> (8 * i)));
        return value;
    }
    unsigned Below(unsigned limit) { return static_cast<unsigned>(random_() % limit); }
    bool Chance(unsigned percent) { return Below(100) < percent; }

private:
    std::mt19937 random_;
};

void Store(RegistryKey& key, const char* name, const StoredValue& value) {
    if (value.present) {
        ASSERT_TRUE(key.WriteValue(name, value.type, value.bytes.data(), value.bytes.size()));
    }
}

using Group = std::map<std::string, StoredValue>;

// One camera's stored contents.
struct CameraContents {
    bool cameraKey = false;
    Group format;                                        // Size, Color, SubSample, WaitTime, Clock
    std::map<int, Group> entries;                        // index -> TH..Buf
    std::map<std::string, std::optional<Group>> groups;  // Gain, Filter, Gray

    int ListLength() const {
        int count = 0;
        while (count < 100 && entries.count(count))
            ++count;
        return count;
    }
};

const std::vector<std::string> kSizeNames{"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
const std::vector<std::string> kFormatNames{"Size", "Color", "SubSample", "WaitTime", "Clock"};
const std::map<std::string, std::vector<std::string>> kGroupNames{
    {"Gain", {"Global", "ColorG1", "ColorR", "ColorB", "ColorG2", "Exposure", "V_Mirror", "H_Mirror", "AutoIris"}},
    {"Filter",
     {"Brightness", "Contrast", "Hue", "Saturation", "Sharpness", "R_Gain", "G_Gain", "B_Gain", "Gamma", "BayerMode"}},
    {"Gray", {"Mode", "GainR1", "GainG1", "GainG2", "GainB1", "OffsetR1", "OffsetG1", "OffsetG2", "OffsetB1"}}};
const int kFilterPositions[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
const int kGrayPositions[] = {11, 12, 13, 14, 15, 16, 17, 18, 19};

CameraContents MakeCamera(Fuzzer& fuzz, int number, RegistryKey& base) {
    CameraContents camera;
    camera.cameraKey = fuzz.Chance(85);
    if (!camera.cameraKey)
        return camera;
    char name[32];
    std::snprintf(name, sizeof name, "Camera_%02d", number);
    auto key = RegistryKey::Create(&base, name);
    EXPECT_TRUE(key);
    for (const auto& value : kFormatNames) {
        camera.format[value] = fuzz.Value();
        // Mostly a selection inside the list, to reach the loading path.
        if (value == "Size" && fuzz.Chance(60)) {
            camera.format[value] = StoredValue{true, 4, {static_cast<uint8_t>(fuzz.Below(kMaxEntries)), 0, 0, 0}};
        }
        Store(*key, value.c_str(), camera.format[value]);
    }
    for (int index = 0; index < kMaxEntries; ++index) {
        if (fuzz.Chance(15))
            continue;  // gaps
        std::snprintf(name, sizeof name, "Size_%02d", index);
        auto entry = RegistryKey::Create(key.get(), name);
        EXPECT_TRUE(entry);
        for (const auto& value : kSizeNames) {
            auto stored = fuzz.Value();
            if (fuzz.Chance(30))
                stored = StoredValue{true, 4, {static_cast<uint8_t>(fuzz.Below(3)), 1, 0, 0}};
            camera.entries[index][value] = stored;
            Store(*entry, value.c_str(), stored);
        }
    }
    for (const auto& [group, names] : kGroupNames) {
        if (fuzz.Chance(25)) {
            camera.groups[group] = std::nullopt;
            continue;
        }
        auto groupKey = RegistryKey::Create(key.get(), group);
        EXPECT_TRUE(groupKey);
        Group values;
        for (const auto& value : names) {
            values[value] = fuzz.Value();
            Store(*groupKey, value.c_str(), values[value]);
        }
        camera.groups[group] = values;
    }
    return camera;
}

int32_t Expect(const Group& group, const std::string& name, int32_t initial) {
    return group.at(name).ReadOver(initial).value_or(initial);
}

void CheckSize(const CameraContents& camera, int number) {
    CaptureWindow window;
    const CaptureWindow::Values before{-7, -7, -7, -7, -7, -7, -7};
    window.Restore(before);
    const int loaded = LoadSizeSettings(window, number);
    const auto selected = camera.cameraKey ? camera.format.at("Size").ReadOver(0) : std::nullopt;
    const bool inList = selected && *selected >= 0 && *selected < camera.ListLength();
    ASSERT_EQ(loaded, inList ? 1 : 0);
    for (int i = 0; i < CaptureWindow::kFieldCount; ++i) {
        const int32_t want = inList ? Expect(camera.entries.at(*selected), kSizeNames[i], -7) : -7;
        EXPECT_EQ(window.Snapshot()[i], want) << kSizeNames[i];
    }

    SizeTable table;
    EXPECT_EQ(LoadSizeTable(table, number), camera.cameraKey ? 1 : 0);
    EXPECT_EQ(table.count, camera.cameraKey ? camera.ListLength() : 0);

    // The first entry of the list with a random entry's (or any) size.
    int32_t width = static_cast<int32_t>(number * 100), height = 7;
    if (camera.ListLength() > 0) {
        const Group& probe = camera.entries.at(camera.ListLength() - 1);
        width = Expect(probe, "EH", 0);
        height = Expect(probe, "EV", 0);
    }
    std::optional<CaptureWindow::Values> want;
    for (int index = 0; camera.cameraKey && index < camera.ListLength() && !want; ++index) {
        CaptureWindow::Values values{};
        for (int i = 0; i < CaptureWindow::kFieldCount; ++i)
            values[i] = Expect(camera.entries.at(index), kSizeNames[i], 0);
        if (values[2] == width && values[3] == height)
            want = values;
    }
    EXPECT_EQ(FindStoredSize(width, height, number), want);
}

void CheckGroups(const CameraContents& camera, int number, const AnalogFallback& fallback) {
    AnalogRecord analog;
    analog.Restore({-3, -3, -3, -3, -3, -3, -3, -3, -3});
    EXPECT_EQ(LoadAnalogSettings(analog, fallback, number), 1);
    const AnalogRecord::Values fallbackValues{
        fallback.defaultGain, 0, 0, 0, 0, fallback.minimumExposure, fallback.mirrorV, fallback.mirrorH, 0};
    const auto gain = camera.cameraKey ? camera.groups.at("Gain") : std::nullopt;
    for (int i = 0; i < AnalogRecord::kFieldCount; ++i) {
        const int32_t want = gain ? Expect(*gain, kGroupNames.at("Gain")[i], fallbackValues[i]) : fallbackValues[i];
        EXPECT_EQ(analog.Snapshot()[i], want) << i;
    }

    FilterRecord filter;
    for (int i = 0; i < kFilterFieldCount; ++i)
        filter.fields[i] = -5;
    const auto filterGroup = camera.cameraKey ? camera.groups.at("Filter") : std::nullopt;
    const auto grayGroup = camera.cameraKey ? camera.groups.at("Gray") : std::nullopt;
    EXPECT_EQ(LoadFilterSettings(filter, number), filterGroup ? 1 : 0);
    EXPECT_EQ(LoadGraySettings(filter, number), grayGroup ? 1 : 0);
    const int32_t filterFallback[] = {0, 0, 0, 0, 0, 100, 100, 100, 100, 1};
    const int32_t grayFallback[] = {0, 128, 128, 128, 128, 0, 0, 0, 0};
    for (int i = 0; i < 10; ++i) {
        const int32_t want = filterGroup ? Expect(*filterGroup, kGroupNames.at("Filter")[i], -5) : filterFallback[i];
        EXPECT_EQ(filter.Get(static_cast<FilterField>(kFilterPositions[i])), want) << "filter " << i;
    }
    for (int i = 0; i < 9; ++i) {
        const int32_t want = grayGroup ? Expect(*grayGroup, kGroupNames.at("Gray")[i], -5) : grayFallback[i];
        EXPECT_EQ(filter.Get(static_cast<FilterField>(kGrayPositions[i])), want) << "gray " << i;
    }
    EXPECT_EQ(filter.Get(kBayerGainAuto), filterGroup ? -5 : 0);
}

}  // namespace

TEST(SettingsFuzz, RandomStoredValuesLoadByTheRulesAndRoundTrip) {
    FreshStore store;
    const uint32_t firstSeed = std::random_device{}();
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round) {
        const uint32_t seed = firstSeed + static_cast<uint32_t>(round);
        SCOPED_TRACE("seed " + std::to_string(seed));
        Fuzzer fuzz(seed);
        RegistryKey::DeleteTree(nullptr, kBaseKey);
        auto base = RegistryKey::Create(nullptr, kBaseKey);
        ASSERT_TRUE(base);
        std::vector<CameraContents> cameras;
        for (int number = 0; number < kCameras; ++number)
            cameras.push_back(MakeCamera(fuzz, number, *base));
        base.reset();

        const AnalogFallback fallback{fuzz.Number(), fuzz.Number(), fuzz.Number(), fuzz.Number()};
        for (int number = 0; number < kCameras; ++number) {
            SCOPED_TRACE("camera " + std::to_string(number));
            CheckSize(cameras[number], number);
            CheckGroups(cameras[number], number, fallback);

            // Whatever the records hold is saved and read back unchanged.
            AnalogRecord analog;
            FilterRecord filter;
            for (auto& field : analog.fields)
                field = fuzz.Number();
            for (auto& field : filter.fields)
                field = fuzz.Number();
            const auto analogWant = analog.Snapshot();
            const auto filterWant = filter.Snapshot();
            EXPECT_EQ(SaveAnalogSettings(analog, number), 1);
            EXPECT_EQ(SaveFilterSettings(filter, number), 1);
            EXPECT_EQ(SaveGraySettings(filter, number), 1);
            for (auto& field : filter.fields)
                field = 0;
            EXPECT_EQ(LoadAnalogSettings(analog, fallback, number), 1);
            EXPECT_EQ(LoadFilterSettings(filter, number), 1);
            EXPECT_EQ(LoadGraySettings(filter, number), 1);
            EXPECT_EQ(analog.Snapshot(), analogWant);
            for (int position : kFilterPositions)
                EXPECT_EQ(filter.fields[position], filterWant[position]);
            for (int position : kGrayPositions)
                EXPECT_EQ(filter.fields[position], filterWant[position]);
        }
    }
}
