// tavrinsrc in GstHarness against the simulated camera: caps and content per
// colour mode, settings changed while playing, buffers held downstream,
// stopping while a trigger is awaited, unplug and reconnect, frame numbers
// and drops, and repeated state cycles.
#include <gst/check/gstharness.h>
#include <gst/gst.h>
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "TavrinSim.h"
#include "platform/environment.h"
#include "support/isolation.h"

namespace {

constexpr int kWidth = 656;
constexpr int kHeight = 494;

class TavrinSrcTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tavrin::test::IsolateFromOtherPrograms();
        // Frames every 10 ms instead of the sensor's 42 ms keep the tests short; the room light
        // (light=2) leaves the scene room to brighten.
        tavrin::platform::SetEnvironment("TAVRIN_SIM", "0;interval=10;light=2;settle=0");
        gst_init(nullptr, nullptr);
    }

    void SetUp() override {
        ASSERT_EQ(TavrinSim_IsActive(), 1);
        TavrinSim_SetPresent(0, 1);
        TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_FAILS, 0);
        TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_LIT_SCENE, 512);
        h = gst_harness_new("tavrinsrc");
        ASSERT_NE(h, nullptr) << "plugin not found: GST_PLUGIN_PATH";
        gst_harness_use_systemclock(h);
        bus = gst_bus_new();
        gst_element_set_bus(h->element, bus);
        // Settings persist in the store between tests: fix the ones that matter.
        g_object_set(h->element, "auto-iris", 0, "mirror-h", FALSE, "mirror-v", FALSE, "bayer-mode", 1, nullptr);
    }

    void TearDown() override {
        gst_harness_teardown(h);
        gst_object_unref(bus);
        TavrinSim_SetPresent(0, 1);
    }

    GstBuffer* Pull() { return gst_harness_pull(h); }

    std::string CurrentCaps() {
        GstCaps* caps = gst_pad_get_current_caps(h->sinkpad);
        if (caps == nullptr) {
            return "";
        }
        gchar* text = gst_caps_to_string(caps);
        std::string result = text;
        g_free(text);
        gst_caps_unref(caps);
        return result;
    }

    // The next error or warning on the element's bus, as its text.
    std::string NextMessage(GstMessageType type, int milliseconds) {
        GstMessage* message = gst_bus_timed_pop_filtered(bus, milliseconds * GST_MSECOND, type);
        if (message == nullptr) {
            return "";
        }
        GError* error = nullptr;
        if (type == GST_MESSAGE_ERROR) {
            gst_message_parse_error(message, &error, nullptr);
        } else {
            gst_message_parse_warning(message, &error, nullptr);
        }
        std::string text = error->message;
        g_error_free(error);
        gst_message_unref(message);
        return text;
    }

    GstHarness* h = nullptr;
    GstBus* bus = nullptr;
};

std::vector<uint8_t> Bytes(GstBuffer* buffer) {
    GstMapInfo map;
    EXPECT_TRUE(gst_buffer_map(buffer, &map, GST_MAP_READ));
    std::vector<uint8_t> bytes(map.data, map.data + map.size);
    gst_buffer_unmap(buffer, &map);
    return bytes;
}

double MeanOf(GstBuffer* buffer) {
    const std::vector<uint8_t> bytes = Bytes(buffer);
    double sum = 0;
    for (uint8_t b : bytes) {
        sum += b;
    }
    return bytes.empty() ? 0 : sum / static_cast<double>(bytes.size());
}

// Each colour mode GStreamer can carry: the caps downstream asks for give
// the SDK's mode, with rows padded to 4 bytes as GstVideoMeta says.
TEST_F(TavrinSrcTest, CapsPerColourMode) {
    struct Mode {
        const char* caps;
        const char* expected;
        int bytesPerPixel;
    };
    const Mode modes[] = {
        {"video/x-raw,format=BGR", "format=(string)BGR,", 3},
        {"video/x-raw,format=BGRx", "format=(string)BGRx,", 4},
        {"video/x-raw,format=BGRA64_LE", "format=(string)BGRA64_LE,", 8},
        {"video/x-raw,format=GRAY16_LE", "format=(string)GRAY16_LE,", 2},
        {"video/x-raw,format=GRAY8", "format=(string)GRAY8,", 1},
        {"video/x-bayer", "video/x-bayer, format=(string)rggb,", 1},
    };
    for (const Mode& mode : modes) {
        SCOPED_TRACE(mode.caps);
        gst_harness_teardown(h);
        h = gst_harness_new("tavrinsrc");
        gst_harness_use_systemclock(h);
        g_object_set(h->element, "mirror-h", FALSE, "mirror-v", FALSE, "bayer-mode", 1, nullptr);
        gst_harness_set_sink_caps_str(h, mode.caps);
        gst_harness_play(h);
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        const std::string caps = CurrentCaps();
        EXPECT_NE(caps.find(mode.expected), std::string::npos) << caps;
        EXPECT_NE(caps.find("width=(int)656, height=(int)494, framerate=(fraction)450000/19019"), std::string::npos)
            << caps;
        const int stride = (kWidth * mode.bytesPerPixel + 3) & ~3;
        EXPECT_EQ(gst_buffer_get_size(buffer), static_cast<size_t>(stride * kHeight));
        if (GstVideoMeta* meta = gst_buffer_get_video_meta(buffer)) {
            EXPECT_EQ(meta->stride[0], stride);
            EXPECT_EQ(meta->width, static_cast<guint>(kWidth));
        } else {
            EXPECT_STREQ(mode.caps, "video/x-bayer") << "raw video carries its stride";
        }
        gst_buffer_unref(buffer);
    }
    // Three 16-bit samples have no GStreamer format: 48 bits is never offered.
    GstCaps* all = gst_pad_peer_query_caps(h->sinkpad, nullptr);
    gchar* text = gst_caps_to_string(all);
    EXPECT_EQ(std::string(text).find("48"), std::string::npos) << text;
    g_free(text);
    gst_caps_unref(all);
}

// The mosaic's phase follows the Bayer mode and the software mirrors; the
// colour bars show it: in the red bar only red sites are lit.
TEST_F(TavrinSrcTest, BayerPhaseMatchesTheMosaic) {
    struct Case {
        gboolean mirrorH;
        const char* format;
        int redBar;     // the red bar's place from the left
        int redColumn;  // parity of red sites' columns on even rows
    };
    const Case cases[] = {{FALSE, "rggb", 5, 0}, {TRUE, "grbg", 2, 1}};
    TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_COLOR_BARS, 1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        gst_harness_teardown(h);
        h = gst_harness_new("tavrinsrc");
        gst_harness_use_systemclock(h);
        g_object_set(h->element, "mirror-h", c.mirrorH, "mirror-v", FALSE, "bayer-mode", 1, "gray-mode", 0, nullptr);
        gst_harness_set_sink_caps_str(h, "video/x-bayer");
        gst_harness_play(h);
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        EXPECT_NE(CurrentCaps().find(c.format), std::string::npos) << CurrentCaps();
        const std::vector<uint8_t> bytes = Bytes(buffer);
        const int barWidth = kWidth / 8;
        const int column = (c.redBar * barWidth + barWidth / 2) & ~1;
        const int row = 100 * ((kWidth + 3) & ~3);
        EXPECT_GT(bytes[row + column + c.redColumn], 200);
        EXPECT_LT(bytes[row + column + 1 - c.redColumn], 20);
        gst_buffer_unref(buffer);
    }
}

TEST_F(TavrinSrcTest, ExposureChangedWhilePlayingBrightensTheFrames) {
    g_object_set(h->element, "exposure-lines", 20, "gain", 100, "gray-mode", 2, nullptr);
    gst_harness_set_sink_caps_str(h, "video/x-raw,format=GRAY8");
    gst_harness_play(h);
    GstBuffer* before = Pull();
    ASSERT_NE(before, nullptr);
    g_object_set(h->element, "exposure-lines", 200, nullptr);
    int exposure = 0;
    g_object_get(h->element, "exposure-lines", &exposure, nullptr);
    EXPECT_EQ(exposure, 200) << "read back from the camera";
    // Frames already on their way keep the old exposure; a few later it shows.
    GstBuffer* after = nullptr;
    for (int i = 0; i < 10; ++i) {
        if (after != nullptr) {
            gst_buffer_unref(after);
        }
        after = Pull();
        ASSERT_NE(after, nullptr);
    }
    EXPECT_GT(MeanOf(after), MeanOf(before) * 2) << MeanOf(before);
    gst_buffer_unref(before);
    gst_buffer_unref(after);
}

// A buffer held downstream is never written again, however many frames follow.
TEST_F(TavrinSrcTest, HeldBuffersKeepTheirContent) {
    TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_FLAT, 100);
    g_object_set(h->element, "gray-mode", 2, nullptr);
    gst_harness_set_sink_caps_str(h, "video/x-raw,format=GRAY8");
    gst_harness_play(h);
    std::vector<GstBuffer*> held;
    for (int i = 0; i < 3; ++i) {
        held.push_back(Pull());
        ASSERT_NE(held.back(), nullptr);
    }
    std::vector<std::vector<uint8_t>> copies;
    for (GstBuffer* b : held) {
        copies.push_back(Bytes(b));
    }
    TavrinSim_SetPattern(0, TAVRINSIM_PATTERN_FLAT, 900);
    GstBuffer* last = nullptr;
    for (int i = 0; i < 20; ++i) {
        if (last != nullptr) {
            gst_buffer_unref(last);
        }
        last = Pull();
        ASSERT_NE(last, nullptr);
    }
    EXPECT_GT(MeanOf(last), MeanOf(held[0]) + 100) << "the new level reached the later frames";
    for (size_t i = 0; i < held.size(); ++i) {
        EXPECT_TRUE(Bytes(held[i]) == copies[i]) << "held buffer " << i << " was overwritten";
        gst_buffer_unref(held[i]);
    }
    gst_buffer_unref(last);
}

TEST_F(TavrinSrcTest, TriggerModeStopsAtOnceAndFiresBySignal) {
    g_object_set(h->element, "trigger-mode", TRUE, nullptr);
    gst_harness_play(h);
    gboolean fired = FALSE;
    g_signal_emit_by_name(h->element, "software-trigger", &fired);
    EXPECT_TRUE(fired);
    GstBuffer* buffer = Pull();
    ASSERT_NE(buffer, nullptr);
    EXPECT_NE(CurrentCaps().find("framerate=(fraction)0/1"), std::string::npos) << CurrentCaps();
    EXPECT_FALSE(GST_BUFFER_DURATION_IS_VALID(buffer));
    gst_buffer_unref(buffer);

    // No trigger comes now: the element waits, yet the stop is at once.
    g_usleep(200 * 1000);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(gst_element_set_state(h->element, GST_STATE_PAUSED), GST_STATE_CHANGE_NO_PREROLL);
    ASSERT_EQ(gst_element_set_state(h->element, GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(TavrinSrcTest, UnplugNamesTheCamera) {
    gst_harness_play(h);
    GstBuffer* buffer = Pull();
    ASSERT_NE(buffer, nullptr);
    gst_buffer_unref(buffer);
    ASSERT_EQ(TavrinSim_SetPresent(0, 0), 1);
    const std::string error = NextMessage(GST_MESSAGE_ERROR, 5000);
    EXPECT_NE(error.find("Camera Tavrin860VX-RUX"), std::string::npos) << error;
    EXPECT_NE(error.find("(slot 0) was unplugged"), std::string::npos) << error;
}

TEST_F(TavrinSrcTest, ReconnectResumesWithDiscont) {
    g_object_set(h->element, "reconnect", TRUE, nullptr);
    gst_harness_play(h);
    GstBuffer* first = Pull();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(TavrinSim_SetPresent(0, 0), 1);
    EXPECT_NE(NextMessage(GST_MESSAGE_WARNING, 5000).find("waiting for it to return"), std::string::npos);
    ASSERT_EQ(TavrinSim_SetPresent(0, 1), 1);
    // Frames queued before the unplug may still come; the first after it is a DISCONT.
    GstBuffer* resumed = nullptr;
    for (int i = 0; i < 20; ++i) {
        resumed = Pull();
        ASSERT_NE(resumed, nullptr);
        if (GST_BUFFER_FLAG_IS_SET(resumed, GST_BUFFER_FLAG_DISCONT)) {
            break;
        }
        gst_buffer_unref(resumed);
        resumed = nullptr;
    }
    ASSERT_NE(resumed, nullptr) << "no DISCONT after the camera came back";
    EXPECT_GT(GST_BUFFER_OFFSET(resumed), GST_BUFFER_OFFSET(first)) << "offsets go on across the gap";
    gst_buffer_unref(first);
    gst_buffer_unref(resumed);
}

// OFFSET is the frame number. Frames the SDK skipped (its stream pauses
// longer than the camera's period) leave gaps, and exactly the buffers after
// a gap are DISCONT.
TEST_F(TavrinSrcTest, OffsetsAndDiscontFollowDroppedFrames) {
    g_object_set(h->element, "wait-time", 0, nullptr);
    gst_harness_play(h);
    GstBuffer* buffer = Pull();
    ASSERT_NE(buffer, nullptr);
    EXPECT_TRUE(GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DISCONT)) << "the first buffer";
    EXPECT_NE(gst_buffer_get_reference_timestamp_meta(buffer, nullptr), nullptr);
    guint64 offset = GST_BUFFER_OFFSET(buffer);
    GstClockTime pts = GST_BUFFER_PTS(buffer);
    gst_buffer_unref(buffer);
    int gapsAfterPause = 0;
    for (int i = 0; i < 16; ++i) {
        if (i == 4) {
            g_object_set(h->element, "wait-time", 35, nullptr);  // frames come every 10 ms
        }
        buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        // Before the pause a loaded machine may drop a frame too; either
        // way a gap and DISCONT go together.
        const bool gap = GST_BUFFER_OFFSET(buffer) != offset + 1;
        if (i >= 4) {
            gapsAfterPause += gap;
        }
        EXPECT_GT(GST_BUFFER_OFFSET(buffer), offset);
        EXPECT_EQ(GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DISCONT), gap) << "buffer " << i;
        EXPECT_GT(GST_BUFFER_PTS(buffer), pts);
        offset = GST_BUFFER_OFFSET(buffer);
        pts = GST_BUFFER_PTS(buffer);
        gst_buffer_unref(buffer);
    }
    EXPECT_GE(gapsAfterPause, 5) << "the paused stream skips frames";
}

// Two short frames in a row end the SDK's stream: abort fails with the
// camera's name, skip starts the stream again and goes on with a DISCONT.
TEST_F(TavrinSrcTest, TransferFailureFollowsCaptureError) {
    for (const char* mode : {"abort", "skip"}) {
        SCOPED_TRACE(mode);
        gst_harness_teardown(h);
        h = gst_harness_new("tavrinsrc");
        gst_harness_use_systemclock(h);
        gst_element_set_bus(h->element, bus);
        gst_util_set_object_arg(G_OBJECT(h->element), "capture-error", mode);
        gst_harness_play(h);
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        gst_buffer_unref(buffer);
        ASSERT_EQ(TavrinSim_InjectFault(0, TAVRINSIM_FAULT_FRAME_SHORT, 2), 1);
        if (std::string(mode) == "abort") {
            const std::string error = NextMessage(GST_MESSAGE_ERROR, 5000);
            EXPECT_NE(error.find("The transfer from camera Tavrin860VX-RUX_01 (slot 0) failed"), std::string::npos)
                << error;
            continue;
        }
        EXPECT_NE(NextMessage(GST_MESSAGE_WARNING, 5000).find("restarting"), std::string::npos);
        bool discont = false;
        for (int i = 0; i < 20 && !discont; ++i) {
            buffer = Pull();
            ASSERT_NE(buffer, nullptr);
            discont = GST_BUFFER_FLAG_IS_SET(buffer, GST_BUFFER_FLAG_DISCONT);
            gst_buffer_unref(buffer);
        }
        EXPECT_TRUE(discont) << "frames resume after the restart";
    }
}

TEST_F(TavrinSrcTest, ThirtyStateCycles) {
    for (int cycle = 0; cycle < 30; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_EQ(gst_element_set_state(h->element, GST_STATE_PLAYING), GST_STATE_CHANGE_SUCCESS);
        GstBuffer* buffer = Pull();
        ASSERT_NE(buffer, nullptr);
        gst_buffer_unref(buffer);
        ASSERT_EQ(gst_element_set_state(h->element, GST_STATE_NULL), GST_STATE_CHANGE_SUCCESS);
    }
}

// gst-device-monitor-1.0 as users run it, without -f: it lists the camera
// and exits, which needs the provider's stop to end its monitoring at once.
// `timeout` ends a monitor that hangs (exit status 124).
TEST_F(TavrinSrcTest, DeviceMonitorListsTheCameraAndExits) {
    const gchar* argv[] = {"timeout", "10", "gst-device-monitor-1.0", "Video/Source", nullptr};
    gchar* output = nullptr;
    gint status = 0;
    GError* error = nullptr;
    ASSERT_TRUE(g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr,
                             &output, nullptr, &status, &error))
        << error->message;
    const std::string listed = output;
    g_free(output);
    EXPECT_TRUE(g_spawn_check_wait_status(status, nullptr)) << "exit status " << status;
    EXPECT_NE(listed.find("name  : Tavrin860VX-RUX_01 (slot 0)"), std::string::npos) << listed;
    EXPECT_NE(listed.find("tavrinsrc device=0"), std::string::npos) << listed;
}

TEST_F(TavrinSrcTest, UnknownCameraListsTheCamerasFound) {
    g_object_set(h->element, "device", 5, nullptr);
    EXPECT_EQ(gst_element_set_state(h->element, GST_STATE_PLAYING), GST_STATE_CHANGE_FAILURE);
    const std::string error = NextMessage(GST_MESSAGE_ERROR, 1000);
    EXPECT_NE(error.find("No camera in slot 5; cameras found: slot 0: Tavrin860VX-RUX"), std::string::npos) << error;
}

}  // namespace
