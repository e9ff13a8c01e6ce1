#include "device/qdx_sdk_lib.h"

#include <cstring>
#include <limits>
#include <new>

#include "device/camera_commands.h"
#include "device/device_status.h"

namespace tavrin::device {

CQDXSdkLib::CQDXSdkLib() = default;

CQDXSdkLib::~CQDXSdkLib() {
    // The camera object stops streaming before it lets the object go; a
    // thread still running here would write into freed slots, so it is
    // stopped first all the same.
    StopTransfer();
    ReleaseBuffers();
    CloseGrab();
}

int CQDXSdkLib::CopyRawFrame(uint8_t* destination, const uint8_t* source) {
    if (destination == nullptr || source == nullptr) {
        return kStatusNullBuffer;
    }
    const size_t pixel = static_cast<size_t>(BytesPerPixel());
    if (width_ == totalWidth_ && height_ == totalHeight_) {
        std::memcpy(destination, source, static_cast<size_t>(width_) * static_cast<size_t>(height_) * pixel);
        return kStatusOk;
    }
    const size_t lineBytes = static_cast<size_t>(width_) * pixel;
    const size_t sourceStride = static_cast<size_t>(totalWidth_) * pixel;
    const uint8_t* line = source + static_cast<size_t>(yOffset_) * sourceStride + static_cast<size_t>(xOffset_) * pixel;
    for (int i = 0; i < height_; ++i) {
        std::memcpy(destination + static_cast<size_t>(i) * lineBytes, line, lineBytes);
        line += sourceStride;
    }
    return kStatusOk;
}

int CQDXSdkLib::SetVariant(uint32_t value) {
    variant_.store(value < 3 ? value : 1, std::memory_order_relaxed);
    return 1;
}

int CQDXSdkLib::SetBitDepth(uint32_t flag) {
    StoreSixteenBit(flag);
    CommandSetBitDepth(DevicePath().data(), flag != 0 ? 1 : 0);
    return 1;
}

int CQDXSdkLib::SetFrameGeometry(int totalWidth, int xOffset, int width, int totalHeight, int yOffset, int height,
                                 int slotCount) {
    if (totalWidth <= 0 || width <= 0 || totalWidth < width) {
        return kStatusBadWidth;
    }
    if (totalHeight <= 0 || height <= 0 || static_cast<int64_t>(totalHeight) < int64_t{yOffset} + height) {
        return kStatusBadHeight;
    }
    if (slotCount < 2) {
        return kStatusRefused;
    }
    if (Streaming()) {
        return kStatusStreaming;
    }
    // Lengths are 32-bit; a geometry whose slots would not fit is as good as
    // out of memory.
    const int64_t rawLength = int64_t{totalWidth} * (int64_t{height} + yOffset);
    const int64_t transferLength = (rawLength + 1023) / 1024 * 1024;
    if (2 * transferLength > std::numeric_limits<int32_t>::max() ||
        int64_t{totalWidth} * totalHeight > std::numeric_limits<int32_t>::max()) {
        return kStatusOutOfMemory;
    }

    ReleaseBuffers();
    xOffset_ = xOffset;
    slotCount_ = slotCount;
    totalWidth_ = totalWidth;
    width_ = width;
    totalHeight_ = totalHeight;
    yOffset_ = yOffset;
    height_ = height;
    pixelCount_ = totalWidth * totalHeight;
    rawLength_ = static_cast<int>(rawLength);
    transferLength_ = static_cast<int>(transferLength);
    slotLength_ = static_cast<int>(2 * transferLength);

    // Slots and the grab buffer hold a 16-bit frame, so a change of bit
    // depth needs no new memory.
    grabBuffer_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(2 * transferLength)]());
    if (!grabBuffer_) {
        return kStatusOutOfMemory;
    }
    if (!stream_.AllocateSlots(slotCount, slotLength_)) {
        grabBuffer_.reset();
        return kStatusOutOfMemory;
    }
    SendTransferSize();
    return kStatusOk;
}

void CQDXSdkLib::ReleaseBuffers() {
    grabBuffer_.reset();
    stream_.ReleaseSlots();
}

void CQDXSdkLib::ProbeDevices() {
    for (int index = 0; index < kDeviceCount; ++index) {
        const DevicePathBuffer path = FormDevicePath(ModelName(), index);
        DeviceHandle handle = kNullDeviceHandle;
        const bool opened = DeviceOpen(path.data(), handle) != 0;
        const bool present = opened && handle != kInvalidDeviceHandle;
        presence_[static_cast<size_t>(index)].store(present ? 1 : 0, std::memory_order_relaxed);
        if (present) {
            DeviceClose(handle);
        }
    }
    SelectDevice(0);
}

int CQDXSdkLib::SelectDevice(int index) {
    if (index < 0 || index >= kDeviceCount) {
        return kStatusBadIndex;
    }
    const DevicePathBuffer path = FormDevicePath(ModelName(), index);
    std::lock_guard lock(pathMutex_);
    selectedIndex_.store(index, std::memory_order_relaxed);
    devicePath_ = path;
    return kStatusOk;
}

DevicePathBuffer CQDXSdkLib::DevicePath() const {
    std::lock_guard lock(pathMutex_);
    return devicePath_;
}

bool CQDXSdkLib::IsDevicePresent(int index) const {
    return index >= 0 && index < kDeviceCount &&
           presence_[static_cast<size_t>(index)].load(std::memory_order_relaxed) != 0;
}

int CQDXSdkLib::ResetDevice(int index) {
    CloseGrab();
    driverWait_.store(kDefaultDriverWaitMs, std::memory_order_relaxed);
    variant_.store(0, std::memory_order_relaxed);
    const int status = SelectDevice(index);
    if (status != kStatusOk) {
        return status;
    }
    SetBitDepth(0);
    return kStatusOk;
}

int CQDXSdkLib::SendPrepare() { return CommandPrepare(DevicePath().data()) ? kStatusOk : kStatusCommandFailed; }

int CQDXSdkLib::SendTransferSize() {
    CommandSetTransferSize(DevicePath().data(), static_cast<uint32_t>(transferLength_));
    return 1;
}

int CQDXSdkLib::SetDriverWait(uint32_t value) {
    driverWait_.store(value, std::memory_order_relaxed);
    return CommandSetDriverWait(DevicePath().data(), value);
}

bool CQDXSdkLib::ReadSromByte(uint32_t address, uint8_t& value) {
    // The camera's own data starts at 0x1800; below lies its firmware.
    if ((address & 0xFFFF) < 0x1800) {
        return false;
    }
    return CommandSromRead(DevicePath().data(), address, value);
}

bool CQDXSdkLib::ReadSromID(uint32_t address, uint8_t& value) {
    return CommandSromRead(DevicePath().data(), 0x1800 + (address & 0xFF), value);
}

bool CQDXSdkLib::WriteSromID(uint32_t address, uint32_t value) {
    return CommandSromWrite(DevicePath().data(), address & 0xFF, value & 0xFF);
}

int CQDXSdkLib::StartTransfer(TransferMode mode) {
    if (stream_.Running()) {
        return kStatusStreaming;
    }
    const uint32_t length = static_cast<uint32_t>(transferLength_) * (SixteenBit() != 0 ? 2u : 1u);
    // A triggered run prepares the camera before each frame itself.
    if (mode == TransferMode::Continuous) {
        SendPrepare();
    }
    return stream_.Start(DevicePath(), length, mode);
}

int CQDXSdkLib::StopTransfer() { return stream_.Stop(); }

int CQDXSdkLib::ReadFrame(uint8_t* destination, const FrameLease& frame) {
    if (destination == nullptr || !frame) {
        return kStatusNullBuffer;
    }
    return CopyRawFrame(destination, frame.Bits());
}

CQDXSdkLib::HeldFrame CQDXSdkLib::FrameView(const FrameLease& frame) const {
    if (!frame) {
        return {};
    }
    // The area starts where CopyRawFrame would take it from.
    const size_t pixel = static_cast<size_t>(BytesPerPixel());
    const size_t stride = static_cast<size_t>(totalWidth_) * pixel;
    const bool whole = width_ == totalWidth_ && height_ == totalHeight_;
    const size_t start = whole ? 0 : static_cast<size_t>(yOffset_) * stride + static_cast<size_t>(xOffset_) * pixel;
    return {frame.Bits() + start, static_cast<int32_t>(stride)};
}

void CQDXSdkLib::GetImageArea(int& x, int& y, int& width, int& height) const {
    x = imageArea_[0];
    y = imageArea_[1];
    width = imageArea_[2];
    height = imageArea_[3];
}

void CQDXSdkLib::SetModelName(const char* name) {
    modelName_.fill('\0');
    std::strncpy(modelName_.data(), name, kModelNameLength);
}

void CQDXSdkLib::SetLargeFrame(bool large) {
    stream_.SetLargeFrame(large);
    grabLargeFlag_.store(large ? 1 : 0, std::memory_order_relaxed);
}

void CQDXSdkLib::StoreImageArea(int x, int y, int width, int height, uint32_t mode) {
    subSamplingMode_.store(mode, std::memory_order_relaxed);
    imageArea_ = {x, y, width, height};
}

}  // namespace tavrin::device
