// The registry keys with Win32 meaning, the same on both platforms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "fresh_store.h"

using tavrin::platform::RegistryKey;
using namespace tavrin::test;

namespace {

constexpr const char* kTestKey = "Software\\Quenor\\Tavrin860VXRUXSdk\\RegistryTest";

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(Registry, KeysExistOnTheirOwnAndCreateEveryKeyAbove) {
    FreshStore store;
    EXPECT_FALSE(RegistryKey::Exists(nullptr, kTestKey));
    EXPECT_EQ(RegistryKey::Open(nullptr, kTestKey), nullptr);

    auto created = RegistryKey::Create(nullptr, std::string(kTestKey) + "\\Deep\\Er");
    ASSERT_TRUE(created);
    EXPECT_TRUE(RegistryKey::Exists(nullptr, kTestKey));
    EXPECT_TRUE(RegistryKey::Exists(nullptr, std::string(kTestKey) + "\\Deep"));

    auto key = RegistryKey::Open(nullptr, kTestKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(Sorted(key->SubKeyNames()), std::vector<std::string>{"Deep"});
    EXPECT_TRUE(key->ValueNames().empty());
    // Opening relative to a parent, and creating an existing key, opens it.
    EXPECT_TRUE(RegistryKey::Open(key.get(), "Deep\\Er"));
    EXPECT_TRUE(RegistryKey::Create(nullptr, kTestKey));
    EXPECT_FALSE(RegistryKey::Exists(key.get(), "Missing"));
}

TEST(Registry, NamesIgnoreAsciiCase) {
    FreshStore store;
    auto key = RegistryKey::Create(nullptr, std::string(kTestKey) + "\\MixedCase");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteDword("ValueName", 7));
    auto again = RegistryKey::Open(nullptr, "SOFTWARE\\quenor\\tavrin860vxruxsdk\\registrytest\\mixedcase");
    ASSERT_TRUE(again);
    int32_t value = 0;
    EXPECT_TRUE(again->ReadDword("VALUENAME", value));
    EXPECT_EQ(value, 7);
    // The key keeps the spelling it was created with.
    auto parent = RegistryKey::Open(nullptr, kTestKey);
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->SubKeyNames(), std::vector<std::string>{"MixedCase"});
}

TEST(Registry, DwordsRoundTripInTwosComplement) {
    FreshStore store;
    auto key = RegistryKey::Create(nullptr, kTestKey);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->WriteDword("Negative", 0xFFFFFFECu));
    ASSERT_TRUE(key->WriteDword("Large", 0x80000000u));
    ASSERT_TRUE(key->WriteDword("Overwritten", 1));
    ASSERT_TRUE(key->WriteDword("Overwritten", 2));
    int32_t negative = 0, large = 0, overwritten = 0;
    EXPECT_TRUE(key->ReadDword("Negative", negative));
    EXPECT_TRUE(key->ReadDword("Large", large));
    EXPECT_TRUE(key->ReadDword("Overwritten", overwritten));
    EXPECT_EQ(negative, -20);
    EXPECT_EQ(static_cast<uint32_t>(large), 0x80000000u);
    EXPECT_EQ(overwritten, 2);
    EXPECT_EQ(Sorted(key->ValueNames()), (std::vector<std::string>{"Large", "Negative", "Overwritten"}));
}

// A value is read into a 32-bit field with a 4-byte limit, whatever its type:
// a shorter value replaces the low bytes only, a longer one is not read.
TEST(Registry, ReadsAnyTypeUpToFourBytes) {
    FreshStore store;
    auto key = RegistryKey::Create(nullptr, kTestKey);
    ASSERT_TRUE(key);
    const uint8_t two[2] = {0x34, 0x12};
    const uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(key->WriteValue("Two", tavrin::platform::kRegistryTypeBinary, two, sizeof two));
    ASSERT_TRUE(key->WriteValue("Eight", tavrin::platform::kRegistryTypeBinary, eight, sizeof eight));
    ASSERT_TRUE(key->WriteValue("Text", 1 /* REG_SZ */, "7", 2));
    ASSERT_TRUE(key->WriteValue("Empty", tavrin::platform::kRegistryTypeBinary, nullptr, 0));

    int32_t field = 0x7F000000;
    EXPECT_TRUE(key->ReadDword("Two", field));
    EXPECT_EQ(field, 0x7F001234);
    field = 99;
    EXPECT_FALSE(key->ReadDword("Eight", field));
    EXPECT_EQ(field, 99);
    field = 0x01020304;
    EXPECT_TRUE(key->ReadDword("Text", field));
    EXPECT_EQ(field, 0x01020037);
    field = 5;
    EXPECT_TRUE(key->ReadDword("Empty", field));
    EXPECT_EQ(field, 5);
    EXPECT_FALSE(key->ReadDword("Missing", field));
    EXPECT_EQ(field, 5);
}

TEST(Registry, KeysOpenedForReadingTakeNoValues) {
    FreshStore store;
    ASSERT_TRUE(RegistryKey::Create(nullptr, kTestKey));
    auto reading = RegistryKey::Open(nullptr, kTestKey);
    ASSERT_TRUE(reading);
    EXPECT_FALSE(reading->WriteDword("Value", 1));
    EXPECT_TRUE(reading->ValueNames().empty());
}

TEST(Registry, DeleteTreeRemovesTheKeyAndEverythingBelowOnly) {
    FreshStore store;
    auto doomed = RegistryKey::Create(nullptr, std::string(kTestKey) + "\\Doomed\\Child");
    auto sibling = RegistryKey::Create(nullptr, std::string(kTestKey) + "\\DoomedSibling");
    ASSERT_TRUE(doomed && sibling);
    ASSERT_TRUE(doomed->WriteDword("V", 1));
    ASSERT_TRUE(sibling->WriteDword("V", 2));
    doomed.reset();
    EXPECT_TRUE(RegistryKey::DeleteTree(nullptr, std::string(kTestKey) + "\\Doomed"));
    EXPECT_FALSE(RegistryKey::Exists(nullptr, std::string(kTestKey) + "\\Doomed"));
    EXPECT_FALSE(RegistryKey::Exists(nullptr, std::string(kTestKey) + "\\Doomed\\Child"));
    int32_t value = 0;
    EXPECT_TRUE(sibling->ReadDword("V", value));
    EXPECT_EQ(value, 2);
    auto parent = RegistryKey::Open(nullptr, kTestKey);
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->SubKeyNames(), std::vector<std::string>{"DoomedSibling"});
}
