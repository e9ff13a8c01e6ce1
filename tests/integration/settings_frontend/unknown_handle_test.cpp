// Every settings export on a handle that is not (or no longer) open returns
// its failure value, writes nothing and posts nothing.
#include "frontend_fixture.h"

namespace tavrin::test {
namespace {

int g_int = 7;
BYTE g_byte = 7;
char g_name[2560] = "keep";
TavrinWChar g_wide[2560] = {u'k', 0};
TavrinCameraInfo g_info{36, 7, 7, 7, 7, 7, 7, 7, 7};

struct SettingsExport {
    const char* name;
    int failure;
    int (*call)(int handle);
};

const SettingsExport kExports[] = {
    {"SetColorMode", 0, [](int h) { return Tavrin_SetColorMode(h, 24); }},
    {"GetColorMode", -1, [](int h) { return Tavrin_GetColorMode(h); }},
    {"SetSubSample", 0, [](int h) { return Tavrin_SetSubSample(h, 0); }},
    {"GetSubSample", -1, [](int h) { return Tavrin_GetSubSample(h); }},
    {"SetWaitTime", 0, [](int h) { return Tavrin_SetWaitTime(h, 5); }},
    {"GetWaitTime", -1, [](int h) { return Tavrin_GetWaitTime(h); }},
    {"SetCaptureWindow", 0, [](int h) { return Tavrin_SetCaptureWindow(h, 656, 494); }},
    {"SetCaptureWindowEx", 0, [](int h) { return Tavrin_SetCaptureWindowEx(h, 656, 0, 656, 494, 0, 494); }},
    {"GetCaptureWindowEx", 0,
     [](int h) { return Tavrin_GetCaptureWindowEx(h, &g_int, &g_int, &g_int, &g_int, &g_int, &g_int); }},
    {"SetPreviewWindow", 0, [](int h) { return Tavrin_SetPreviewWindow(h, nullptr, 0, 0, 10, 10); }},
    {"GetFilterValue", 0, [](int h) { return Tavrin_GetFilterValue(h, 1, &g_int); }},
    {"SetFilterValue", 0, [](int h) { return Tavrin_SetFilterValue(h, 1, 0); }},
    {"GetBrightness", 0, [](int h) { return Tavrin_GetBrightness(h, &g_int); }},
    {"SetBrightness", 0, [](int h) { return Tavrin_SetBrightness(h, 0); }},
    {"GetBayerGainRGB", 0, [](int h) { return Tavrin_GetBayerGainRGB(h, &g_int); }},
    {"SetBayerGainRGB", 0, [](int h) { return Tavrin_SetBayerGainRGB(h, 0); }},
    {"GetGlobalGain", 0, [](int h) { return Tavrin_GetGlobalGain(h, &g_int); }},
    {"SetGlobalGain", 0, [](int h) { return Tavrin_SetGlobalGain(h, 100); }},
    {"GetExposureTime", 0, [](int h) { return Tavrin_GetExposureTime(h, &g_int); }},
    {"SetExposureTime", 0, [](int h) { return Tavrin_SetExposureTime(h, 100); }},
    {"GetGrayOffsetB", 0, [](int h) { return Tavrin_GetGrayOffsetB(h, &g_int); }},
    {"SetGrayOffsetB", 0, [](int h) { return Tavrin_SetGrayOffsetB(h, 0); }},
    {"SetRealExposureTime", 0, [](int h) { return Tavrin_SetRealExposureTime(h, 1000); }},
    {"GetRealExposureTime", 0, [](int h) { return Tavrin_GetRealExposureTime(h, &g_int); }},
    {"SetMirrorH", 0, [](int h) { return Tavrin_SetMirrorH(h, 1); }},
    {"GetMirrorH", 0, [](int h) { return Tavrin_GetMirrorH(h); }},
    {"SetMirrorV", 0, [](int h) { return Tavrin_SetMirrorV(h, 1); }},
    {"GetMirrorV", 0, [](int h) { return Tavrin_GetMirrorV(h); }},
    {"SetAutoIris", 0, [](int h) { return Tavrin_SetAutoIris(h, 9); }},
    {"GetAutoIris", 0, [](int h) { return Tavrin_GetAutoIris(h, &g_int); }},
    {"SetIOPort", 0, [](int h) { return Tavrin_SetIOPort(h, 1); }},
    {"GetIOPort", 0, [](int h) { return Tavrin_GetIOPort(h, &g_byte, nullptr, 0); }},
    {"ReadRegister", 0, [](int h) { return Tavrin_ReadRegister(h, 4, &g_int); }},
    {"ReadRegisterEx", 0, [](int h) { return Tavrin_ReadRegisterEx(h, 4, &g_int); }},
    {"WriteRegister", 0, [](int h) { return Tavrin_WriteRegister(h, 4, 1); }},
    {"WriteRegisterEx", 0, [](int h) { return Tavrin_WriteRegisterEx(h, 4, 1); }},
    {"ReadSromID", 0, [](int h) { return Tavrin_ReadSromID(h, 0, &g_int); }},
    {"WriteSromID", 0, [](int h) { return Tavrin_WriteSromID(h, 0, 1); }},
    {"EnumDevice", 0, [](int h) { return Tavrin_EnumDevice(h, g_name); }},
    {"EnumDeviceW", 0, [](int h) { return Tavrin_EnumDeviceW(h, g_wide); }},
    {"GetDeviceName", 0, [](int h) { return Tavrin_GetDeviceName(h, 0, g_name, 256); }},
    {"GetDeviceNameW", 0, [](int h) { return Tavrin_GetDeviceNameW(h, 0, g_wide, 256); }},
    {"GetCameraInfo", 0, [](int h) { return Tavrin_GetCameraInfo(h, &g_info); }},
};

using UnknownHandleTest = FrontEndTest;

TEST_F(UnknownHandleTest, SettingsExportsFailQuietly) {
    const int released = Tavrin_Initialize(window);
    ASSERT_NE(released, 0);
    ASSERT_EQ(Tavrin_Release(released), 1);
    for (int unknown : {0, released, handle ^ 0x5A5A5A5A}) {
        if (unknown == handle) {
            continue;
        }
        for (const auto& e : kExports) {
            EXPECT_EQ(e.call(unknown), e.failure) << "Tavrin_" << e.name << " on " << unknown;
        }
    }
    EXPECT_EQ(g_int, 7);
    EXPECT_EQ(g_byte, 7);
    EXPECT_STREQ(g_name, "keep");
    EXPECT_EQ(g_wide[0], u'k');
    EXPECT_EQ(g_info.sensorWidth, 7);
    EXPECT_TRUE(TakePosted(30).empty());
    PostedMessage m{};
    EXPECT_FALSE(NextMessage(nullptr, m, 10)) << "something reached the thread's own queue";
    EXPECT_TRUE(TakeErrors().empty()) << "an unknown handle touched an open camera";
}

}  // namespace
}  // namespace tavrin::test
