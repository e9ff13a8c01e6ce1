/**
 * @file TavrinSdk.h
 * @brief Public interface of the Tavrin 860VX-RUX camera SDK.
 *
 * Every function returns a 32-bit int: 1 for success and 0 for failure, or
 * the value asked for. All but Tavrin_Initialize and Tavrin_GetDllVersion take
 * the handle returned by Tavrin_Initialize as their first argument. Why a call
 * failed is kept in the handle's error queue (Tavrin_GetLastError) and posted
 * as WM_SDK_ERROR to the window given to Tavrin_Initialize.
 *
 * Threads: any thread may call any function, also on the same handle at
 * the same time, except Tavrin_Release, which must be the handle's last
 * call. The SDK's own threads post WM_SDK_FRAME and WM_SDK_ERROR and never
 * wait for the receiver. The thread that starts an acquisition with a
 * preview window owns that window.
 *
 * Each setting's values, default, unit and meaning are kept once, in the
 * settings catalogue of TavrinEx.h (TavrinEx_DescribeSetting; `tavrin help`
 * prints it); the functions below name the setting they read or write.
 *
 * The settings store keeps each camera's settings from one program to the
 * next: the registry of the current user on Windows; on POSIX hosts an
 * SQLite file at $TAVRIN_REGISTRY, else $XDG_CONFIG_HOME/Quenor/registry.sqlite3
 * (~/.config/Quenor/... without XDG_CONFIG_HOME); TAVRIN_REGISTRY=none keeps
 * nothing. Another program may hold the store locked while it writes: a
 * function waits for the lock at most one busy time-out in all (10 s; on
 * POSIX hosts TAVRIN_REGISTRY_TIMEOUT_MS sets it in milliseconds), however
 * many values it reads or writes. A store that cannot be read or written in
 * that time, or at all (read-only, not a database), is reported as
 * SDKERR_FILE by the function that used it; settings that could not be read
 * start at their defaults, and nothing is written back over them unless the
 * program changes them.
 *
 * This header is plain C and compiles on its own on Windows and POSIX hosts.
 */
#ifndef TAVRIN_SDK_H
#define TAVRIN_SDK_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define TAVRIN_CALL __stdcall /* the one x64 convention; kept for clarity */
#ifndef _WINDEF_
struct HWND__;
typedef struct HWND__* HWND;
typedef unsigned char BYTE;
typedef unsigned short WORD;
#endif
typedef wchar_t TavrinWChar;
#else
#define TAVRIN_CALL
#ifndef __cplusplus
#include <uchar.h>
#endif
/* POSIX hosts have no windows: a HWND is an opaque message window made by
 * TavrinPosix_CreateMessageWindow (see TavrinPosix.h). */
struct TavrinWindow;
typedef struct TavrinWindow* HWND;
typedef unsigned char BYTE;
typedef unsigned short WORD;
/* Wide names are UTF-16 on every platform, so a 256-unit slot is 512 bytes. */
typedef char16_t TavrinWChar;
#endif

#if defined(TAVRIN_BUILDING_SDK) && !defined(_WIN32)
#define TAVRIN_API __attribute__((visibility("default")))
#else
#define TAVRIN_API /* the DLL's .def file names its exports */
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Window messages, posted (never sent). */
#define WM_SDK_FRAME 0x8002 /* wParam: TavrinFrameInfo*, or 0 with lParam 5, 8 or 13 */
#define WM_SDK_ERROR 0x8003 /* lParam: error code */

/* Error codes; 0 means no error, 10 is never raised. */
#define SDKERR_NOT_READY 1
#define SDKERR_DEVICE 2
#define SDKERR_THREAD 3
#define SDKERR_WINDOW 4
#define SDKERR_BUFFER 5
#define SDKERR_DEVICE_IO 6
#define SDKERR_CAPTURE_WINDOW 7
#define SDKERR_FRAME 8
#define SDKERR_PARAMETER 9
#define SDKERR_UNSUPPORTED 11
#define SDKERR_FILE 12
#define SDKERR_TRANSFER 13

#pragma pack(push, 4)
/* The 32-byte record that WM_SDK_FRAME points at; overwritten every frame. */
typedef struct TavrinFrameInfo {
    int32_t size;         /* always 32 */
    int32_t width;        /* pixels */
    int32_t height;       /* lines */
    int32_t bitsPerPixel; /* 8, 16, 24, 32, 48 or 64 */
    int32_t frameRate;    /* frames per second times 10; 0 in trigger mode */
    int32_t reserved;
    BYTE* buffer; /* the caller's buffer, or NULL */
} TavrinFrameInfo;

/* The 36-byte record filled by Tavrin_GetCameraInfo; the caller sets size. */
typedef struct TavrinCameraInfo {
    int32_t size;
    int32_t sensorWidth;
    int32_t sensorHeight;
    int32_t globalGainMin;
    int32_t globalGainMax;
    int32_t reserved1;
    int32_t reserved2;
    int32_t exposureMinLines;
    int32_t exposureMaxLines;
} TavrinCameraInfo;
#pragma pack(pop)

#if defined(__cplusplus)
static_assert(sizeof(void*) != 8 || sizeof(TavrinFrameInfo) == 32, "frame record is 32 bytes");
static_assert(sizeof(void*) != 8 || offsetof(TavrinFrameInfo, buffer) == 24, "buffer at 24");
static_assert(sizeof(TavrinCameraInfo) == 36, "camera record is 36 bytes");
#else
_Static_assert(sizeof(void*) != 8 || sizeof(TavrinFrameInfo) == 32, "frame record is 32 bytes");
_Static_assert(sizeof(void*) != 8 || offsetof(TavrinFrameInfo, buffer) == 24, "buffer at 24");
_Static_assert(sizeof(TavrinCameraInfo) == 36, "camera record is 36 bytes");
#endif

/* Lifecycle and errors */
/**
 * @brief Creates a camera object and returns its handle.
 * Does not open the camera: settings are restored from the settings store, and the first
 *     acquisition opens the device.
 * @param notifyWindow window that receives WM_SDK_ERROR for every queued error; may be NULL (on
 *     POSIX hosts a window of TavrinPosix_CreateMessageWindow). The window is also what marks a
 *     camera as this program's while it streams, so that other programs are refused it
 *     (SDKERR_DEVICE). With NULL the handle still refuses a camera that another program streams
 *     from, but never marks one as its own: other programs may start the same camera meanwhile.
 * @return the new handle (never 0), or 0 when the camera object cannot be created.
 * @par Errors
 *     queued on the new handle: SDKERR_FILE when the settings store could not be read (the
 *     settings start at their defaults). A failed initialization leaves a handle whose device
 *     operations report SDKERR_NOT_READY or SDKERR_BUFFER.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Initialize(HWND notifyWindow);
/**
 * @brief Stops any acquisition, saves the settings, closes the camera and frees the handle.
 * The save writes only the settings this handle changed since it read them: what other programs
 *     stored for the camera meanwhile stays. A program that must know whether they were stored
 *     calls TavrinEx_SaveSettings first.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 1, or 0 for an unknown handle.
 * @par Errors
 *     none are queued (the handle is gone); a save that failed is posted as WM_SDK_ERROR with
 *     SDKERR_FILE to the window given to Tavrin_Initialize.
 * @par Thread
 *     Any thread. Not while another thread still uses the same handle.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Release(int hCamera);
/**
 * @brief The library's version number.
 * @return always 27919647 (0x01AA051F).
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetDllVersion(void);
/**
 * @brief Takes the newest code from the handle's error queue (20 entries).
 * @param hCamera the handle from Tavrin_Initialize.
 * @return the newest queued error code, or 0 when none is queued or the handle is unknown.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetLastError(int hCamera);
/**
 * @brief Kept for compatibility.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param unused not used.
 * @return always 0.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetStatus(int hCamera, void* unused);

/* Device selection and information */
/**
 * @brief Lists the cameras found.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param names 10 slots of 256 bytes that receive the names, e.g. "Tavrin860VX-RUX_01".
 * @return the number of cameras found.
 * @par Errors
 *     SDKERR_PARAMETER for a null buffer; SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_EnumDevice(int hCamera, char* names);
/**
 * @brief Lists the cameras found, as UTF-16 names.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param names 10 slots of 256 UTF-16 units.
 * @return the number of cameras found.
 * @par Errors
 *     as Tavrin_EnumDevice.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_EnumDeviceW(int hCamera, TavrinWChar* names);
/**
 * @brief The name of the camera in a device slot.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param index device slot 0 to 31.
 * @param name receives the name.
 * @param size bytes in name.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_DEVICE for a slot without a camera; SDKERR_PARAMETER for a bad slot, a null or too
 *     short buffer.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetDeviceName(int hCamera, int index, char* name, int size);
/**
 * @brief The UTF-16 name of the camera in a device slot.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param index device slot 0 to 31.
 * @param name receives the name.
 * @param size UTF-16 units in name.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     as Tavrin_GetDeviceName.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetDeviceNameW(int hCamera, int index, TavrinWChar* name, int size);
/**
 * @brief Selects the camera (device slot) the handle works with.
 * Saves the settings this handle changed for the camera it leaves (as Tavrin_Release does) and
 *     reads the stored settings of the one it selects.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param index device slot 0 to 31.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER outside 0 to 31; SDKERR_DEVICE when the slot holds no camera or selecting it
 *     fails; SDKERR_FILE when the settings store could not be read or written (the switch still
 *     happens and returns 1).
 * @par Thread
 *     Any thread. Not during acquisition.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetDeviceNumber(int hCamera, int index);
/**
 * @brief Fills the camera information record: sensor size, gain and exposure ranges.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param info the record; set info->size to sizeof(TavrinCameraInfo) (at least 36) first.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_BUFFER for a record smaller than 36 bytes; SDKERR_PARAMETER for NULL; SDKERR_NOT_READY
 *     without a device library.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetCameraInfo(int hCamera, TavrinCameraInfo* info);
/**
 * @brief Width of the delivered images in pixels (the capture window's EH).
 * @param hCamera the handle from Tavrin_Initialize.
 * @return the width, 0 for an unknown handle.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Width(int hCamera);
/**
 * @brief Height of the delivered images in lines (the capture window's EV).
 * @param hCamera the handle from Tavrin_Initialize.
 * @return the height, 0 for an unknown handle.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Height(int hCamera);

/* Acquisition */
/**
 * @brief Starts streaming into the preview window (set with Tavrin_SetPreviewWindow).
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY when called in a state that forbids it (another acquisition runs) or after a
 *     failed preparation; the preparation's own code before it: SDKERR_DEVICE (no camera, or in use
 *     by another program), SDKERR_CAPTURE_WINDOW, SDKERR_BUFFER, SDKERR_DEVICE_IO; SDKERR_WINDOW
 *     when the window cannot be made; SDKERR_FRAME when streaming cannot start.
 * @par Thread
 *     The thread that starts acquisition owns the preview window: on Windows it must run a message
 *     loop while the window is shown.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Preview(int hCamera);
/**
 * @brief Starts streaming with one WM_SDK_FRAME message per frame.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param callbackWindow receives WM_SDK_FRAME; wParam points at the TavrinFrameInfo record, valid
 *     until the next frame.
 * @param buffer receives each image before its message, or NULL.
 * @param size bytes in buffer: at least height x stride (rows padded to 4 bytes).
 * @param bottomUp non-zero: top line first; 0: bottom line first (as a bottom-up bitmap).
 * @return 1 on success, 0 on failure.
 * @warning The name reads backwards: non-zero gives the usual top-down image (line 0 is the
 *     picture's top line, as numpy, OpenCV and most image libraries expect); 0 gives a bottom-up
 *     bitmap, as a Windows DIB stores it.
 * @note The fastest way: in the 24- and 48-bit modes with bottomUp non-zero, each frame is
 *     processed straight into the buffer, with no copy after it. Until the stream stops or the
 *     buffer is replaced, Tavrin_GetImage and Tavrin_SaveImage then read the last frame from the
 *     buffer, so what the program writes into it meanwhile shows in theirs.
 * @par Errors
 *     SDKERR_NOT_READY when called in a state that forbids it (another acquisition runs) or after a
 *     failed preparation; the preparation's own code before it: SDKERR_DEVICE (no camera, or in use
 *     by another program), SDKERR_CAPTURE_WINDOW, SDKERR_BUFFER, SDKERR_DEVICE_IO; SDKERR_WINDOW;
 *     SDKERR_FRAME. Per frame: SDKERR_BUFFER for a short buffer (also posted as WM_SDK_FRAME with
 *     lParam 5), SDKERR_FRAME, SDKERR_TRANSFER (streaming stops).
 * @par Thread
 *     The thread that starts acquisition owns the preview window: on Windows it must run a message
 *     loop while the window is shown. Frame messages are posted (never sent) from the SDK's
 *     acquisition thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_CallBackPreview(int hCamera, HWND callbackWindow, BYTE* buffer, int size,
                                                  int bottomUp);
/**
 * @brief Starts streaming without changing the callback window or buffer.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY when called in a state that forbids it (another acquisition runs) or after a
 *     failed preparation; the preparation's own code before it: SDKERR_DEVICE (no camera, or in use
 *     by another program), SDKERR_CAPTURE_WINDOW, SDKERR_BUFFER, SDKERR_DEVICE_IO.
 * @par Thread
 *     The thread that starts acquisition owns the preview window: on Windows it must run a message
 *     loop while the window is shown.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_StartPreview(int hCamera);
/**
 * @brief Stops streaming, capture or trigger mode and waits until the SDK's threads have ended.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Any thread. It waits for the acquisition thread, which never waits for the caller, so it may
 *     be called from the thread that reads the frame messages.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_StopPreview(int hCamera);
/**
 * @brief Prepares the camera and keeps it open for fast Tavrin_SnapShot calls.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY when called in a state that forbids it (another acquisition runs) or after a
 *     failed preparation; the preparation's own code before it: SDKERR_DEVICE (no camera, or in use
 *     by another program), SDKERR_CAPTURE_WINDOW, SDKERR_BUFFER, SDKERR_DEVICE_IO.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Capture(int hCamera);
/**
 * @brief Takes one new frame, processes it and copies it into the buffer.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param buffer receives the image, or NULL to keep it only in the SDK (for Tavrin_SaveImage).
 * @param size bytes in buffer (height x stride), or 0.
 * @param bottomUp non-zero: top line first; 0: bottom line first (as a bottom-up bitmap).
 * @return 1 on success, 0 on failure.
 * @warning The name reads backwards: non-zero gives the usual top-down image (line 0 is the
 *     picture's top line, as numpy, OpenCV and most image libraries expect); 0 gives a bottom-up
 *     bitmap, as a Windows DIB stores it.
 * @par Errors
 *     SDKERR_NOT_READY when called in a state that forbids it (another acquisition runs) or after a
 *     failed preparation; the preparation's own code before it: SDKERR_DEVICE (no camera, or in use
 *     by another program), SDKERR_CAPTURE_WINDOW, SDKERR_BUFFER, SDKERR_DEVICE_IO; SDKERR_FRAME
 *     when no frame comes; SDKERR_BUFFER for a short buffer.
 * @par Thread
 *     Any thread. Returns when the frame is in the buffer.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SnapShot(int hCamera, BYTE* buffer, int size, int bottomUp);
/**
 * @brief Copies the last processed image, under the SDK's frame lock (never a half-written frame).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param buffer receives the image.
 * @param size bytes in buffer.
 * @param bottomUp non-zero: top line first; 0: bottom line first (as a bottom-up bitmap).
 * @return 1 on success, 0 on failure.
 * @warning The name reads backwards: non-zero gives the usual top-down image (line 0 is the
 *     picture's top line, as numpy, OpenCV and most image libraries expect); 0 gives a bottom-up
 *     bitmap, as a Windows DIB stores it.
 * @par Errors
 *     SDKERR_NOT_READY without an image buffer; SDKERR_BUFFER for a null or short buffer or no
 *     image yet.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetImage(int hCamera, BYTE* buffer, int size, int bottomUp);
/**
 * @brief Enters trigger mode: each trigger pulse brings one frame, announced by WM_SDK_FRAME.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param callbackWindow receives WM_SDK_FRAME (frame rate 0).
 * @param buffer receives each image, or NULL.
 * @param size bytes in buffer.
 * @param bottomUp non-zero: top line first; 0: bottom line first (as a bottom-up bitmap).
 * @return 1 on success, 0 on failure.
 * @warning The name reads backwards: non-zero gives the usual top-down image (line 0 is the
 *     picture's top line, as numpy, OpenCV and most image libraries expect); 0 gives a bottom-up
 *     bitmap, as a Windows DIB stores it.
 * @note As with Tavrin_CallBackPreview, a 24- or 48-bit frame goes straight into a top-first
 *     buffer.
 * @par Errors
 *     SDKERR_NOT_READY when called in a state that forbids it (another acquisition runs) or after a
 *     failed preparation; the preparation's own code before it: SDKERR_DEVICE (no camera, or in use
 *     by another program), SDKERR_CAPTURE_WINDOW, SDKERR_BUFFER, SDKERR_DEVICE_IO; SDKERR_WINDOW;
 *     SDKERR_THREAD.
 * @par Thread
 *     The thread that starts acquisition owns the preview window: on Windows it must run a message
 *     loop while the window is shown.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Trigger(int hCamera, HWND callbackWindow, BYTE* buffer, int size, int bottomUp);
/**
 * @brief Stops acquisition, closes the preview window and the device.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 1.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread. Best from the thread that started acquisition (which owns the preview window).
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Close(int hCamera);
/**
 * @brief Streams and records to an AVI file for the given time.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param fileName the AVI file.
 * @param milliseconds duration, counted from the first recorded frame.
 * @param showPreview non-zero: show the configured preview window.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER for a null or empty name; SDKERR_FILE when streaming cannot start or the
 *     file cannot be opened; SDKERR_WINDOW; SDKERR_THREAD. During the recording, a failed write is
 *     posted as WM_SDK_ERROR.
 * @par Thread
 *     The thread that starts acquisition owns the preview window: on Windows it must run a message
 *     loop while the window is shown. The recording ends by itself; Tavrin_StopPreview then stops
 *     the stream.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Record(int hCamera, const char* fileName, int milliseconds, int showPreview);
/**
 * @brief Tavrin_Record with a UTF-16 file name.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param fileName the AVI file, UTF-16.
 * @param milliseconds duration.
 * @param showPreview non-zero: show the preview window.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_FILE when the name cannot be converted: on Windows to the system's code page; on
 *     POSIX hosts, where the name is used as UTF-8 whatever the locale, only half a surrogate pair
 *     or a name of more than 1023 bytes cannot be. Otherwise as Tavrin_Record.
 * @par Thread
 *     The thread that starts acquisition owns the preview window: on Windows it must run a message
 *     loop while the window is shown.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_RecordW(int hCamera, const TavrinWChar* fileName, int milliseconds, int showPreview);
/**
 * @brief Saves the last processed image as a still image file.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param fileName the file.
 * @param format 0 BMP, 1 raw, 2 JPEG, 3 JPEG quality 70, 4 JPEG quality 20, 5 PNG, 6 TIFF.
 * @return the writer's result (non-zero on success), 0 on failure. An unknown format, or a file
 *     that cannot be written, returns 0 with no code queued; an earlier file of that name stays
 *     as it was.
 * @par Errors
 *     SDKERR_NOT_READY when no image has been processed yet; SDKERR_PARAMETER for a null or empty
 *     name; SDKERR_BUFFER when the image cannot be copied for the save.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SaveImage(int hCamera, const char* fileName, int format);
/**
 * @brief Tavrin_SaveImage with a UTF-16 file name.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param fileName the file, UTF-16.
 * @param format 0 BMP, 1 raw, 2 JPEG, 3 JPEG quality 70, 4 JPEG quality 20, 5 PNG, 6 TIFF.
 * @return the writer's result, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY also when the name cannot be converted (on POSIX hosts, where the name is
 *     used as UTF-8 whatever the locale: half a surrogate pair, or more than 1023 bytes);
 *     otherwise as Tavrin_SaveImage.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SaveImageW(int hCamera, const TavrinWChar* fileName, int format);
/**
 * @brief Places the preview window: a child of parent, or a top-level window when parent is NULL.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param parent parent window, or NULL (on POSIX hosts an X11 window id).
 * @param x left edge in the parent.
 * @param y top edge in the parent.
 * @param width width; 0 with all other values 0 asks for no preview window.
 * @param height height.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Any thread. Takes effect at the next start.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetPreviewWindow(int hCamera, HWND parent, int x, int y, int width, int height);

/* Image format and readout region */
/**
 * @brief Chooses the image format.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param bitsPerPixel 8 (mono), 16 (mono, 10 significant bits), 24, 32, 48 or 64 (colour).
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER for another value.
 * @par Thread
 *     Any thread. Not during acquisition.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorMode(int hCamera, int bitsPerPixel);
/**
 * @brief The image format.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 8, 10, 24, 32, 42 or 58 (significant bits for 8, 16, 24, 32, 48, 64); -1 for an unknown
 *     handle or mode.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorMode(int hCamera);
/**
 * @brief Sub-sampling; this camera reads every pixel.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param mode only 0.
 * @return 1 for 0, otherwise 0.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetSubSample(int hCamera, int mode);
/**
 * @brief The sub-sample mode.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 0; -1 for an unknown handle.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetSubSample(int hCamera);
/**
 * @brief Pause of the stream before each frame.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param milliseconds 0 or more.
 * @return 1, or 0 for a negative value.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetWaitTime(int hCamera, int milliseconds);
/**
 * @brief The pause before each frame.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return milliseconds; -1 for an unknown handle.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetWaitTime(int hCamera);
/**
 * @brief Chooses one of the readout windows kept in the settings store by its size.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param width width in pixels.
 * @param height height in lines.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_WINDOW when no stored window has that size; SDKERR_CAPTURE_WINDOW when it does not fit
 *     the sensor; SDKERR_FILE when the settings store could not be read.
 * @par Thread
 *     Any thread. Not during acquisition.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetCaptureWindow(int hCamera, int width, int height);
/**
 * @brief Sets the readout region.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param TH total width (656).
 * @param EHS first column.
 * @param EH width.
 * @param TV total height (494).
 * @param EVS first line.
 * @param EV height.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_CAPTURE_WINDOW when the region is outside the 656 x 494 sensor (it stays stored until
 *     a valid one is set); SDKERR_DEVICE_IO.
 * @par Thread
 *     Any thread. Not during acquisition.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetCaptureWindowEx(int hCamera, int TH, int EHS, int EH, int TV, int EVS, int EV);
/**
 * @brief Reads the readout region; any pointer may be NULL.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param TH total width.
 * @param EHS first column.
 * @param EH width.
 * @param TV total height.
 * @param EVS first line.
 * @param EV height.
 * @return 1.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetCaptureWindowEx(int hCamera, int* TH, int* EHS, int* EH, int* TV, int* EVS,
                                                     int* EV);

/* Filter values: getters take an optional error out (1 success, 0 failure)
 * and return the value; setters return 1/0. */
/**
 * @brief Reads a setting by its filter identifier (1 to 28, as the named getters below).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param id filter identifier 1 to 28.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_PARAMETER for an unknown identifier.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetFilterValue(int hCamera, int id, int* error);
/**
 * @brief Changes a setting by its filter identifier; takes effect at the next frame.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param id filter identifier 1 to 28.
 * @param value the value, in the identifier's range.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER for an unknown identifier or a value out of range (nothing changes);
 *     SDKERR_DEVICE_IO when gain or exposure cannot be sent.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetFilterValue(int hCamera, int id, int value);
/**
 * @brief Reads the setting "brightness" (filter 1).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetBrightness(int hCamera, int* error); /* id 1 */
/**
 * @brief Sets the setting "brightness" (filter 1).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "brightness" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBrightness(int hCamera, int value);
/**
 * @brief Reads the setting "contrast" (filter 2).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetContrast(int hCamera, int* error); /* id 2 */
/**
 * @brief Sets the setting "contrast" (filter 2).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "contrast" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetContrast(int hCamera, int value);
/**
 * @brief Reads the setting "hue" (filter 3).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetHue(int hCamera, int* error); /* id 3 */
/**
 * @brief Sets the setting "hue" (filter 3).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "hue" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetHue(int hCamera, int value);
/**
 * @brief Reads the setting "saturation" (filter 4).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetSaturation(int hCamera, int* error); /* id 4 */
/**
 * @brief Sets the setting "saturation" (filter 4).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "saturation" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetSaturation(int hCamera, int value);
/**
 * @brief Reads the setting "sharpness" (filter 5).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetSharpness(int hCamera, int* error); /* id 5 */
/**
 * @brief Sets the setting "sharpness" (filter 5).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "sharpness" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetSharpness(int hCamera, int value);
/**
 * @brief Reads the setting "bayer-gain-rgb" (filter 6).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainRGB(int hCamera, int* error); /* id 6 */
/**
 * @brief Sets the setting "bayer-gain-rgb" (filter 6).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value any value; the bytes that mean something are those of "bayer-gain-rgb" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainRGB(int hCamera, int value);
/**
 * @brief Reads the setting "bayer-gain-red" (filter 7).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainRed(int hCamera, int* error); /* id 7 */
/**
 * @brief Sets the setting "bayer-gain-red" (filter 7).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "bayer-gain-red" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainRed(int hCamera, int value);
/**
 * @brief Reads the setting "bayer-gain-green" (filter 8).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainGreen(int hCamera, int* error); /* id 8 */
/**
 * @brief Sets the setting "bayer-gain-green" (filter 8).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "bayer-gain-green" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainGreen(int hCamera, int value);
/**
 * @brief Reads the setting "bayer-gain-blue" (filter 9).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainBlue(int hCamera, int* error); /* id 9 */
/**
 * @brief Sets the setting "bayer-gain-blue" (filter 9).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "bayer-gain-blue" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainBlue(int hCamera, int value);
/**
 * @brief Reads the setting "white-balance" (filter 10).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainAuto(int hCamera, int* error); /* id 10 */
/**
 * @brief Sets the setting "white-balance" (filter 10).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value any value, stored as 0 or 1.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainAuto(int hCamera, int value);
/**
 * @brief Reads the setting "gamma" (filter 11).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGamma(int hCamera, int* error); /* id 11 */
/**
 * @brief Sets the setting "gamma" (filter 11).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gamma" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGamma(int hCamera, int value);
/**
 * @brief Reads the setting "bayer-mode" (filter 12).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerMode(int hCamera, int* error); /* id 12 */
/**
 * @brief Sets the setting "bayer-mode" (filter 12).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "bayer-mode" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerMode(int hCamera, int value);
/**
 * @brief Reads the setting "gain" (filter 13).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGlobalGain(int hCamera, int* error); /* id 13 */
/**
 * @brief Sets the setting "gain" (filter 13).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gain" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes); SDKERR_DEVICE_IO when the sensor cannot be
 *     told.
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGlobalGain(int hCamera, int value);
/**
 * @brief Reads the analog red gain; this sensor has none (filter 14).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainRed(int hCamera, int* error); /* id 14 */
/**
 * @brief Sets the analog red gain; this sensor has none (filter 14): only 0.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value only 0.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainRed(int hCamera, int value);
/**
 * @brief Reads the analog green 1 gain; this sensor has none (filter 15).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainGreen1(int hCamera, int* error); /* id 15 */
/**
 * @brief Sets the analog green 1 gain; this sensor has none (filter 15): only 0.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value only 0.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainGreen1(int hCamera, int value);
/**
 * @brief Reads the analog green 2 gain; this sensor has none (filter 16).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainGreen2(int hCamera, int* error); /* id 16 */
/**
 * @brief Sets the analog green 2 gain; this sensor has none (filter 16): only 0.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value only 0.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainGreen2(int hCamera, int value);
/**
 * @brief Reads the analog blue gain; this sensor has none (filter 17).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainBlue(int hCamera, int* error); /* id 17 */
/**
 * @brief Sets the analog blue gain; this sensor has none (filter 17): only 0.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value only 0.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainBlue(int hCamera, int value);
/**
 * @brief Reads the setting "exposure-lines" (filter 18).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetExposureTime(int hCamera, int* error); /* id 18 */
/**
 * @brief Sets the setting "exposure-lines" (filter 18).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "exposure-lines" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes); SDKERR_DEVICE_IO when the sensor cannot be
 *     told.
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetExposureTime(int hCamera, int value);
/**
 * @brief Reads the monochrome processing: 0 off, 1 gray gains and offsets, 2 colour to gray (filter
 *     19).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayMode(int hCamera, int* error); /* id 19 */
/**
 * @brief Sets the monochrome processing: 0 off, 1 gray gains and offsets, 2 colour to gray (filter
 *     19): 0 to 2.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value 0 to 2.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayMode(int hCamera, int value);
/**
 * @brief Reads the setting "gray-gain-r" (filter 20).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainR(int hCamera, int* error); /* id 20 */
/**
 * @brief Sets the setting "gray-gain-r" (filter 20).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gray-gain-r" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainR(int hCamera, int value);
/**
 * @brief Reads the setting "gray-gain-g1" (filter 21).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainG1(int hCamera, int* error); /* id 21 */
/**
 * @brief Sets the setting "gray-gain-g1" (filter 21).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gray-gain-g1" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainG1(int hCamera, int value);
/**
 * @brief Reads the setting "gray-gain-g2" (filter 22).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainG2(int hCamera, int* error); /* id 22 */
/**
 * @brief Sets the setting "gray-gain-g2" (filter 22).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gray-gain-g2" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainG2(int hCamera, int value);
/**
 * @brief Reads the setting "gray-gain-b" (filter 23).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainB(int hCamera, int* error); /* id 23 */
/**
 * @brief Sets the setting "gray-gain-b" (filter 23).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gray-gain-b" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainB(int hCamera, int value);
/**
 * @brief Reads the setting "gray-offset-r" (filter 24).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetR(int hCamera, int* error); /* id 24 */
/**
 * @brief Sets the setting "gray-offset-r" (filter 24).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gray-offset-r" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetR(int hCamera, int value);
/**
 * @brief Reads the setting "gray-offset-g1" (filter 25).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetG1(int hCamera, int* error); /* id 25 */
/**
 * @brief Sets the setting "gray-offset-g1" (filter 25).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gray-offset-g1" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetG1(int hCamera, int value);
/**
 * @brief Reads the setting "gray-offset-g2" (filter 26).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetG2(int hCamera, int* error); /* id 26 */
/**
 * @brief Sets the setting "gray-offset-g2" (filter 26).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gray-offset-g2" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetG2(int hCamera, int value);
/**
 * @brief Reads the setting "gray-offset-b" (filter 27).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library (gain and exposure).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetB(int hCamera, int* error); /* id 27 */
/**
 * @brief Sets the setting "gray-offset-b" (filter 27).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value within the range of "gray-offset-b" in the settings catalogue.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range (nothing changes).
 * @par Thread
 *     Any thread. Takes effect at the next frame.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetB(int hCamera, int value);

/* Analog and device settings */
/**
 * @brief Sets the exposure in microseconds, rounded down to whole lines (85.6 us each).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param microseconds 172 to 44916.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER out of range; SDKERR_NOT_READY without a device library; SDKERR_DEVICE_IO.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetRealExposureTime(int hCamera, int microseconds);
/**
 * @brief The exposure in microseconds.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return microseconds.
 * @par Errors
 *     SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetRealExposureTime(int hCamera, int* error);
/**
 * @brief Mirrors the images left to right.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param flag non-zero: mirrored.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetMirrorH(int hCamera, int flag);
/**
 * @brief Whether images are mirrored left to right.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 1 or 0 (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetMirrorH(int hCamera);
/**
 * @brief Mirrors the images top to bottom.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param flag non-zero: mirrored.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetMirrorV(int hCamera, int flag);
/**
 * @brief Whether images are mirrored top to bottom.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 1 or 0 (0 on failure).
 * @par Errors
 *     SDKERR_NOT_READY, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetMirrorV(int hCamera);
/**
 * @brief Automatic exposure control.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param mode 0 off, 1 automatic exposure, 2 automatic gain.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetAutoIris(int hCamera, int mode);
/**
 * @brief The automatic exposure mode.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error optional: receives 1.
 * @return 0, 1 or 2.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetAutoIris(int hCamera, int* error);
/**
 * @brief Writes the camera's digital output port.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value the output bits.
 * @return the device library's result, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetIOPort(int hCamera, BYTE value);
/**
 * @brief Reads the camera's digital input port.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param value receives the input bits.
 * @param unused1 not used.
 * @param unused2 not used.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_PARAMETER for NULL and SDKERR_NOT_READY, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetIOPort(int hCamera, BYTE* value, void* unused1, int unused2);
/**
 * @brief Reads a sensor register from the SDK's cache (the sensor cannot be read back).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param address register 0 to 255.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value.
 * @par Errors
 *     SDKERR_NOT_READY without a device library; SDKERR_DEVICE_IO.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_ReadRegister(int hCamera, BYTE address, int* error);
/**
 * @brief Tavrin_ReadRegister with an int address (low 8 bits used).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param address register; low 8 bits used.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the value.
 * @par Errors
 *     as Tavrin_ReadRegister.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_ReadRegisterEx(int hCamera, int address, int* error);
/**
 * @brief Writes a sensor register.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param address register 0 to 255.
 * @param value 16-bit value.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_DEVICE_IO when the write fails; SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_WriteRegister(int hCamera, BYTE address, WORD value);
/**
 * @brief Tavrin_WriteRegister with int arguments (low 8 bits of the address, low 16 of the value).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param address register; low 8 bits used.
 * @param value low 16 bits written.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     as Tavrin_WriteRegister.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_WriteRegisterEx(int hCamera, int address, int value);
/**
 * @brief Reads a byte of the camera's serial ROM.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param address serial ROM address.
 * @param error optional: receives 1 on success, 0 on failure.
 * @return the byte, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_ReadSromID(int hCamera, int address, int* error);
/**
 * @brief Writes a byte of the camera's serial ROM.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param address serial ROM address.
 * @param value the byte.
 * @return 1 on success, 0 on failure.
 * @par Errors
 *     SDKERR_NOT_READY, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_WriteSromID(int hCamera, BYTE address, BYTE value);
/**
 * @brief Loads a register configuration file (8-byte records) that the next preparation sends to
 *     the sensor.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param fileName the file.
 * @return 1 when the file could be read, 0 otherwise.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_LoadConfigFileA(int hCamera, const char* fileName);
/**
 * @brief Tavrin_LoadConfigFileA with a UTF-16 file name.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param fileName the file, UTF-16.
 * @return 1 when the file could be read, 0 otherwise.
 * @par Errors
 *     SDKERR_FILE when the name cannot be converted (on POSIX hosts it is used as UTF-8).
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_LoadConfigFileW(int hCamera, const TavrinWChar* fileName);

/* Built-in dialogs: parent window; 1, or 0 without a device library. */
/**
 * @brief Shows the camera dialog (image format and readout region).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param parent owner window, or NULL.
 * @return 1, or 0 without a device library.
 * @par Errors
 *     SDKERR_NOT_READY without a device library; SDKERR_FILE when the settings store, which the
 *     dialog reads and writes, could not be read or written.
 * @par Thread
 *     Modal: returns when the user closes the dialog. The calling thread runs the dialog's message
 *     loop.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetCameraDlg(int hCamera, HWND parent);
/**
 * @brief Shows the analog gain dialog (gain, exposure, automatic exposure).
 * @param hCamera the handle from Tavrin_Initialize.
 * @param parent owner window, or NULL.
 * @return 1, or 0 without a device library.
 * @par Errors
 *     SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Modal: returns when the user closes the dialog. The calling thread runs the dialog's message
 *     loop.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetAnalogDlg(int hCamera, HWND parent);
/**
 * @brief Shows the image filter dialog with its gray page.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param parent owner window, or NULL.
 * @return 1, or 0 without a device library.
 * @par Errors
 *     SDKERR_NOT_READY without a device library.
 * @par Thread
 *     Modal: returns when the user closes the dialog. The calling thread runs the dialog's message
 *     loop.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetImageDlg(int hCamera, HWND parent);

/* Operations this camera model does not have: they report
 * SDKERR_UNSUPPORTED (or, for the last two, store 0) and return 0. */
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param address ignored.
 * @param error ignored.
 * @return 0.
 * @par Errors
 *     SDKERR_UNSUPPORTED, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Fpga_ReadRegister(int hCamera, int address, int* error);
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param address ignored.
 * @param value ignored.
 * @return 0.
 * @par Errors
 *     SDKERR_UNSUPPORTED, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Fpga_WriteRegister(int hCamera, int address, int value);
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @return 0.
 * @par Errors
 *     SDKERR_UNSUPPORTED, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_Fps(int hCamera);
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param error ignored.
 * @return 0.
 * @par Errors
 *     SDKERR_UNSUPPORTED, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetHalfClock(int hCamera, int* error);
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param flag ignored.
 * @return 0.
 * @par Errors
 *     SDKERR_UNSUPPORTED, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetHalfClock(int hCamera, int flag);
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param input ignored.
 * @param output ignored.
 * @return 0.
 * @par Errors
 *     SDKERR_UNSUPPORTED, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetCrossbar(int hCamera, int input, int output);
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param rate ignored.
 * @return 0.
 * @par Errors
 *     SDKERR_UNSUPPORTED, posted but not queued.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetSamplingRate(int hCamera, int rate);
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param id ignored.
 * @param error ignored.
 * @return -1 (0 for an unknown handle).
 * @par Errors
 *     SDKERR_UNSUPPORTED.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetConfigFilter(int hCamera, int id, int* error);
/**
 * @brief Not available on this camera model.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param id ignored.
 * @param value ignored.
 * @return -1 (0 for an unknown handle).
 * @par Errors
 *     SDKERR_UNSUPPORTED.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetConfigFilter(int hCamera, int id, int value);
/**
 * @brief Not available on this camera model: stores 0.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param rate receives 0 when not NULL.
 * @return 0.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetSamplingRate(int hCamera, int* rate);
/**
 * @brief Not available on this camera model: stores 0.
 * @param hCamera the handle from Tavrin_Initialize.
 * @param format receives 0 when not NULL.
 * @return 0.
 * @par Errors
 *     none.
 * @par Thread
 *     Any thread.
 */
TAVRIN_API int TAVRIN_CALL Tavrin_GetVideoFormat(int hCamera, int* format);

#ifdef __cplusplus
}
#endif

#endif /* TAVRIN_SDK_H */
