// CQDXSdkLib: the device library object between one camera object and the
// driver. It holds the selected device path and the presence table, the frame
// geometry with the buffers derived from it, the frame ring with its transfer
// stream, the single-frame grab, and the camera's primitive commands. Only
// the camera model class constructs it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "device/device_paths.h"
#include "device/driver_protocol.h"
#include "device/frame_stream.h"

namespace tavrin::device {

class CQDXSdkLib {
public:
    static constexpr uint32_t kDefaultDriverWaitMs = 3000;
    static constexpr uint32_t kFrameWaitMs = FrameStream::kFrameWaitMs;
    static constexpr size_t kModelNameLength = 12;

    virtual ~CQDXSdkLib();
    CQDXSdkLib(const CQDXSdkLib&) = delete;
    CQDXSdkLib& operator=(const CQDXSdkLib&) = delete;

    // Copies the wanted area out of a transferred frame: 0, or 14 when a
    // buffer is missing. A pixel is two bytes with 16-bit transfers.
    virtual int CopyRawFrame(uint8_t* destination, const uint8_t* source);
    // Stores the camera variant (0 to 2; anything else becomes 1). Returns 1.
    virtual int SetVariant(uint32_t value);
    // Chooses 8- or 16-bit transfers and tells the camera. Returns 1.
    virtual int SetBitDepth(uint32_t flag);

    // Frame geometry. Status 0, or 3/4/1 for a refused geometry (nothing
    // changes), 7 when the buffers could not be allocated, 21 while
    // streaming runs (the ring is in use).
    int SetFrameGeometry(int totalWidth, int xOffset, int width, int totalHeight, int yOffset, int height,
                         int slotCount);
    void ReleaseBuffers();

    // Devices: the probe opens every path once; selection forms the path.
    void ProbeDevices();
    int SelectDevice(int index);
    bool IsDevicePresent(int index) const;
    int GetDeviceIndex() const { return selectedIndex_.load(std::memory_order_relaxed); }
    static int GetDeviceCount() { return kDeviceCount; }
    // A copy: an enumeration on another thread may select anew meanwhile.
    DevicePathBuffer DevicePath() const;
    const char* ModelName() const { return modelName_.data(); }

    // Primitive commands.
    int ResetDevice(int index);
    int SendPrepare();
    int SendTransferSize();
    int SetDriverWait(uint32_t value);
    uint32_t DriverWait() const { return driverWait_.load(std::memory_order_relaxed); }
    bool ReadSromByte(uint32_t address, uint8_t& value);
    bool ReadSromID(uint32_t address, uint8_t& value);
    bool WriteSromID(uint32_t address, uint32_t value);

    // Acquisition through the frame stream, continuous or one triggered
    // frame after another: 0, 21 while it already runs, or the stream's own
    // start status.
    int StartTransfer(TransferMode mode = TransferMode::Continuous);
    int StopTransfer();
    // The newest whole frame, held by the returned lease (see FrameStream).
    FrameWait WaitFrame(uint32_t timeoutMs = kFrameWaitMs, uint64_t notBeforeNs = 0) {
        return stream_.WaitFrame(timeoutMs, notBeforeNs);
    }
    // Copies the wanted area of a held frame: 0, or 14 without destination
    // or frame.
    int ReadFrame(uint8_t* destination, const FrameLease& frame);
    // A held frame where it lies in its ring slot: the wanted area's first
    // sample and the slot's row length in bytes (packed rows of the
    // transferred width). Null bits for an empty lease.
    struct HeldFrame {
        uint8_t* bits = nullptr;
        int32_t stride = 0;
    };
    HeldFrame FrameView(const FrameLease& frame) const;

    // Single-frame grab, in the caller's thread.
    int GrabFrame();
    int CopyGrabbedFrame(uint8_t* destination);
    void CloseGrab();

    // Geometry as last accepted.
    uint32_t SixteenBit() const { return sixteenBit_.load(std::memory_order_relaxed); }
    int TotalWidth() const { return totalWidth_; }
    int XOffset() const { return xOffset_; }
    int Width() const { return width_; }
    int TotalHeight() const { return totalHeight_; }
    int YOffset() const { return yOffset_; }
    int Height() const { return height_; }
    int PixelCount() const { return pixelCount_; }
    int TransferLength() const { return transferLength_; }
    int RawLength() const { return rawLength_; }
    int SlotLength() const { return slotLength_; }
    int SlotCount() const { return slotCount_; }
    bool LargeFrame() const { return stream_.LargeFrame(); }

    // State kept for the camera object.
    uint32_t Variant() const { return variant_.load(std::memory_order_relaxed); }
    uint32_t SubSamplingMode() const { return subSamplingMode_.load(std::memory_order_relaxed); }
    int GetMirrorH() const { return static_cast<int>(mirrorH_.load(std::memory_order_relaxed)); }
    int GetMirrorV() const { return static_cast<int>(mirrorV_.load(std::memory_order_relaxed)); }
    void GetImageArea(int& x, int& y, int& width, int& height) const;

    // Streaming statistics, readable while a run goes on.
    bool Streaming() const { return stream_.Running(); }
    int HeldSlots() const { return stream_.HeldSlots(); }
    uint32_t FramesTransferred() const { return stream_.FramesTransferred(); }
    uint32_t LastRunDuration() const { return stream_.LastRunDuration(); }
    int64_t GrabEndCode() const { return grabEndCode_; }

protected:
    CQDXSdkLib();

    void SetModelName(const char* name);
    void SetLargeFrame(bool large);
    void StoreSixteenBit(uint32_t flag) { sixteenBit_.store(flag != 0 ? 1 : 0, std::memory_order_relaxed); }
    void StoreImageArea(int x, int y, int width, int height, uint32_t mode);
    void StoreMirrorH(bool on) { mirrorH_.store(on ? 1 : 0, std::memory_order_relaxed); }
    void StoreMirrorV(bool on) { mirrorV_.store(on ? 1 : 0, std::memory_order_relaxed); }

private:
    int BytesPerPixel() const { return SixteenBit() != 0 ? 2 : 1; }
    bool ReadFrameData(DeviceHandle handle, uint8_t* buffer, uint32_t length, uint32_t& moved);

    std::atomic<uint32_t> sixteenBit_{0};
    std::array<int, 4> imageArea_{};
    int totalWidth_ = 0;
    int xOffset_ = 0;
    int width_ = 0;
    int totalHeight_ = 0;
    int yOffset_ = 0;
    int height_ = 0;
    int pixelCount_ = 0;
    int transferLength_ = 0;
    int rawLength_ = 0;
    std::unique_ptr<uint8_t[]> grabBuffer_;
    std::atomic<uint32_t> driverWait_{0};
    int slotLength_ = 0;
    int slotCount_ = 0;
    std::array<char, kModelNameLength + 1> modelName_{};
    std::atomic<uint32_t> variant_{0};
    std::atomic<uint32_t> subSamplingMode_{0};
    std::atomic<uint32_t> mirrorH_{0};
    std::atomic<uint32_t> mirrorV_{0};
    std::array<std::atomic<uint32_t>, kDeviceCount> presence_{};
    std::atomic<int> selectedIndex_{0};
    int64_t grabEndCode_ = 0;
    std::atomic<uint32_t> grabLargeFlag_{0};
    FrameStream stream_;
    mutable std::mutex pathMutex_;  // guards devicePath_
    DevicePathBuffer devicePath_{};
    DeviceHandle grabHandle_ = kNullDeviceHandle;
};

}  // namespace tavrin::device
