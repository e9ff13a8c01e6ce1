/**
 * @file TavrinEx.h
 * @brief Extensions beyond the SDK's 124 functions: the record of every
 * frame and the clocks it is timed with, and the catalogue of settings.
 *
 * The functions here follow the conventions of TavrinSdk.h: they return 1
 * for success and 0 for failure, keep why a call on a handle failed in the
 * handle's error queue (Tavrin_GetLastError), and may be called from any
 * thread. They are exported from the shared library and the DLL alike.
 *
 * This header is plain C and compiles on its own on Windows and POSIX hosts.
 */
#ifndef TAVRIN_EX_H
#define TAVRIN_EX_H

#include "TavrinSdk.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- The frame record ------------------------------------------------- */

/**
 * What the SDK knows of one frame. The caller sets size to
 * sizeof(TavrinFrameMeta) before the call; a later SDK may add fields at the
 * end and fills only the first size bytes.
 *
 * Frame numbers count every frame the camera sent since the acquisition
 * started (streaming, trigger mode, or the preparation of single frames),
 * beginning at 1. A frame is "given" to the caller when it is announced with
 * WM_SDK_FRAME or returned by Tavrin_SnapShot; droppedFrames counts the
 * frames the camera sent that no caller was given (the SDK always hands out
 * the newest whole frame, so a slow consumer skips frames, and the gaps show
 * here): at any frame, droppedFrames + frames given = frameNumber.
 *
 * captureTimeNs is the host's monotonic clock, in nanoseconds, at the moment
 * the frame's transfer completed: CLOCK_MONOTONIC on Linux, the performance
 * counter on Windows. TavrinEx_GetClocks reads that clock and the system
 * clock at one instant, so a capture time maps to wall-clock time as
 * systemTimeNs + (captureTimeNs - monotonicNs).
 */
#pragma pack(push, 4)
typedef struct TavrinFrameMeta {
    int32_t size;           /* the caller sets sizeof(TavrinFrameMeta) */
    int32_t status;         /* 0 for a whole frame, else the SDK's error code */
    uint64_t frameNumber;   /* 1 for the first frame the camera sent after a start; counts every frame sent */
    uint64_t captureTimeNs; /* host monotonic clock when the frame's transfer completed */
    uint64_t droppedFrames; /* frames the camera sent since the start that no caller was given */
    int32_t exposureLines;  /* as programmed for this frame */
    int32_t gain;           /* global analog gain as programmed for this frame */
} TavrinFrameMeta;
#pragma pack(pop)

/**
 * The record of the frame of the current image: the one last announced by
 * WM_SDK_FRAME, or taken by Tavrin_SnapShot (Tavrin_GetImage and
 * Tavrin_SaveImage use that same image). Read it on receiving WM_SDK_FRAME;
 * by the time a slow receiver asks, a newer frame may have replaced it, which
 * its frameNumber shows.
 *
 * @return 1; 0 for an unknown handle (nothing queued), or with
 *     SDKERR_PARAMETER for a NULL record or a size below 8 bytes,
 *     SDKERR_NOT_READY when no frame has been taken since the handle was made.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetFrameMeta(int hCamera, TavrinFrameMeta* meta);

/**
 * The clocks of the frame record at one instant: the monotonic clock of
 * captureTimeNs and the system clock in nanoseconds since 1970-01-01 UTC.
 * Either pointer may be NULL.
 *
 * @return 1.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetClocks(uint64_t* monotonicNs, int64_t* systemTimeNs);

#ifdef __cplusplus
}
#endif

#endif /* TAVRIN_EX_H */
