/**
 * @file TavrinEx.h
 * @brief Extensions beyond the SDK's 124 functions: the record of every
 * frame and the clocks it is timed with, the catalogue of settings, the
 * state of a recording, the stored readout windows, whether dialogs can be
 * shown, the recording of whole sessions, and the error codes' names.
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
 * Frames written straight into buffers the caller lends, one frame a buffer,
 * without the copy that reading each frame with Tavrin_GetImage costs (in
 * the 24- and 48-bit modes with rows top line first, the image processing
 * writes the caller's buffer itself). For a consumer that keeps frames
 * after the next one arrives, such as a queue of buffers on their way to an
 * encoder.
 *
 * While a stream (Tavrin_CallBackPreview) or trigger mode (Tavrin_Trigger)
 * runs, on WM_SDK_FRAME: the SDK hands back the buffer it was given that
 * holds the newest frame, describes that frame in meta, and writes the
 * following frames into next. The buffer handed back is never written again
 * by the SDK; it stays the current image (what Tavrin_GetImage and
 * Tavrin_SaveImage read), so keep it allocated and unchanged until the next
 * exchange that hands back another buffer, a new buffer given to
 * Tavrin_CallBackPreview or Tavrin_Trigger, or Tavrin_StopPreview has
 * returned. The row order is the one the stream was started with.
 *
 * @param hCamera the camera handle.
 * @param next the buffer to lend for the following frames: not the one lent
 *     now.
 * @param nextSize its size in bytes: at least that of the one lent before
 *     (the first one: what Tavrin_CallBackPreview would need).
 * @param given receives the buffer the caller has back: the one holding the
 *     newest frame; next itself when no frame has come since the last
 *     exchange (nothing changes); NULL when the SDK had no buffer of the
 *     caller's (the stream was started without one): from now on the frames
 *     go into next, and the frame before stays the SDK's (Tavrin_GetImage).
 * @param meta the record of the frame handed back (meta->size set by the
 *     caller), or NULL; left unchanged when no frame is handed back.
 * @return 1; 0 for an unknown handle (nothing queued), or with
 *     SDKERR_PARAMETER for a NULL next or given, a size below the lent
 *     buffer's, the lent buffer itself as next or a record size below 8,
 *     SDKERR_NOT_READY when neither a stream nor trigger mode runs.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_ExchangeFrameBuffer(int hCamera, void* next, int nextSize, void** given,
                                                        TavrinFrameMeta* meta);

/**
 * The clocks of the frame record at one instant: the monotonic clock of
 * captureTimeNs and the system clock in nanoseconds since 1970-01-01 UTC.
 * Either pointer may be NULL.
 *
 * @return 1.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetClocks(uint64_t* monotonicNs, int64_t* systemTimeNs);

/* ---- The settings catalogue ------------------------------------------- */

/**
 * Every setting a program may set by name, with the values it accepts, the
 * value a fresh camera has, its unit and its meaning. The catalogue is the
 * same for every camera and needs no handle; TavrinEx_GetSetting and
 * TavrinEx_SetSetting read and write one camera's settings by the
 * catalogue's names, and the named exports of TavrinSdk.h reach the same
 * values.
 */

/** Kinds of setting (TavrinSettingInfo::kind). */
#define TAVRIN_SETTING_RANGE 1   /**< any whole number from minimum to maximum */
#define TAVRIN_SETTING_BOOLEAN 2 /**< 0 or 1 */
#define TAVRIN_SETTING_LIST 3    /**< one of values[0 .. valueCount - 1] */

/** The most values a list setting has (TavrinSettingInfo::values). */
#define TAVRIN_SETTING_MAX_VALUES 8

/**
 * Flags of a setting (TavrinSettingInfo::flags). A setting without flags
 * takes effect from the next frame.
 */
#define TAVRIN_SETTING_APPLIES_AT_START 1 /**< the image format follows at the next acquisition start */
#define TAVRIN_SETTING_NOT_STORED 2       /**< not kept for later programs (only the camera dialog stores it) */

/**
 * One setting of the catalogue. The caller sets size to
 * sizeof(TavrinSettingInfo) before the call; a later SDK may add fields at
 * the end and fills only the first size bytes. The strings are the SDK's
 * own, ASCII, and stay valid while the library is loaded.
 */
typedef struct TavrinSettingInfo {
    int32_t size;         /* the caller sets sizeof(TavrinSettingInfo) */
    int32_t index;        /* 0 .. TavrinEx_GetSettingCount() - 1 */
    int32_t kind;         /* TAVRIN_SETTING_RANGE, _BOOLEAN or _LIST */
    int32_t filterId;     /* the identifier of Tavrin_GetFilterValue/Tavrin_SetFilterValue, or 0 when the
                             setting has exports of its own */
    int32_t minimum;      /* inclusive; for a list its smallest value */
    int32_t maximum;      /* inclusive; for a list its largest value */
    int32_t defaultValue; /* what a camera with no stored settings reports */
    int32_t flags;        /* TAVRIN_SETTING_APPLIES_AT_START, TAVRIN_SETTING_NOT_STORED */
    const char* name;     /* e.g. "exposure-lines": lower case, words joined by '-' */
    const char* unit;     /* e.g. "lines", "us", "ms", "%", "degrees", "bits"; "" for a plain number */
    const char* group;    /* for settings panels: "analog", "format", "image", "colour" or "gray" */
    const char* meaning;  /* one line for a user */
    int32_t valueCount;   /* list kinds: how many values follow; otherwise 0 */
    int32_t values[TAVRIN_SETTING_MAX_VALUES]; /* list kinds: the accepted values, in order */
} TavrinSettingInfo;

/**
 * The number of settings in the catalogue; their indexes run from 0.
 *
 * @return the count.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetSettingCount(void);

/**
 * Describes the setting at an index.
 *
 * @param index 0 .. TavrinEx_GetSettingCount() - 1.
 * @param info the caller's record, with size set; the SDK leaves size as it is.
 * @return 1; 0 for an index outside the catalogue, a NULL record or a size
 *     below 8 bytes (no handle is involved, so nothing is queued).
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_DescribeSetting(int index, TavrinSettingInfo* info);

/**
 * Reads a camera's setting by its catalogue name. A colour mode is read as
 * the value that set it (16, not the 10 significant bits
 * Tavrin_GetColorMode answers); "exposure-us" answers the time of the whole
 * lines the exposure was set to, with the frame's fixed offset, so it can
 * differ from the number set.
 *
 * @return 1 with the value at *value; 0 for an unknown handle (nothing
 *     queued), or with SDKERR_PARAMETER for an unknown name, a NULL pointer
 *     or a stored colour mode outside the list, SDKERR_NOT_READY when the
 *     setting needs a camera and the handle has none.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetSetting(int hCamera, const char* name, int* value);

/**
 * Sets a camera's setting by its catalogue name, after checking the value
 * against the catalogue: a range kind takes minimum .. maximum, a boolean 0
 * or 1, a list one of its values; a value it refuses changes nothing.
 *
 * @return 1; 0 for an unknown handle (nothing queued), or with
 *     SDKERR_PARAMETER for an unknown name or a value the catalogue
 *     refuses, SDKERR_NOT_READY when the setting needs a camera and the
 *     handle has none, or the error of the setting's own export.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_SetSetting(int hCamera, const char* name, int value);

/**
 * Writes the settings this handle changed to the settings store now, as
 * Tavrin_Release and Tavrin_SetDeviceNumber do, so that a program learns
 * whether they were kept for later programs (a release can only post its
 * failure). Only what the handle changed since it read or last saved the
 * settings is written: what other programs stored meanwhile stays.
 *
 * @param hCamera the handle from Tavrin_Initialize.
 * @param reason the caller's buffer for why the store could not be written,
 *     e.g. "/home/u/.config/Quenor/registry.sqlite3: attempt to write a
 *     readonly database": NUL-terminated, cut to fit; "" on success. May be
 *     NULL when reasonSize is 0.
 * @param reasonSize the buffer's size in bytes.
 * @return 1; 0 for an unknown handle (nothing queued), or with SDKERR_FILE
 *     when the store could not be written, SDKERR_NOT_READY when the handle
 *     has no camera.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_SaveSettings(int hCamera, char* reason, int reasonSize);

/* ---- Trigger mode ----------------------------------------------------- */

/**
 * Fires the camera's software trigger: in trigger mode (Tavrin_Trigger) the
 * camera takes one frame, as on a pulse at its trigger input, and the frame
 * is announced like any triggered frame. Triggers that come faster than the
 * SDK processes frames are each taken by the camera; the newest frame is
 * the next one delivered and the others count as dropped (TavrinFrameMeta).
 *
 * @return 1; 0 for an unknown handle (nothing queued), or with
 *     SDKERR_NOT_READY outside trigger mode, SDKERR_DEVICE_IO when the
 *     camera did not take the command.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_SoftwareTrigger(int hCamera);

/* ---- Recording ---------------------------------------------------------- */

/**
 * Whether the recording that Tavrin_Record or Tavrin_RecordW started is
 * still being written. A recording ends by itself once its duration has
 * passed (counted from its first frame), when the stream stops
 * (Tavrin_StopPreview, Tavrin_Close, a transfer error) or when the file
 * cannot take more; it then finishes and closes its file. A program that
 * waits for the file polls this until *writing is 0: the file is then a
 * whole AVI file, and a write failure has been queued (SDKERR_FILE). The
 * stream goes on after the recording; stop it with Tavrin_StopPreview.
 *
 * @param hCamera the handle from Tavrin_Initialize.
 * @param writing receives 1 while the recording's file is being written,
 *     0 once it is closed (or when no recording was started).
 * @param frames receives the frames in the file of the current or last
 *     recording; may be NULL.
 * @return 1; 0 for an unknown handle (nothing queued), or with
 *     SDKERR_PARAMETER for a NULL writing.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetRecordingState(int hCamera, int* writing, int* frames);

/* ---- The stored readout windows ---------------------------------------- */

/**
 * One readout window of the size table: the list of readout windows kept in
 * the settings store for a camera, which the camera dialog edits and
 * Tavrin_SetCaptureWindow chooses from by width and height. The fields are
 * those of Tavrin_SetCaptureWindowEx (TH, TV, EH, EV, EHS, EVS) and the
 * buffer count stored with them, in the store's order.
 */
typedef struct TavrinSizeEntry {
    int32_t totalWidth;  /* TH */
    int32_t totalHeight; /* TV */
    int32_t width;       /* EH: the image width */
    int32_t height;      /* EV: the image height */
    int32_t left;        /* EHS: first column read */
    int32_t top;         /* EVS: first line read */
    int32_t buffers;     /* Buf: carried with the entry, no further effect */
} TavrinSizeEntry;

/**
 * Reads the size table of the handle's camera (the slot of
 * Tavrin_SetDeviceNumber) from the settings store, as stored: entries are
 * not checked against the sensor. A store that keeps nothing
 * (TAVRIN_REGISTRY=none) or holds no table for the camera gives 0 entries.
 *
 * @param hCamera the handle from Tavrin_Initialize.
 * @param entries the caller's array of capacity entries; may be NULL when
 *     capacity is 0 (to ask for the count first).
 * @param capacity how many entries fit; the first min(capacity, *count) are filled.
 * @param count receives how many entries are stored (at most 100).
 * @param selected receives the index of the entry the camera starts with
 *     (the store's choice, which may lie outside the table); may be NULL.
 * @return 1; 0 for an unknown handle (nothing queued), or with
 *     SDKERR_PARAMETER for a NULL count, a negative capacity or NULL entries
 *     with a capacity above 0.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetSizeTable(int hCamera, TavrinSizeEntry* entries, int capacity, int* count,
                                                 int* selected);

/* ---- The built-in dialogs --------------------------------------------- */

/**
 * Whether this host can show the built-in dialogs now. On Linux they need a
 * display (DISPLAY), the dialog module libTavrinSdk_860VX_RUX_gtk.so beside
 * the library and GTK 3; on Windows they are always available. The dialog
 * exports of TavrinSdk.h keep their answers (1 even when no window could be
 * created), so a program that wants to tell its user why no dialog appears
 * asks this first.
 *
 * @param reason the caller's buffer for why not: ASCII, NUL-terminated, cut
 *     to fit; "" when dialogs can be shown. May be NULL when reasonSize is 0.
 * @param reasonSize the buffer's size in bytes.
 * @return 1 when a dialog can be shown, 0 when not.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_CanShowDialogs(char* reason, int reasonSize);

/* ---- Session recording ------------------------------------------------ */

/**
 * A session recording keeps everything one camera says to its driver and
 * hears back: every open and close of its device path, every I/O control
 * request with its code, pipe and bytes, every frame as transferred, the
 * host time of each request and its completion, failures, time-outs, and
 * the camera going away and coming back. A header holds the camera's
 * identity and serial ROM text, the SDK version, the settings in effect and
 * the host. The recording sits at the driver port, so it works the same
 * over the real driver and over the simulated camera, and it takes in the
 * requests of every camera handle of this program that reaches the same
 * camera while it runs.
 *
 * The file (docs/session-format.md describes every byte) replays as a
 * camera on any machine: TAVRIN_SIM="0;replay=FILE" (see TavrinSim.h).
 *
 * Chunks go to the file one by one as they happen, so a program that dies
 * mid-recording leaves a file that reads up to its last whole chunk. Frames
 * cost one write each from the frame transfer (about 0.1 ms for a full
 * frame, most of it the system's copy into its file cache); uncompressed,
 * a session of full-size frames is the frames plus about 0.1 %.
 */

/** TavrinEx_StartSessionRecordingEx flag: store frames compressed with
 * zstd. A build without zstd (TavrinEx_GetSessionRecordingState then says
 * so) stores them as they are. */
#define TAVRIN_SESSION_COMPRESS_FRAMES 1

/**
 * Starts recording the camera's session into a new file (an existing one
 * is replaced), from now until TavrinEx_StopSessionRecording or
 * Tavrin_Release. May be called while the camera streams. Reads the
 * camera's identification text from its serial ROM first (a few hundred
 * milliseconds).
 *
 * A full disk or another write error ends the recording by itself: the
 * camera keeps running, SDKERR_FILE is queued and posted, and
 * TavrinEx_GetSessionRecordingState tells why.
 *
 * @param hCamera the handle from Tavrin_Initialize.
 * @param path the file, in the ANSI code page.
 * @return 1; 0 for an unknown handle (nothing queued), or with
 *     SDKERR_PARAMETER for a NULL or empty path, SDKERR_NOT_READY while a
 *     recording runs or without a device library, SDKERR_FILE when the file
 *     cannot be created.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_StartSessionRecording(int hCamera, const char* path);

/**
 * TavrinEx_StartSessionRecording with flags (TAVRIN_SESSION_COMPRESS_FRAMES
 * or 0); SDKERR_PARAMETER for any other bit.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_StartSessionRecordingEx(int hCamera, const char* path, int flags);

/**
 * Stops the recording and completes its file.
 *
 * @return 1; 0 for an unknown handle (nothing queued), or with
 *     SDKERR_NOT_READY when no recording runs, SDKERR_FILE when the
 *     recording had ended by a write error (a full disk) or its end could
 *     not be written. Either way the recording is over afterwards.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_StopSessionRecording(int hCamera);

/**
 * Whether a recording runs, and why the last one ended: "stopped", "the
 * disk is full (No space left on device) after 123456 bytes", ...; "" when
 * none ended yet. Frames stored uncompressed although compression was
 * asked for show as a running recording's reason text
 * "frames uncompressed: this build has no zstd".
 *
 * @param hCamera the handle from Tavrin_Initialize.
 * @param reason the caller's buffer, ASCII, NUL-terminated, cut to fit; may
 *     be NULL when reasonSize is 0.
 * @param reasonSize the buffer's size in bytes.
 * @return 1 while a recording runs; 0 when none runs or for an unknown
 *     handle (nothing queued).
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetSessionRecordingState(int hCamera, char* reason, int reasonSize);

/**
 * Describes a session file for people, one "what  value" line each: the
 * camera, when, where and by which SDK it was recorded, the settings in
 * effect, its duration, its frames (whole, short, failed, timed out), its
 * requests, opens and errors, the camera's comings and goings, and how the
 * recording ended (a file cut short says where its good part ends). Needs
 * no handle.
 *
 * @param path the file, in the ANSI code page.
 * @param text the caller's buffer: the description, or why the file cannot
 *     be read; ASCII, NUL-terminated, cut to fit (4096 bytes hold it). May
 *     be NULL when textSize is 0.
 * @param textSize the buffer's size in bytes.
 * @return 1 when the file was read as a session; 0 when it does not open,
 *     is no session file, comes from a newer format version, or holds
 *     compressed frames and this build has no zstd.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_DescribeSession(const char* path, char* text, int textSize);

/* ---- Error codes ------------------------------------------------------ */

/**
 * The name of an error code as this header spells it, for messages and logs:
 * "SDKERR_FRAME" for 8.
 *
 *     char name[32];
 *     TavrinEx_GetErrorName(Tavrin_GetLastError(h), name, sizeof name);
 *
 * @param code a code from Tavrin_GetLastError or WM_SDK_ERROR.
 * @param name the caller's buffer: ASCII, NUL-terminated, cut to fit (32
 *     bytes hold every name); "" for a number that is no error code (0
 *     included). May be NULL when nameSize is 0.
 * @param nameSize the buffer's size in bytes.
 * @return 1 for one of the SDKERR_ codes, 0 for any other number.
 */
TAVRIN_API int TAVRIN_CALL TavrinEx_GetErrorName(int code, char* name, int nameSize);

#ifdef __cplusplus
}
#endif

#endif /* TAVRIN_EX_H */
