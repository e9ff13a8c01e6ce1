/*
 * TavrinSdk.h - public interface of the Tavrin 860VX-RUX camera SDK.
 *
 * Every function returns a 32-bit int: 1 for success and 0 for failure, or
 * the value asked for. All but Tavrin_Initialize and Tavrin_GetDllVersion take
 * the handle returned by Tavrin_Initialize as their first argument. Why a call
 * failed is kept in the handle's error queue (Tavrin_GetLastError) and posted
 * as WM_SDK_ERROR to the window given to Tavrin_Initialize.
 *
 * This header is plain C and compiles on its own on Windows and POSIX hosts.
 */
#ifndef TAVRIN_SDK_H
#define TAVRIN_SDK_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  define TAVRIN_CALL __stdcall /* the one x64 convention; kept for clarity */
#  ifndef _WINDEF_
struct HWND__;
typedef struct HWND__* HWND;
typedef unsigned char BYTE;
typedef unsigned short WORD;
#  endif
typedef wchar_t TavrinWChar;
#else
#  define TAVRIN_CALL
#  ifndef __cplusplus
#    include <uchar.h>
#  endif
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
#  define TAVRIN_API __attribute__((visibility("default")))
#else
#  define TAVRIN_API /* the DLL's .def file names its exports */
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
    int32_t size;           /* always 32 */
    int32_t width;          /* pixels */
    int32_t height;         /* lines */
    int32_t bitsPerPixel;   /* 8, 16, 24, 32, 48 or 64 */
    int32_t frameRate;      /* frames per second times 10; 0 in trigger mode */
    int32_t reserved;
    BYTE* buffer;           /* the caller's buffer, or NULL */
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
TAVRIN_API int TAVRIN_CALL Tavrin_Initialize(HWND notifyWindow);
TAVRIN_API int TAVRIN_CALL Tavrin_Release(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_GetDllVersion(void);
TAVRIN_API int TAVRIN_CALL Tavrin_GetLastError(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_GetStatus(int hCamera, void* unused);

/* Device selection and information */
TAVRIN_API int TAVRIN_CALL Tavrin_EnumDevice(int hCamera, char* names);
TAVRIN_API int TAVRIN_CALL Tavrin_EnumDeviceW(int hCamera, TavrinWChar* names);
TAVRIN_API int TAVRIN_CALL Tavrin_GetDeviceName(int hCamera, int index, char* name, int size);
TAVRIN_API int TAVRIN_CALL Tavrin_GetDeviceNameW(int hCamera, int index, TavrinWChar* name, int size);
TAVRIN_API int TAVRIN_CALL Tavrin_SetDeviceNumber(int hCamera, int index);
TAVRIN_API int TAVRIN_CALL Tavrin_GetCameraInfo(int hCamera, TavrinCameraInfo* info);
TAVRIN_API int TAVRIN_CALL Tavrin_Width(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_Height(int hCamera);

/* Acquisition */
TAVRIN_API int TAVRIN_CALL Tavrin_Preview(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_CallBackPreview(int hCamera, HWND callbackWindow, BYTE* buffer, int size, int bottomUp);
TAVRIN_API int TAVRIN_CALL Tavrin_StartPreview(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_StopPreview(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_Capture(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_SnapShot(int hCamera, BYTE* buffer, int size, int bottomUp);
TAVRIN_API int TAVRIN_CALL Tavrin_GetImage(int hCamera, BYTE* buffer, int size, int bottomUp);
TAVRIN_API int TAVRIN_CALL Tavrin_Trigger(int hCamera, HWND callbackWindow, BYTE* buffer, int size, int bottomUp);
TAVRIN_API int TAVRIN_CALL Tavrin_Close(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_Record(int hCamera, const char* fileName, int milliseconds, int showPreview);
TAVRIN_API int TAVRIN_CALL Tavrin_RecordW(int hCamera, const TavrinWChar* fileName, int milliseconds, int showPreview);
TAVRIN_API int TAVRIN_CALL Tavrin_SaveImage(int hCamera, const char* fileName, int format);
TAVRIN_API int TAVRIN_CALL Tavrin_SaveImageW(int hCamera, const TavrinWChar* fileName, int format);
TAVRIN_API int TAVRIN_CALL Tavrin_SetPreviewWindow(int hCamera, HWND parent, int x, int y, int width, int height);

/* Image format and readout region */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorMode(int hCamera, int bitsPerPixel);
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorMode(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_SetSubSample(int hCamera, int mode);
TAVRIN_API int TAVRIN_CALL Tavrin_GetSubSample(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_SetWaitTime(int hCamera, int milliseconds);
TAVRIN_API int TAVRIN_CALL Tavrin_GetWaitTime(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_SetCaptureWindow(int hCamera, int width, int height);
TAVRIN_API int TAVRIN_CALL Tavrin_SetCaptureWindowEx(int hCamera, int TH, int EHS, int EH, int TV, int EVS, int EV);
TAVRIN_API int TAVRIN_CALL Tavrin_GetCaptureWindowEx(int hCamera, int* TH, int* EHS, int* EH, int* TV, int* EVS, int* EV);

/* Filter values: getters take an optional error out (1 success, 0 failure)
 * and return the value; setters return 1/0. */
TAVRIN_API int TAVRIN_CALL Tavrin_GetFilterValue(int hCamera, int id, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_SetFilterValue(int hCamera, int id, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetBrightness(int hCamera, int* error); /* id 1 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBrightness(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetContrast(int hCamera, int* error); /* id 2 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetContrast(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetHue(int hCamera, int* error); /* id 3 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetHue(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetSaturation(int hCamera, int* error); /* id 4 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetSaturation(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetSharpness(int hCamera, int* error); /* id 5 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetSharpness(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainRGB(int hCamera, int* error); /* id 6 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainRGB(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainRed(int hCamera, int* error); /* id 7 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainRed(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainGreen(int hCamera, int* error); /* id 8 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainGreen(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainBlue(int hCamera, int* error); /* id 9 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainBlue(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerGainAuto(int hCamera, int* error); /* id 10 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerGainAuto(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGamma(int hCamera, int* error); /* id 11 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGamma(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetBayerMode(int hCamera, int* error); /* id 12 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetBayerMode(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGlobalGain(int hCamera, int* error); /* id 13 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGlobalGain(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainRed(int hCamera, int* error); /* id 14 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainRed(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainGreen1(int hCamera, int* error); /* id 15 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainGreen1(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainGreen2(int hCamera, int* error); /* id 16 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainGreen2(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetColorGainBlue(int hCamera, int* error); /* id 17 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetColorGainBlue(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetExposureTime(int hCamera, int* error); /* id 18 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetExposureTime(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayMode(int hCamera, int* error); /* id 19 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayMode(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainR(int hCamera, int* error); /* id 20 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainR(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainG1(int hCamera, int* error); /* id 21 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainG1(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainG2(int hCamera, int* error); /* id 22 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainG2(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayGainB(int hCamera, int* error); /* id 23 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayGainB(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetR(int hCamera, int* error); /* id 24 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetR(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetG1(int hCamera, int* error); /* id 25 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetG1(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetG2(int hCamera, int* error); /* id 26 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetG2(int hCamera, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetGrayOffsetB(int hCamera, int* error); /* id 27 */
TAVRIN_API int TAVRIN_CALL Tavrin_SetGrayOffsetB(int hCamera, int value);

/* Analog and device settings */
TAVRIN_API int TAVRIN_CALL Tavrin_SetRealExposureTime(int hCamera, int microseconds);
TAVRIN_API int TAVRIN_CALL Tavrin_GetRealExposureTime(int hCamera, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_SetMirrorH(int hCamera, int flag);
TAVRIN_API int TAVRIN_CALL Tavrin_GetMirrorH(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_SetMirrorV(int hCamera, int flag);
TAVRIN_API int TAVRIN_CALL Tavrin_GetMirrorV(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_SetAutoIris(int hCamera, int mode);
TAVRIN_API int TAVRIN_CALL Tavrin_GetAutoIris(int hCamera, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_SetIOPort(int hCamera, BYTE value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetIOPort(int hCamera, BYTE* value, void* unused1, int unused2);
TAVRIN_API int TAVRIN_CALL Tavrin_ReadRegister(int hCamera, BYTE address, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_ReadRegisterEx(int hCamera, int address, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_WriteRegister(int hCamera, BYTE address, WORD value);
TAVRIN_API int TAVRIN_CALL Tavrin_WriteRegisterEx(int hCamera, int address, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_ReadSromID(int hCamera, int address, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_WriteSromID(int hCamera, BYTE address, BYTE value);
TAVRIN_API int TAVRIN_CALL Tavrin_LoadConfigFileA(int hCamera, const char* fileName);
TAVRIN_API int TAVRIN_CALL Tavrin_LoadConfigFileW(int hCamera, const TavrinWChar* fileName);

/* Built-in dialogs: parent window; 1, or 0 without a device library. */
TAVRIN_API int TAVRIN_CALL Tavrin_SetCameraDlg(int hCamera, HWND parent);
TAVRIN_API int TAVRIN_CALL Tavrin_SetAnalogDlg(int hCamera, HWND parent);
TAVRIN_API int TAVRIN_CALL Tavrin_SetImageDlg(int hCamera, HWND parent);

/* Operations this camera model does not have: they report
 * SDKERR_UNSUPPORTED (or, for the last two, store 0) and return 0. */
TAVRIN_API int TAVRIN_CALL Tavrin_Fpga_ReadRegister(int hCamera, int address, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_Fpga_WriteRegister(int hCamera, int address, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_Fps(int hCamera);
TAVRIN_API int TAVRIN_CALL Tavrin_GetHalfClock(int hCamera, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_SetHalfClock(int hCamera, int flag);
TAVRIN_API int TAVRIN_CALL Tavrin_SetCrossbar(int hCamera, int input, int output);
TAVRIN_API int TAVRIN_CALL Tavrin_SetSamplingRate(int hCamera, int rate);
TAVRIN_API int TAVRIN_CALL Tavrin_GetConfigFilter(int hCamera, int id, int* error);
TAVRIN_API int TAVRIN_CALL Tavrin_SetConfigFilter(int hCamera, int id, int value);
TAVRIN_API int TAVRIN_CALL Tavrin_GetSamplingRate(int hCamera, int* rate);
TAVRIN_API int TAVRIN_CALL Tavrin_GetVideoFormat(int hCamera, int* format);

#ifdef __cplusplus
}
#endif

#endif /* TAVRIN_SDK_H */
