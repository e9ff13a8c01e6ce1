#include <gtest/gtest.h>

#include "camera/capture_window.h"

using tavrin::CaptureWindow;
using tavrin::IsCaptureWindowValid;

TEST(CaptureWindow, DefaultsCoverTheSensor) {
    CaptureWindow window;
    EXPECT_EQ(window.EH, 656);
    EXPECT_EQ(window.EV, 494);
    EXPECT_EQ(window.Buf, 4);
    EXPECT_TRUE(IsCaptureWindowValid(window, 0));
}

TEST(CaptureWindow, RegionMustStayInsideTheSensor) {
    CaptureWindow window;
    window.EH = 600;
    window.EHS = 100;  // 700 > 656
    EXPECT_FALSE(IsCaptureWindowValid(window, 0));
    window.EHS = 56;
    EXPECT_TRUE(IsCaptureWindowValid(window, 0));
    window.EVS = -1;
    EXPECT_FALSE(IsCaptureWindowValid(window, 0));
    window.EVS = 0;
    window.EV = 495;
    EXPECT_FALSE(IsCaptureWindowValid(window, 0));
    window.EV = 3;  // tiny regions are allowed
    window.EVS = 491;
    EXPECT_TRUE(IsCaptureWindowValid(window, 0));
}

TEST(CaptureWindow, SubSampledModesAreRefused) {
    CaptureWindow window;
    for (int mode : {1, 2, 3, 17, 18, 19}) {
        EXPECT_FALSE(IsCaptureWindowValid(window, mode)) << mode;
    }
    EXPECT_TRUE(IsCaptureWindowValid(window, 0));
}

TEST(CaptureWindow, ResetKeepsTheBufferCount) {
    CaptureWindow window;
    window.EH = 10;
    window.EHS = 700;
    window.Buf = 6;
    tavrin::ResetCaptureWindow(window);
    EXPECT_EQ(window.EH, 656);
    EXPECT_EQ(window.EHS, 0);
    EXPECT_EQ(window.Buf, 6);
}
