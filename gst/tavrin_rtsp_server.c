/* tavrin-rtsp-server: serves every camera found as H.264 over RTSP,
 * rtsp://HOST:PORT/cameraN for the camera in device slot N.
 *
 *   tavrin-rtsp-server [--port 8554] [--address 0.0.0.0] [--sim SLOTS]
 *
 * --sim SLOTS uses the simulated camera (TAVRIN_SIM) with cameras in the
 * given slots, e.g. --sim 0 or --sim 0,2. Clients share one stream per
 * camera. */
#include <gst/gst.h>
#include <glib-unix.h>
#include <gst/rtsp-server/rtsp-server.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>

#include "TavrinSdk.h"

#define SLOT_COUNT 32

static gboolean quit_on_signal(gpointer loop) {
    g_main_loop_quit(loop);
    return G_SOURCE_REMOVE;
}

int main(int argc, char** argv) {
    gint port = 8554;
    gchar *address = NULL, *sim = NULL;
    GOptionEntry options[] = {
        {"port", 'p', 0, G_OPTION_ARG_INT, &port, "TCP port (default 8554)", "PORT"},
        {"address", 'a', 0, G_OPTION_ARG_STRING, &address, "Address to listen on (default all)", "ADDRESS"},
        {"sim", 0, 0, G_OPTION_ARG_STRING, &sim, "Use the simulated camera with cameras in these slots (e.g. 0 or 0,2)",
         "SLOTS"},
        {NULL, 0, 0, 0, NULL, NULL, NULL},
    };
    GOptionContext* context = g_option_context_new("- serve the cameras as H.264 over RTSP");
    g_option_context_add_main_entries(context, options, NULL);
    g_option_context_add_group(context, gst_init_get_option_group());
    GError* error = NULL;
    if (!g_option_context_parse(context, &argc, &argv, &error)) {
        fprintf(stderr, "tavrin-rtsp-server: %s\n", error->message);
        return 2;
    }
    g_option_context_free(context);
    if (port < 1 || port > 65535) {
        fprintf(stderr, "tavrin-rtsp-server: port %d is outside 1 to 65535\n", port);
        return 2;
    }
    /* The SDK chooses its driver when it first needs one. */
    if (sim != NULL)
        g_setenv("TAVRIN_SIM", sim, TRUE);

    gint camera = Tavrin_Initialize(NULL);
    gint slots[SLOT_COUNT], count = 0;
    for (gint slot = 0; camera != 0 && slot < SLOT_COUNT; ++slot) {
        char name[256];
        if (Tavrin_GetDeviceName(camera, slot, name, (int)sizeof name))
            slots[count++] = slot;
    }
    if (camera != 0)
        Tavrin_Release(camera);
    if (count == 0) {
        fprintf(stderr, "tavrin-rtsp-server: no camera found%s\n",
                sim == NULL ? " (--sim 0 uses the simulated camera)" : "");
        return 1;
    }

    GstRTSPServer* server = gst_rtsp_server_new();
    gchar* service = g_strdup_printf("%d", port);
    g_object_set(server, "service", service, NULL);
    if (address != NULL)
        g_object_set(server, "address", address, NULL);
    GstRTSPMountPoints* mounts = gst_rtsp_server_get_mount_points(server);
    gchar* host = address != NULL ? address : "HOST";
    for (gint i = 0; i < count; ++i) {
        GstRTSPMediaFactory* factory = gst_rtsp_media_factory_new();
        /* A key frame every second and the stream's parameters with each, so
         * that a client joining late starts at once. */
        gchar* launch = g_strdup_printf(
            "( tavrinsrc device=%d ! videoconvert ! "
            "video/x-raw,format=I420 ! x264enc tune=zerolatency "
            "speed-preset=ultrafast key-int-max=30 ! "
            "rtph264pay name=pay0 pt=96 config-interval=1 )",
            slots[i]);
        gst_rtsp_media_factory_set_launch(factory, launch);
        gst_rtsp_media_factory_set_shared(factory, TRUE);
        gchar* path = g_strdup_printf("/camera%d", slots[i]);
        gst_rtsp_mount_points_add_factory(mounts, path, factory);
        printf("rtsp://%s:%d%s\n", host, port, path);
        g_free(path);
        g_free(launch);
    }
    g_object_unref(mounts);
    fflush(stdout);

    if (gst_rtsp_server_attach(server, NULL) == 0) {
        fprintf(stderr, "tavrin-rtsp-server: cannot listen on port %d\n", port);
        return 1;
    }
    GMainLoop* loop = g_main_loop_new(NULL, FALSE);
    g_unix_signal_add(SIGINT, quit_on_signal, loop);
    g_unix_signal_add(SIGTERM, quit_on_signal, loop);
    g_main_loop_run(loop);
    g_main_loop_unref(loop);
    g_object_unref(server);
    g_free(service);
    return 0;
}
