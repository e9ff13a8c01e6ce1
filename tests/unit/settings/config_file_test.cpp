// The register configuration file and its list.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "settings/config_file.h"

using namespace tavrin;

namespace {

class TempFiles {
public:
    TempFiles() {
        static std::atomic<int> counter{0};
        directory_ = std::filesystem::temp_directory_path() /
                     ("tavrin-config-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
                      "-" + std::to_string(counter++));
        std::filesystem::create_directories(directory_);
    }
    ~TempFiles() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string path = (directory_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string Path(const std::string& name) const { return (directory_ / name).string(); }

private:
    std::filesystem::path directory_;
};

std::vector<uint8_t> Records(std::initializer_list<std::pair<uint32_t, uint32_t>> pairs) {
    std::vector<uint8_t> bytes;
    for (auto [first, second] : pairs) {
        for (uint32_t value : {first, second}) {
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    }
    return bytes;
}

bool Equal(const RegisterConfigList& list, std::initializer_list<std::pair<uint32_t, uint32_t>> pairs) {
    if (list.size() != pairs.size())
        return false;
    size_t i = 0;
    for (auto [first, second] : pairs) {
        if (list[i].first != first || list[i].second != second)
            return false;
        ++i;
    }
    return true;
}

// A stream whose end lies beyond what it delivers, as a file that shrinks
// or fails while it is read; or one that fails outright when read.
class ShortStreamBuffer : public std::streambuf {
public:
    ShortStreamBuffer(std::string content, std::streamoff claimedSize, bool failOnRead)
        : content_(std::move(content)), claimedSize_(claimedSize), failOnRead_(failOnRead) {}

protected:
    pos_type seekoff(off_type offset, std::ios::seekdir direction, std::ios::openmode) override {
        if (direction == std::ios::end) {
            logical_ = claimedSize_ + offset;
        } else if (direction == std::ios::cur) {
            logical_ += offset;
        } else {
            logical_ = offset;
        }
        if (logical_ == 0) {  // back to the start: read from the beginning
            position_ = 0;
            setg(nullptr, nullptr, nullptr);
        }
        return pos_type(logical_);
    }
    pos_type seekpos(pos_type position, std::ios::openmode mode) override {
        return seekoff(off_type(position), std::ios::beg, mode);
    }
    int_type underflow() override {
        if (failOnRead_)
            throw std::ios::failure("device error");
        if (position_ >= content_.size())
            return traits_type::eof();
        setg(content_.data(), content_.data() + position_, content_.data() + content_.size());
        position_ = content_.size();
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string content_;
    std::streamoff claimedSize_;
    bool failOnRead_;
    size_t position_ = 0;
    std::streamoff logical_ = 0;
};

}  // namespace

TEST(ConfigFile, RecordsAreLittleEndianPairsAndTrailingBytesAreIgnored) {
    TempFiles files;
    std::vector<uint8_t> bytes = Records({{0x04030201, 0x08070605}, {0xFFFFFFFF, 0x80000000}});
    bytes.insert(bytes.end(), {0xAA, 0xBB, 0xCC, 0xDD});  // 20 bytes
    const std::string path = files.Write("twenty.bin", bytes);
    platform::CriticalSection lock;
    RegisterConfigList list;
    EXPECT_EQ(LoadConfigFile(path.c_str(), lock, list), 1);
    EXPECT_TRUE(Equal(list, {{0x04030201, 0x08070605}, {0xFFFFFFFF, 0x80000000}}));
}

TEST(ConfigFile, EmptyAndShortFilesEmptyTheList) {
    TempFiles files;
    platform::CriticalSection lock;
    RegisterConfigList list{{1, 2}};
    EXPECT_EQ(LoadConfigFile(files.Write("empty.bin", {}).c_str(), lock, list), 1);
    EXPECT_TRUE(list.empty());
    list = {{1, 2}};
    EXPECT_EQ(LoadConfigFile(files.Write("seven.bin", {1, 2, 3, 4, 5, 6, 7}).c_str(), lock, list), 1);
    EXPECT_TRUE(list.empty());
}

TEST(ConfigFile, ASecondLoadReplacesTheFirst) {
    TempFiles files;
    platform::CriticalSection lock;
    RegisterConfigList list;
    ASSERT_EQ(LoadConfigFile(files.Write("a.bin", Records({{1, 10}, {2, 20}, {3, 30}})).c_str(), lock, list), 1);
    ASSERT_EQ(LoadConfigFile(files.Write("b.bin", Records({{9, 90}})).c_str(), lock, list), 1);
    EXPECT_TRUE(Equal(list, {{9, 90}}));
}

TEST(ConfigFile, UnreadableFilesKeepTheList) {
    TempFiles files;
    platform::CriticalSection lock;
    RegisterConfigList list{{5, 6}};
    EXPECT_EQ(LoadConfigFile(files.Path("missing.bin").c_str(), lock, list), 0);
    EXPECT_EQ(LoadConfigFile(nullptr, lock, list), 0);
    std::filesystem::create_directories(files.Path("directory"));
    EXPECT_EQ(LoadConfigFile(files.Path("directory").c_str(), lock, list), 0);
    EXPECT_TRUE(Equal(list, {{5, 6}}));
}

// Only the bytes actually delivered count: a file that gives fewer bytes
// than its size, or fails while being read, is not taken.
TEST(ConfigFile, ShortOrFailingReadsGiveNoImage) {
    ShortStreamBuffer shortBuffer(std::string(8, '\x11'), 16, false);
    std::istream shortStream(&shortBuffer);
    EXPECT_FALSE(LoadFileImage(shortStream));

    ShortStreamBuffer failing(std::string(16, '\x11'), 16, true);
    std::istream failingStream(&failing);
    EXPECT_FALSE(LoadFileImage(failingStream));

    ShortStreamBuffer whole(std::string("\x01\x00\x00\x00\x02\x00\x00\x00", 8), 8, false);
    std::istream wholeStream(&whole);
    const auto image = LoadFileImage(wholeStream);
    ASSERT_TRUE(image);
    EXPECT_TRUE(Equal(ParseRegisterConfig(*image), {{1, 2}}));
}

TEST(ConfigFile, FilesTooLargeToHoldAreRefusedWithoutAllocating) {
    ShortStreamBuffer huge(std::string(), std::streamoff(1) << 40, false);
    std::istream hugeStream(&huge);
    EXPECT_FALSE(LoadFileImage(hugeStream));
    ShortStreamBuffer justAbove(std::string(), std::streamoff(kMaxFileImageBytes) + 1, false);
    std::istream justAboveStream(&justAbove);
    EXPECT_FALSE(LoadFileImage(justAboveStream));
}

// A reader under the settings lock never sees a list half replaced.
TEST(ConfigFile, ReplacementIsWholeUnderTheLock) {
    TempFiles files;
    std::vector<uint8_t> manyOnes, manyTwos;
    for (uint32_t i = 0; i < 500; ++i) {
        const auto one = Records({{1, i}});
        const auto two = Records({{2, i}});
        manyOnes.insert(manyOnes.end(), one.begin(), one.end());
        manyTwos.insert(manyTwos.end(), two.begin(), two.end());
    }
    const std::string ones = files.Write("ones.bin", manyOnes);
    const std::string twos = files.Write("twos.bin", manyTwos);
    platform::CriticalSection lock;
    RegisterConfigList list;
    std::atomic<bool> done{false};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (!done.load()) {
            std::lock_guard guard(lock);
            for (const auto& entry : list) {
                if (entry.first != list.front().first)
                    ++mixed;
            }
        }
    });
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(LoadConfigFile((i % 2 ? ones : twos).c_str(), lock, list), 1);
    }
    done = true;
    reader.join();
    EXPECT_EQ(mixed.load(), 0);
    EXPECT_EQ(list.size(), 500u);
}
