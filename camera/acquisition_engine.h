// The acquisition engine: the state guard, the preparation every start
// runs, the streaming and trigger loops with their one frame-delivery tail,
// the per-frame processing, single frames, the current image and recording.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "camera/acquisition_state.h"
#include "camera/analog_control.h"
#include "camera/camera_context.h"
#include "camera/recording_queue.h"
#include "device/frame_ring.h"
#include "display/preview_window.h"
#include "imaging/chain.h"
#include "imaging/dib_image.h"
#include "output/avi_recorder.h"
#include "platform/messages.h"
#include "platform/sync.h"
#include "platform/thread.h"
#include "records/frame_info.h"
#include "records/frame_meta.h"

namespace tavrin {

class AcquisitionEngine {
public:
    AcquisitionEngine(CameraContext& context, AnalogControl& analog);
    ~AcquisitionEngine();
    AcquisitionEngine(const AcquisitionEngine&) = delete;
    AcquisitionEngine& operator=(const AcquisitionEngine&) = delete;

    // Starts and stops (camera/acquisition_control.cpp).
    int StartPreview();
    int StopPreview();
    int Preview();
    int CallBackPreview(platform::WindowHandle window, uint8_t* buffer, int size, int rowOrder);
    int Capture();
    int Trigger(platform::WindowHandle window, uint8_t* buffer, int size, int rowOrder);
    // Stops acquisition, removes the preview window and closes the grab
    // handle; the next start opens the device again.
    int Close();

    // Single frames and the current image (camera/image_output.cpp).
    int SnapShot(uint8_t* buffer, int size, int rowOrder);
    int GetImage(uint8_t* buffer, int size, int rowOrder);
    int SaveImage(const char* fileName, int format);
    int SaveImageW(const char16_t* fileName, int format);

    // The record of the current image's frame into the caller's record of
    // record->size bytes (at least 8): 1, or 0 after reporting 9 for a bad
    // record or 1 when no frame has been taken yet.
    int GetFrameMeta(void* record);
    // While streaming or in trigger mode: the caller's buffer holding the
    // newest frame, with its record, in exchange for `next`
    // (TavrinEx_ExchangeFrameBuffer).
    int ExchangeFrameBuffer(uint8_t* next, int size, uint8_t** given, void* record);

    // Recording (camera/recording.cpp).
    int Record(const char* fileName, int milliseconds, int showPreview);
    int RecordW(const char16_t* fileName, int milliseconds, int showPreview);
    // Whether the recording thread is still writing (1 until its file is
    // finished and closed) and the frames its file holds so far.
    int RecordingState(int* writing, int* frames) const;

    AcquisitionState State() const { return state_.load(std::memory_order_acquire); }
    // The camera's software trigger, in trigger mode only.
    int SoftwareTrigger();
    // Trigger mode idles (the camera dialog is open) or runs again.
    void PauseTrigger(bool paused) { runFlag_.store(paused ? kPause : kRun, std::memory_order_release); }
    // Serialises starts, stops and whatever must not change under them
    // (camera switches, the readout area, device scans).
    platform::CriticalSection& ControlLock() { return controlLock_; }

    // The machine-wide owner table's entry of a device slot. Claiming checks
    // that it is free and takes it in one step: false when another program
    // holds it.
    bool ClaimOwner(int index);
    void ReleaseOwner(int index);
    bool InUse(int index) const;

private:
    // Where each frame goes: set by CallBackPreview and Trigger, cleared by
    // Preview and Record, read by the acquisition thread for every frame.
    struct FrameTarget {
        std::atomic<platform::WindowHandle> window{nullptr};
        std::atomic<uint8_t*> buffer{nullptr};
        std::atomic<int32_t> size{0};
        std::atomic<int32_t> rowOrder{0};
        void Set(platform::WindowHandle w, uint8_t* b, int32_t s, int32_t order);
    };
    enum RunFlag : int32_t { kStop = 0, kRun = 1, kPause = 2 };
    // The software mirrors asked for, read once per frame.
    struct FrameMirrors {
        bool horizontal = false;
        bool vertical = false;
    };

    bool PassStateGuard(StartOperation operation, int& result);
    // A stream claims the camera's owner table entry here (claimOwner) and
    // keeps it when the preparation succeeds; the other starts only check it.
    bool Prepare(bool claimOwner = false);
    bool PrepareImages();
    bool OpenPreviewIfConfigured();
    bool StartAcquisitionThread(void (AcquisitionEngine::*loop)());
    void StopAcquisitionThread();
    void SetFrameTarget(platform::WindowHandle window, uint8_t* buffer, int32_t size, int32_t rowOrder);

    // The acquisition thread (camera/acquisition_loops.cpp): both loops take
    // the newest whole frame from the device's frame stream.
    void StreamingLoop();
    void TriggerLoop();
    uint64_t NextFrameNotBefore() const;
    void DeliverLeasedFrame(device::FrameLease& lease, int32_t frameRate);
    // Under the frame lock: the frame to process, null when it could not be
    // taken. In the colour modes without mirroring that is a view of the
    // leased ring slot (slotView_), held until ReleaseStreamedFrame, so the
    // chain reads the frame where the device left it; otherwise the frame is
    // copied into the raw image of the prepared mode and the lease returned.
    CDibImage* TakeStreamedFrame(CDibImage& raw, FrameMirrors mirrors, device::FrameLease& lease);
    bool ReadsFromSlot(FrameMirrors mirrors) const;
    void ReleaseStreamedFrame(const CDibImage& frame, device::FrameLease& lease);
    bool TakeGrabbedFrame(CDibImage& raw);
    bool FrameFitsRawImage(const CDibImage& raw) const;
    // What a frame taken just now is, with the exposure and gain in effect.
    FrameMeta MetaOf(uint64_t frameNumber, uint64_t captureTimeNs, int32_t status) const;
    // The current image's record, once its frame has (given) or has not
    // been handed to the caller.
    FrameMeta PublishMeta(FrameMeta meta, bool given);
    static int32_t RecordSize(const void* record);
    static void CopyMetaOut(FrameMeta meta, void* record);
    // Everything after a frame is taken: the frame record, the processing,
    // the preview, the copy-out, the recording queue, then (without the
    // frame lock) automatic exposure's programming and the frame message.
    void DeliverFrame(std::unique_lock<platform::CriticalSection>& frame, CDibImage& raw, FrameMirrors mirrors,
                      int32_t frameRate, const FrameMeta& meta);
    void FillFrameInfo(const CDibImage& raw, int32_t frameRate);
    int32_t UpdateFrameRate();
    void NotifyFrame(uintptr_t wParam, intptr_t lParam);

    // Per frame, under the frame lock (camera/process_frame.cpp): mirroring,
    // automatic exposure's measurement and the imaging chain, on the raw
    // image or on the view of a held ring slot (never mirrored). Returns
    // what automatic exposure wants programmed once the lock is released.
    FrameMirrors CurrentMirrors() const;
    AnalogChange ProcessFrame(CDibImage& raw, FrameMirrors mirrors, const ImageSet& images);
    AnalogChange AutoIris(CDibImage& raw, int32_t irisMode);

    bool CopyOut(const CDibImage& output, uint8_t* buffer, int32_t size, int32_t rowOrder);
    // Under the frame lock (camera/image_output.cpp). The caller's buffer as
    // the frame's output image, when the chain can write it directly (null
    // otherwise); and taking the last such frame back into the output image
    // before anything else reads that or the buffer may go.
    CDibImage* CallerOutput(const CDibImage& output, uint8_t* buffer, int32_t size, int32_t rowOrder);
    void TakeBackCallerOutput();
    const CDibImage* CurrentOutput() const;
    int SaveOutput(const char* fileName, int format);

    // The recording thread (camera/recording.cpp).
    void StopRecordingThread();
    void RecordingLoop();
    void QueueRecordingFrame(const CDibImage& output, uint64_t captureTimeNs);

    CameraContext& context_;
    AnalogControl& analog_;

    platform::CriticalSection controlLock_;  // serialises starts and stops
    // Guards the images, the output image and the frame record; held by the
    // processing, the preview drawing, the copy-out, saves and the
    // recording's conversion. Nothing waits on another thread under it.
    platform::CriticalSection frameLock_;
    std::atomic<AcquisitionState> state_{AcquisitionState::Idle};
    std::atomic<int32_t> runFlag_{kStop};
    // Set by a stop, so that a paused loop's wait ends at once (the wait
    // time's hold-off ends with the device's stream, which a stop stops).
    std::unique_ptr<platform::Event> stopSignal_;
    std::unique_ptr<platform::Thread> acquisitionThread_;
    std::unique_ptr<platform::Thread> recordingThread_;
    std::atomic<int32_t> recording_{0};
    std::atomic<int32_t> recordingWriting_{0};  // from Record until the file is closed
    std::atomic<int32_t> recordedFrames_{0};
    std::atomic<int32_t> imageValid_{0};
    int32_t recordDuration_ = 0;  // handed to the recording thread at its start
    int32_t preparedMode_ = 0;    // the colour mode the images were sized for
    FrameTarget target_;
    FrameInfo frameInfo_{};  // guarded by frameLock_
    // The current image's frame record, under its own lock so that a caller
    // reading it never waits for a frame's processing.
    mutable std::mutex metaLock_;
    FrameMeta currentMeta_{};
    bool hasMeta_ = false;
    // Frames handed to the caller since the start, and single frames taken
    // since the preparation: the acquisition thread's, or the snapshot's
    // under the control lock.
    uint64_t framesGiven_ = 0;
    uint64_t snapshotNumber_ = 0;
    uint32_t frameCount_ = 0;  // acquisition thread only
    uint32_t rateWindowStart_ = 0;
    int32_t frameRate_ = 0;
    std::array<CDibImage, 8> images_;
    CDibImage slotView_;  // the held ring slot, acquisition thread only
    // The caller's buffer while it holds the last frame instead of the
    // output image (outputInCaller_), under the frame lock.
    CDibImage callerView_;
    bool outputInCaller_ = false;
    // The record of the frame in the caller's buffer, from its delivery until
    // the buffer is handed back or replaced; under the frame lock.
    std::optional<FrameMeta> targetFrame_;
    ImageSet imageSet_;
    ProcessingChain chain_;
    AviRecorder recorder_;
    RecordingQueue recordingQueue_;
    PreviewWindow previewWindow_;
};

}  // namespace tavrin
