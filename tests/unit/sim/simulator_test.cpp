// The simulated driver through its backend interface: paths, handles, the
// command blocks, replies, frame timing and lengths, trigger, faults and log.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>

#include "sim/simulator.h"

using namespace tavrin::sim;
using tavrin::platform::DeviceHandle;
using tavrin::platform::kInvalidDeviceHandle;

namespace {

constexpr uint32_t kOut = 0x0022204E;
constexpr uint32_t kIn = 0x00222051;
constexpr uint32_t kInLarge = 0x002220A9;
constexpr uint32_t kSetParameter = 0x002220A0;

using Block = std::array<uint8_t, 64>;

Block MakeBlock(std::initializer_list<uint8_t> bytes) {
    Block block{};
    std::copy(bytes.begin(), bytes.end(), block.begin());
    return block;
}

std::string PathOf(char suffix) { return std::string("\\\\.\\Tvrn860VXRUX-") + suffix; }

class SimulatorTest : public ::testing::Test {
protected:
    void Start(const std::string& setting) {
        simulator_ = std::make_unique<Simulator>(ParseSimConfig(setting));
        handle_ = simulator_->Open(PathOf('0').c_str());
        ASSERT_NE(handle_, kInvalidDeviceHandle);
    }

    int Pipe(uint32_t code, uint32_t pipe, void* data, uint32_t length, uint32_t* moved = nullptr,
             DeviceHandle handle = 0) {
        const uint8_t record[4] = {static_cast<uint8_t>(pipe), 0, 0, 0};
        uint32_t count = 0xDEAD;
        const int result = simulator_->IoControl(handle != 0 ? handle : handle_, code, record, 4, data, length, &count);
        if (moved != nullptr) {
            *moved = count;
        }
        return result;
    }

    int Send(Block block) { return Pipe(kIn, 0, block.data(), 64); }

    int WriteControl(uint8_t reg, uint8_t value) { return Send(MakeBlock({0x25, reg, value})); }

    int SetDriverWait(uint32_t ms) {
        uint8_t record[44] = {1, 0, 0, 0, static_cast<uint8_t>(ms), static_cast<uint8_t>(ms >> 8), 0, 0};
        uint32_t moved = 0;
        return simulator_->IoControl(handle_, kSetParameter, record, 44, nullptr, 0, &moved);
    }

    // Programs a transfer length through control registers 0 to 3.
    void SetTransferLength(uint32_t length) {
        for (uint8_t i = 0; i < 4; ++i) {
            ASSERT_EQ(WriteControl(i, static_cast<uint8_t>(length >> (8 * i))), 1);
        }
    }

    std::vector<TavrinSimRecord> Log() {
        std::vector<TavrinSimRecord> records(64);
        records.resize(simulator_->Camera(0)->CopyLog(records.data(), records.size()));
        return records;
    }

    std::unique_ptr<Simulator> simulator_;
    DeviceHandle handle_ = 0;
};

}  // namespace

TEST(SimulatorPaths, EverySuffixNamesItsSlotWithNBeforeM) {
    const std::string suffixes = "0123456789ABCDEFGHIJKLNMOPQRSTUV";
    for (int slot = 0; slot < 32; ++slot) {
        EXPECT_EQ(Simulator::SlotOfPath(PathOf(suffixes[static_cast<size_t>(slot)]).c_str()), slot);
    }
    EXPECT_EQ(Simulator::SlotOfPath(PathOf('N').c_str()), 22);
    EXPECT_EQ(Simulator::SlotOfPath(PathOf('M').c_str()), 23);
}

TEST(SimulatorPaths, OtherPathsAreNotTheCamera) {
    EXPECT_FALSE(Simulator::SlotOfPath(PathOf('W').c_str()));
    EXPECT_FALSE(Simulator::SlotOfPath(PathOf('a').c_str()));
    EXPECT_FALSE(Simulator::SlotOfPath("\\\\.\\Tvrn860VXRUX-00"));
    EXPECT_FALSE(Simulator::SlotOfPath("\\\\.\\Other860VXRUX-0"));
    EXPECT_FALSE(Simulator::SlotOfPath(nullptr));
}

TEST_F(SimulatorTest, OnlyOccupiedSlotsOpen) {
    Start("0,2");
    EXPECT_NE(simulator_->Open(PathOf('2').c_str()), kInvalidDeviceHandle);
    EXPECT_EQ(simulator_->Open(PathOf('1').c_str()), kInvalidDeviceHandle);
    EXPECT_EQ(simulator_->Close(handle_), 1);
    EXPECT_EQ(simulator_->Close(handle_), 0);
}

TEST_F(SimulatorTest, CommandsReachTheRegistersAndTheSerialRom) {
    Start("0");
    EXPECT_EQ(WriteControl(7, 0x5A), 1);
    EXPECT_EQ(simulator_->Camera(0)->ControlRegister(7), 0x5A);
    EXPECT_EQ(Send(MakeBlock({0x04, 0x20, 0x01, 0x02, 0x03, 0xFF})), 1);
    EXPECT_EQ(simulator_->Camera(0)->SensorRegister(0x0102), 0x03FF);
    EXPECT_EQ(Send(MakeBlock({0x09, 0x78, 0x56, 0x34, 0x12})), 1);
    EXPECT_EQ(simulator_->Camera(0)->ControlRegister(0), 0x78);
    EXPECT_EQ(simulator_->Camera(0)->ControlRegister(3), 0x12);
    EXPECT_EQ(Send(MakeBlock({0x40, 0x51, 0x03, 0x18, 0x42, 0x99})), 1);

    Block reply{};
    EXPECT_EQ(Send(MakeBlock({0x41, 0x51, 0x02, 0x01, 0x18, 0x42})), 1);
    EXPECT_EQ(Pipe(kOut, 1, reply.data(), 64), 1);
    EXPECT_EQ(reply[0], 0x41);  // acknowledgement
    uint32_t moved = 0;
    EXPECT_EQ(Pipe(kOut, 1, reply.data(), 64, &moved), 1);
    EXPECT_EQ(moved, 64u);
    EXPECT_EQ(reply[0], 0x99);
    EXPECT_EQ(Pipe(kOut, 1, reply.data(), 64), 0);  // nothing more to say
}

TEST_F(SimulatorTest, SerialRomHoldsIdentityAndVariant) {
    Start("0;variant=2");
    Block reply{};
    Send(MakeBlock({0x41, 0x51, 0x02, 0x01, 0x1E, 0xB0}));
    Pipe(kOut, 1, reply.data(), 64);
    Pipe(kOut, 1, reply.data(), 64);
    EXPECT_EQ(reply[0], 2);
    Send(MakeBlock({0x41, 0x51, 0x02, 0x01, 0x18, 0x00}));
    Pipe(kOut, 1, reply.data(), 64);
    Pipe(kOut, 1, reply.data(), 64);
    EXPECT_EQ(reply[0], 'T');
}

TEST_F(SimulatorTest, CommandBlocksMustBe64Bytes) {
    Start("0");
    Block block = MakeBlock({0x25, 7, 1});
    uint32_t moved = 1;
    EXPECT_EQ(Pipe(kIn, 0, block.data(), 63, &moved), 0);
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(simulator_->Camera(0)->ControlRegister(7), 0);
}

TEST_F(SimulatorTest, WrongCodeForAPipeFails) {
    Start("0");
    Block block{};
    std::vector<uint8_t> frame(324608);
    EXPECT_EQ(Pipe(kInLarge, 0, block.data(), 64), 0);
    EXPECT_EQ(Pipe(kIn, 1, block.data(), 64), 0);
    EXPECT_EQ(Pipe(kOut, 2, frame.data(), 324608), 0);
    EXPECT_EQ(Pipe(kIn, 3, block.data(), 64), 0);
}

TEST_F(SimulatorTest, FrameCarriesTheProgrammedLengthInEightOrSixteenBits) {
    Start("0;pattern=1;level=1000;interval=0");
    SetTransferLength(2048);
    std::vector<uint8_t> frame(8192, 0xEE);
    uint32_t moved = 0;
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 2048, &moved), 1);
    EXPECT_EQ(moved, 2048u);
    EXPECT_EQ(frame[0], 1000 >> 2);
    EXPECT_EQ(frame[2047], 1000 >> 2);
    EXPECT_EQ(frame[2048], 0xEE);

    WriteControl(14, 1);
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 4096, &moved), 1);
    EXPECT_EQ(moved, 4096u);
    EXPECT_EQ(frame[0], 1000 & 0xFF);
    EXPECT_EQ(frame[1], 1000 >> 8);
    EXPECT_EQ(simulator_->Camera(0)->FrameCount(), 2);
}

TEST_F(SimulatorTest, ALengthMismatchShowsAsAShortTransfer) {
    Start("0;pattern=2;level=1023;interval=0");
    SetTransferLength(2048);
    std::vector<uint8_t> frame(4096);
    uint32_t moved = 0;
    // Asking for more gets the frame only.
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 4096, &moved), 1);
    EXPECT_EQ(moved, 2048u);
    // Asking for less takes what fits; the rest comes with the next read.
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 1500, &moved), 1);
    EXPECT_EQ(moved, 1500u);
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 1500, &moved), 1);
    EXPECT_EQ(moved, 548u);
    EXPECT_EQ(frame[0], ((1500 % 656) * 1023 / 655) >> 2);  // where the frame left off
}

TEST_F(SimulatorTest, LargeFramesNeedTheLargeCode) {
    Start("0;pattern=1;interval=0");
    SetTransferLength(3072000);
    std::vector<uint8_t> frame(3072000);
    uint32_t moved = 0;
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 3072000, &moved), 0);
    EXPECT_EQ(Pipe(kInLarge, 2, frame.data(), 3072000, &moved), 1);
    EXPECT_EQ(moved, 3072000u);
}

TEST_F(SimulatorTest, FramesComeAtTheSensorsPace) {
    Start("0;pattern=1");
    std::vector<uint8_t> frame(324608);
    Send(MakeBlock({0x02}));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 324608), 1);
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 324608), 1);
    // 495 lines of 3080 clocks at 36 MHz: about 42 ms a frame.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(84));

    // A longer exposure stretches the frame: 524 lines are about 45 ms.
    Send(MakeBlock({0x04, 0x20, 0x00, 0x9A, 0x02, 0x0C}));
    const auto stretched = std::chrono::steady_clock::now();
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 324608), 1);
    ASSERT_EQ(Pipe(kIn, 2, frame.data(), 324608), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - stretched, std::chrono::milliseconds(89));
}

TEST_F(SimulatorTest, TriggerModeSendsAFrameOnlyAfterATrigger) {
    Start("0;pattern=1;interval=0");
    SetTransferLength(1024);
    ASSERT_EQ(SetDriverWait(100), 1);
    WriteControl(11, 1);
    std::vector<uint8_t> frame(1024);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 1024), 0);  // the driver gives up
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(95));

    simulator_->Camera(0)->FireTrigger();
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 1024), 1);

    // The software trigger: bit 7 rising with bit 1 set.
    WriteControl(11, 0x83);
    WriteControl(11, 0x03);
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 1024), 1);
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 1024), 0);

    // A trigger from another thread ends a waiting read.
    std::thread trigger([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        simulator_->Camera(0)->FireTrigger();
    });
    SetDriverWait(5000);
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 1024), 1);
    trigger.join();
}

TEST_F(SimulatorTest, FaultsHitTheNextOccurrences) {
    Start("0;pattern=1;interval=0");
    SetTransferLength(2048);
    SetDriverWait(50);
    SimCamera& camera = *simulator_->Camera(0);
    std::vector<uint8_t> frame(2048);
    uint32_t moved = 0;

    camera.InjectFault(TAVRINSIM_FAULT_FRAME_FAILS, 1);
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 2048, &moved), 0);
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 2048, &moved), 1);

    camera.InjectFault(TAVRINSIM_FAULT_FRAME_SHORT, 1);
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 2048, &moved), 1);
    EXPECT_EQ(moved, 1024u);

    camera.InjectFault(TAVRINSIM_FAULT_FRAME_STALLS, 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 2048, &moved), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));

    camera.InjectFault(TAVRINSIM_FAULT_COMMAND_FAILS, 2);
    EXPECT_EQ(WriteControl(7, 1), 0);
    EXPECT_EQ(WriteControl(7, 1), 0);
    EXPECT_EQ(WriteControl(7, 1), 1);

    camera.InjectFault(TAVRINSIM_FAULT_OPEN_FAILS, 1);
    EXPECT_EQ(simulator_->Open(PathOf('0').c_str()), kInvalidDeviceHandle);
    EXPECT_NE(simulator_->Open(PathOf('0').c_str()), kInvalidDeviceHandle);
}

TEST_F(SimulatorTest, UnpluggingEndsOldHandlesAndPluggingPowersUpAfresh) {
    Start("0;interval=0");
    SetDriverWait(0);  // no limit: only the unplug ends the stall below
    WriteControl(7, 9);
    SimCamera& camera = *simulator_->Camera(0);
    camera.InjectFault(TAVRINSIM_FAULT_FRAME_STALLS, 1);
    std::vector<uint8_t> frame(324608);
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        camera.SetPresent(false);
    });
    EXPECT_EQ(Pipe(kIn, 2, frame.data(), 324608), 0);
    unplug.join();
    EXPECT_EQ(simulator_->Open(PathOf('0').c_str()), kInvalidDeviceHandle);

    camera.SetPresent(true);
    EXPECT_EQ(WriteControl(7, 1), 0);  // the old handle stays dead
    handle_ = simulator_->Open(PathOf('0').c_str());
    ASSERT_NE(handle_, kInvalidDeviceHandle);
    EXPECT_EQ(camera.ControlRegister(7), 0);
    EXPECT_EQ(camera.SensorRegister(4), 310);
    EXPECT_EQ(WriteControl(7, 1), 1);
}

TEST_F(SimulatorTest, LogRecordsCodesPipesAndBlocks) {
    Start("0;interval=0");
    WriteControl(7, 0x11);
    SetDriverWait(3000);
    Block reply{};
    Pipe(kOut, 1, reply.data(), 64);
    std::vector<uint8_t> frame(324608);
    Pipe(kIn, 2, frame.data(), 324608);
    const auto log = Log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].ioctl, kIn);
    EXPECT_EQ(log[0].pipe, 0u);
    EXPECT_EQ(log[0].length, 64u);
    EXPECT_EQ(log[0].data[0], 0x25);
    EXPECT_EQ(log[0].data[2], 0x11);
    EXPECT_EQ(log[1].ioctl, kSetParameter);
    EXPECT_EQ(log[1].pipe, TAVRINSIM_PIPE_NONE);
    EXPECT_EQ(log[1].length, 44u);
    EXPECT_EQ(log[1].data[4], 0xB8);
    EXPECT_EQ(log[1].data[5], 0x0B);
    EXPECT_EQ(log[2].ioctl, kOut);
    EXPECT_EQ(log[2].pipe, 1u);
    EXPECT_EQ(log[3].pipe, 2u);
    EXPECT_EQ(log[3].length, 324608u);
    EXPECT_EQ(log[3].data[0], 0);  // frame data is not recorded
}

TEST_F(SimulatorTest, LogKeepsTheNewestRecords) {
    Start("0;log=3");
    for (uint8_t i = 0; i < 5; ++i) {
        WriteControl(7, i);
    }
    const auto log = Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].data[2], 2);
    EXPECT_EQ(log[2].data[2], 4);
}
