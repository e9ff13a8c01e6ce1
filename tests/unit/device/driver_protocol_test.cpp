// The protocol functions against a scripted driver: codes, records, results.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>

#include "device/camera_commands.h"
#include "device/device_paths.h"
#include "device/driver_protocol.h"
#include "platform/environment.h"

using namespace tavrin::device;
using tavrin::platform::DriverBackend;

namespace {

struct Request {
    uint32_t code;
    std::vector<uint8_t> input;
    std::vector<uint8_t> output;  // what the caller passed
    uint32_t outputLength;
};

// A driver that records every request and answers from a script.
struct ScriptedDriver final : DriverBackend {
    struct Answer {
        int result = 1;
        int64_t moved = -1;  // -1: the whole output length
        uint8_t fill = 0;    // written to byte 0 of the output
    };

    DeviceHandle Open(const char* path) override {
        opened.emplace_back(path);
        return openResult;
    }

    int IoControl(DeviceHandle, uint32_t code, const void* input, uint32_t inputLength, void* output,
                  uint32_t outputLength, uint32_t* bytesReturned) override {
        Request request{code, {}, {}, outputLength};
        const auto* in = static_cast<const uint8_t*>(input);
        request.input.assign(in, in + inputLength);
        if (output != nullptr) {
            const auto* out = static_cast<const uint8_t*>(output);
            request.output.assign(out, out + outputLength);
        }
        requests.push_back(request);
        Answer answer;
        if (!script.empty()) {
            answer = script.front();
            script.pop_front();
        }
        if (output != nullptr && outputLength > 0 && answer.fill != 0) {
            static_cast<uint8_t*>(output)[0] = answer.fill;
        }
        *bytesReturned = answer.moved < 0 ? outputLength : static_cast<uint32_t>(answer.moved);
        return answer.result;
    }

    int Close(DeviceHandle) override {
        ++closed;
        return 1;
    }

    DeviceHandle openResult = 0x40;
    std::vector<std::string> opened;
    std::vector<Request> requests;
    std::deque<Answer> script;
    int closed = 0;
};

std::shared_ptr<ScriptedDriver> driver;

std::shared_ptr<DriverBackend> MakeScriptedDriver(const std::string&) { return driver; }

class ProtocolTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver = std::make_shared<ScriptedDriver>();
        tavrin::platform::RegisterSimulator(&MakeScriptedDriver);
        tavrin::platform::SetEnvironment("TAVRIN_SIM", "scripted");
        tavrin::platform::ResetDriverPort();
    }
    void TearDown() override {
        tavrin::platform::ResetDriverPort();
        tavrin::platform::SetEnvironment("TAVRIN_SIM", nullptr);
        driver.reset();
    }
};

constexpr DeviceHandle kHandle = 0x40;

}  // namespace

TEST_F(ProtocolTest, PipeTransferChoosesTheCodeByDirectionAndSendsThePipeRecord) {
    uint8_t buffer[16] = {};
    uint32_t moved = 0;
    EXPECT_EQ(PipeTransfer(kHandle, 2, 16, buffer, moved, 1), 0);
    EXPECT_EQ(PipeTransfer(kHandle, 1, 16, buffer, moved, 0), 0);
    EXPECT_EQ(PipeTransferLarge(kHandle, 2, 16, buffer, moved, 1), 0);
    ASSERT_EQ(driver->requests.size(), 3u);
    EXPECT_EQ(driver->requests[0].code, 0x00222051u);
    EXPECT_EQ(driver->requests[0].input, std::vector<uint8_t>({2, 0, 0, 0}));
    EXPECT_EQ(driver->requests[0].outputLength, 16u);
    EXPECT_EQ(driver->requests[1].code, 0x0022204Eu);
    EXPECT_EQ(driver->requests[1].input, std::vector<uint8_t>({1, 0, 0, 0}));
    EXPECT_EQ(driver->requests[2].code, 0x002220A9u);
}

TEST_F(ProtocolTest, PipeTransferResults) {
    uint8_t buffer[8] = {};
    uint32_t moved = 99;
    EXPECT_EQ(PipeTransfer(kHandle, 0, 8, nullptr, moved, 1), -2);
    EXPECT_EQ(PipeTransfer(kNullDeviceHandle, 0, 8, buffer, moved, 1), -3);
    EXPECT_TRUE(driver->requests.empty());  // nothing issued

    driver->script = {{0, 3}, {2, 8}, {1, 5}};
    EXPECT_EQ(PipeTransfer(kHandle, 0, 8, buffer, moved, 1), -1);
    EXPECT_EQ(moved, 3u);                                          // the count is stored even when the driver failed
    EXPECT_EQ(PipeTransfer(kHandle, 0, 8, buffer, moved, 1), -1);  // only exactly 1 is success
    EXPECT_EQ(PipeTransfer(kHandle, 0, 8, buffer, moved, 1), 0);
    EXPECT_EQ(moved, 5u);  // a short transfer is still a transfer here
}

TEST_F(ProtocolTest, CommandAndReplyTravelOnTheirPipesWithTheirCodes) {
    CommandBlock block{0x25, 7, 1};
    EXPECT_EQ(SendCommand(kHandle, block), 0);
    EXPECT_EQ(ReceiveReply(kHandle, block), 0);
    ASSERT_EQ(driver->requests.size(), 2u);
    EXPECT_EQ(driver->requests[0].code, IOCTL_PIPE_IN_DIRECT);
    EXPECT_EQ(driver->requests[0].input[0], 0);
    EXPECT_EQ(driver->requests[0].outputLength, 64u);
    EXPECT_EQ(driver->requests[0].output[0], 0x25);
    EXPECT_EQ(driver->requests[1].code, IOCTL_PIPE_OUT_DIRECT);
    EXPECT_EQ(driver->requests[1].input[0], 1);
}

TEST_F(ProtocolTest, CommandResultsFoldIntoTenAndTwelve) {
    CommandBlock block{};
    EXPECT_EQ(SendCommand(kNullDeviceHandle, block), 10);
    EXPECT_EQ(ReceiveReply(kNullDeviceHandle, block), 10);
    driver->script = {{1, 63}, {0, 64}, {1, 63}};
    EXPECT_EQ(SendCommand(kHandle, block), 12);  // 63 bytes is a failure
    EXPECT_EQ(SendCommand(kHandle, block), 12);
    EXPECT_EQ(ReceiveReply(kHandle, block), 12);
}

TEST_F(ProtocolTest, DriverParameterRecord) {
    EXPECT_EQ(SetDriverParameter(kNullDeviceHandle, 1, 3000), 0);
    EXPECT_EQ(SetDriverParameter(kHandle, 1, 3000), 1);
    ASSERT_EQ(driver->requests.size(), 1u);
    EXPECT_EQ(driver->requests[0].code, IOCTL_SET_PARAMETER);
    std::vector<uint8_t> record(44, 0);
    record[0] = 1;
    record[4] = 0xB8;
    record[5] = 0x0B;
    EXPECT_EQ(driver->requests[0].input, record);
    EXPECT_EQ(driver->requests[0].outputLength, 0u);
}

TEST_F(ProtocolTest, AnyHandleCountsAsOpened) {
    DeviceHandle handle = kNullDeviceHandle;
    EXPECT_EQ(DeviceOpen(nullptr, handle), 0);
    driver->openResult = kInvalidDeviceHandle;
    EXPECT_EQ(DeviceOpen("\\\\.\\x", handle), 1);
    EXPECT_EQ(handle, kInvalidDeviceHandle);
    EXPECT_EQ(DeviceClose(handle), 1);
    EXPECT_EQ(handle, kNullDeviceHandle);
    EXPECT_EQ(DeviceClose(handle), 0);
    EXPECT_EQ(driver->closed, 1);
}

TEST_F(ProtocolTest, ControlReadTakesTheSecondReplyEvenWhenTheFirstFails) {
    driver->script = {{1, 64}, {0, 0}, {1, 64, 0x77}};
    uint8_t value = 0;
    EXPECT_TRUE(CommandControlRead("\\\\.\\x", 7, value));
    EXPECT_EQ(value, 0x77);
    ASSERT_EQ(driver->requests.size(), 3u);
    EXPECT_EQ(driver->requests[0].output[0], CMD_CONTROL_READ);
    EXPECT_EQ(driver->requests[0].output[1], 7);
    EXPECT_EQ(driver->opened.size(), 1u);
    EXPECT_EQ(driver->closed, 1);
}

TEST_F(ProtocolTest, ControlReadAfterAFailedSendMakesNoSecondReceive) {
    driver->script = {{0, 0}, {1, 64, 0x10}};
    uint8_t value = 0x55;
    EXPECT_FALSE(CommandControlRead("\\\\.\\x", 7, value));
    EXPECT_EQ(value, 0);
    EXPECT_EQ(driver->requests.size(), 2u);
}

TEST_F(ProtocolTest, SromReadGivesTheBufferByteWhateverHappened) {
    driver->script = {{0, 0}, {0, 0}, {0, 0}};
    uint8_t value = 0;
    EXPECT_FALSE(CommandSromRead("\\\\.\\x", 0x1EB0, value));
    EXPECT_EQ(value, CMD_SROM_READ);         // nothing came back: the command byte is still there
    ASSERT_EQ(driver->requests.size(), 3u);  // the send's result is not looked at
    EXPECT_EQ(std::vector<uint8_t>(driver->requests[0].output.begin(), driver->requests[0].output.begin() + 6),
              std::vector<uint8_t>({0x41, 0x51, 0x02, 0x01, 0x1E, 0xB0}));
}

TEST_F(ProtocolTest, SensorWriteKeepsItsPauseWhenThePathDoesNotOpen) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(CommandSensorWrite(nullptr, 4, 310));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2));
    EXPECT_TRUE(driver->requests.empty());
}

TEST(DevicePaths, SuffixesRunThroughTheDriversTable) {
    EXPECT_STREQ(FormDevicePath("Tvrn860VXRUX", 0).data(), "\\\\.\\Tvrn860VXRUX-0");
    EXPECT_STREQ(FormDevicePath("Tvrn860VXRUX", 10).data(), "\\\\.\\Tvrn860VXRUX-A");
    EXPECT_STREQ(FormDevicePath("Tvrn860VXRUX", 22).data(), "\\\\.\\Tvrn860VXRUX-N");
    EXPECT_STREQ(FormDevicePath("Tvrn860VXRUX", 23).data(), "\\\\.\\Tvrn860VXRUX-M");
    EXPECT_STREQ(FormDevicePath("Tvrn860VXRUX", 31).data(), "\\\\.\\Tvrn860VXRUX-V");
    EXPECT_STREQ(FormDevicePath("Tvrn860VXRUX", 32).data(), "");
    EXPECT_STREQ(FormDevicePath("Tvrn860VXRUX", -1).data(), "");
}

TEST(LargeFrames, ThresholdIs3072000BytesAfterDoubling) {
    EXPECT_TRUE(IsLargeFrame(3072000, false));
    EXPECT_FALSE(IsLargeFrame(3071999, false));
    EXPECT_TRUE(IsLargeFrame(1536000, true));
    EXPECT_FALSE(IsLargeFrame(1535999, true));
    EXPECT_FALSE(IsLargeFrame(324608, true));
}
