#include "device/camera_commands.h"

#include <initializer_list>

#include "platform/driver.h"

namespace tavrin::device {

namespace {

// A device handle that lives for one exchange.
class Exchange {
public:
    explicit Exchange(const char* path) : opened_(DeviceOpen(path, handle_) != 0) {}
    ~Exchange() { DeviceClose(handle_); }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    bool Opened() const { return opened_; }
    DeviceHandle Handle() const { return handle_; }

private:
    DeviceHandle handle_ = kNullDeviceHandle;
    bool opened_;
};

CommandBlock Block(std::initializer_list<uint8_t> bytes) {
    CommandBlock block{};
    size_t i = 0;
    for (uint8_t byte : bytes) {
        block[i++] = byte;
    }
    return block;
}

bool SendOnly(const char* path, CommandBlock block) {
    Exchange exchange(path);
    return exchange.Opened() && SendCommand(exchange.Handle(), block) == 0;
}

uint8_t Byte(uint32_t value, int shift) { return static_cast<uint8_t>(value >> shift); }

}  // namespace

CommandBlock FrameRequestBlock() { return Block({CMD_FRAME_REQUEST}); }

bool CommandPrepare(const char* path) { return SendOnly(path, Block({CMD_PREPARE})); }

bool CommandSetTransferSize(const char* path, uint32_t transferLength) {
    // The only little-endian field of the protocol.
    return SendOnly(path, Block({CMD_SET_TRANSFER_SIZE, Byte(transferLength, 0), Byte(transferLength, 8),
                                 Byte(transferLength, 16), Byte(transferLength, 24)}));
}

bool CommandSetBitDepth(const char* path, uint8_t sixteenBit) {
    return SendOnly(path, Block({CMD_SET_BIT_DEPTH, sixteenBit}));
}

bool CommandControlWrite(const char* path, uint32_t reg, uint32_t value) {
    return SendOnly(path, Block({CMD_CONTROL_WRITE, Byte(reg, 0), Byte(value, 0)}));
}

bool CommandControlRead(const char* path, uint32_t reg, uint8_t& value) {
    value = 0;
    Exchange exchange(path);
    if (!exchange.Opened()) {
        return false;
    }
    CommandBlock block = Block({CMD_CONTROL_READ, Byte(reg, 0)});
    const bool sent = SendCommand(exchange.Handle(), block) == 0;
    // The camera answers with two blocks; the first only acknowledges.
    ReceiveReply(exchange.Handle(), block);
    if (!sent || ReceiveReply(exchange.Handle(), block) != 0) {
        return false;
    }
    value = block[0];
    return true;
}

bool CommandSensorWrite(const char* path, uint32_t reg, uint32_t value) {
    bool sent = false;
    {
        Exchange exchange(path);
        if (exchange.Opened()) {
            CommandBlock block =
                Block({CMD_SENSOR_WRITE, 0x20, Byte(reg, 8), Byte(reg, 0), Byte(value, 8), Byte(value, 0)});
            sent = SendCommand(exchange.Handle(), block) == 0;
            // The sensor's serial bus is slow: let the write land before the
            // handle goes.
            platform::DriverSettle(kSensorWriteSettleMs);
        }
    }
    platform::DriverSettle(kSensorWriteAfterCloseMs);
    return sent;
}

bool CommandSromRead(const char* path, uint32_t address, uint8_t& value) {
    CommandBlock block = Block({CMD_SROM_READ, 0x51, 0x02, 0x01, Byte(address, 8), Byte(address, 0)});
    bool received = false;
    Exchange exchange(path);
    if (exchange.Opened()) {
        SendCommand(exchange.Handle(), block);
        platform::DriverSettle(kSromReadPauseMs);
        ReceiveReply(exchange.Handle(), block);
        received = ReceiveReply(exchange.Handle(), block) == 0;
        platform::DriverSettle(kSromReadPauseMs);
    }
    value = block[0];
    return received;
}

bool CommandSromWrite(const char* path, uint32_t address, uint32_t value) {
    Exchange exchange(path);
    if (!exchange.Opened()) {
        return false;
    }
    CommandBlock block = Block({CMD_SROM_WRITE, 0x51, 0x03, 0x18, Byte(address, 0), Byte(value, 0)});
    const bool sent = SendCommand(exchange.Handle(), block) == 0;
    platform::DriverSettle(kSromWritePauseMs);
    return sent;
}

int CommandSetDriverWait(const char* path, uint32_t milliseconds) {
    Exchange exchange(path);
    if (!exchange.Opened()) {
        return 0;
    }
    return SetDriverParameter(exchange.Handle(), kParameterDriverWait, milliseconds);
}

}  // namespace tavrin::device
