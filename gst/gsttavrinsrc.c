/* tavrinsrc: the camera as a live source.
 *
 * The SDK announces every frame with a WM_SDK_FRAME message to a message
 * window. A POSIX message window belongs to the thread that made it, so the
 * streaming thread, which waits for the frames in `create`, makes the
 * window itself and reads its messages with no thread in between. GStreamer
 * may run the streaming task on another pool thread after a restart: a
 * `create` on a thread that does not own the window makes a new one and
 * points the SDK at it. `unlock` posts a wake-up message to the window, so
 * a state change never waits for a frame or a trigger.
 *
 * The camera handle itself is made with a window of a small thread of the
 * element's: the SDK marks the camera as in use by that window, and posts
 * the handle's error notices there, where they are dropped (the codes stay
 * in the handle's error queue).
 *
 * The SDK writes each frame straight into a buffer of the element's pool
 * that it has been lent (TavrinEx_ExchangeFrameBuffer); `create` hands the
 * buffer holding the newest frame downstream and lends the SDK the next one
 * from the pool, so a frame costs no copy of the element's. A buffer handed
 * back is never written again by the SDK: it goes back to the pool only when
 * its last reference drops. The element keeps a reference to the newest one
 * until the next, since the SDK reads it as its current image until then (so
 * no element downstream may change it in place). The first frame after a
 * start, and a broken frame's stand-in, come from the SDK's own image
 * (Tavrin_GetImage).
 */
#include "gsttavrinsrc.h"

#include <gst/video/video.h>
#include <string.h>

#include "TavrinEx.h"
#include "TavrinPosix.h"
#include "TavrinSim.h"
#include "tavrin_cameras.h"

GST_DEBUG_CATEGORY_STATIC(gst_tavrin_src_debug);
#define GST_CAT_DEFAULT gst_tavrin_src_debug

/* The sensor's pace: each frame takes 3080 clocks of 36 MHz per line, over
 * the larger of the lines read out and the exposure in lines; the SDK reads
 * whole 656-pixel lines. */
#define SENSOR_CLOCK_HZ 36000000
#define SENSOR_CLOCKS_PER_LINE 3080
#define SENSOR_LINE_PIXELS 656
#define SENSOR_WIDTH 656
#define SENSOR_HEIGHT 494

/* Private messages: one wakes the streaming thread (unlock), one ends the
 * notification thread. */
#define MESSAGE_WAKE 0x8400
#define MESSAGE_QUIT 0x8401
/* How often a wait in trigger mode looks whether the camera is still there
 * (a camera in trigger mode sends nothing that would tell). */
#define PRESENCE_POLL_MS 200
/* The most catalogue settings the element carries as properties. */
#define MAX_SETTINGS 64

typedef enum {
    CAPTURE_ERROR_ABORT,
    CAPTURE_ERROR_SKIP,
    CAPTURE_ERROR_KEEP,
} GstTavrinCaptureError;

#define GST_TYPE_TAVRIN_CAPTURE_ERROR (gst_tavrin_capture_error_get_type())
static GType gst_tavrin_capture_error_get_type(void) {
    static GType type = 0;
    static const GEnumValue values[] = {
        {CAPTURE_ERROR_ABORT, "Stop the stream with an error", "abort"},
        {CAPTURE_ERROR_SKIP, "Skip the frame (the next buffer is a DISCONT)", "skip"},
        {CAPTURE_ERROR_KEEP, "Push a buffer in the frame's place, flagged CORRUPTED, with a warning", "keep"},
        {0, NULL, NULL},
    };
    if (g_once_init_enter(&type)) {
        GType made = g_enum_register_static("GstTavrinCaptureError", values);
        g_once_init_leave(&type, made);
    }
    return type;
}

enum {
    PROP_0,
    PROP_DEVICE,
    PROP_DEVICE_NAME,
    PROP_TIMEOUT,
    PROP_TRIGGER_MODE,
    PROP_CAPTURE_ERROR,
    PROP_RECONNECT,
    PROP_REGION_X,
    PROP_REGION_Y,
    PROP_REGION_WIDTH,
    PROP_REGION_HEIGHT,
    PROP_SETTING_FIRST, /* one per catalogue setting from here */
};

enum {
    SIGNAL_SOFTWARE_TRIGGER,
    SIGNAL_LAST,
};
static guint signals[SIGNAL_LAST];

/* Reference timestamps: the capture time on the SDK's monotonic clock, and
 * the same instant as wall-clock time. */
static GstCaps *monotonic_reference, *unix_reference;

/* The catalogue, read once when the class is made. */
static TavrinSettingInfo catalogue[MAX_SETTINGS];
static gint catalogue_size;
static gint color_mode_index = -1, gray_mode_index = -1, bayer_mode_index = -1, mirror_h_index = -1,
            mirror_v_index = -1, exposure_lines_index = -1, wait_time_index = -1;

/* The pool buffer the SDK writes the next frame into, mapped while it is
 * lent, and the one last handed back, which the SDK reads as its current
 * image until another comes back or the acquisition stops. */
typedef struct {
    GstBuffer* buffer;
    GstMapInfo map;
    GstBuffer* newest;
} LentBuffers;

/* Once the SDK no longer uses them: after the acquisition's stop, or after
 * it was given no buffer for its frames. */
static void lent_buffers_release(LentBuffers* lent) {
    if (lent->buffer != NULL) {
        gst_buffer_unmap(lent->buffer, &lent->map);
        gst_buffer_unref(lent->buffer);
    }
    gst_clear_buffer(&lent->newest);
    memset(lent, 0, sizeof *lent);
}

struct _GstTavrinSrc {
    GstPushSrc parent;

    /* Properties, under the object lock. A setting the user never set keeps
     * the value the camera restores from its settings store. */
    gint device;
    gchar* device_name;
    guint timeout_ms;
    gboolean trigger_mode;
    GstTavrinCaptureError capture_error;
    gboolean reconnect;
    gint region[4]; /* x, y, width, height; -1: as stored */
    gint setting_value[MAX_SETTINGS];
    gboolean setting_set[MAX_SETTINGS];

    /* The camera and the frames window, under lock. */
    GMutex lock;
    GCond cond;
    gint camera; /* SDK handle, 0 when closed */
    gint probe;  /* a second handle that scans for the camera while the first acquires */
    gint slot;
    gchar camera_name[TAVRIN_NAME_SIZE];
    GThread* closing_thread;      /* stops and releases the camera of the last run */
    GThread* notification_thread; /* owns notification_window */
    HWND notification_window;     /* the camera handle's own window */
    HWND window;                  /* receives the frame messages; owned by window_owner */
    GThread* window_owner;
    gboolean acquiring;
    gboolean flushing;
    gboolean renegotiate;
    guint pending_triggers; /* software triggers asked for before trigger mode began */

    /* Streaming thread only. */
    gint mode; /* bits per pixel of the negotiated format, 0 before */
    gboolean bayer;
    gint width, height, stride;
    gsize frame_size;
    GstClockTime period;
    guint64 last_frame_number; /* of the current acquisition, 0 before its first */
    guint64 offset_base;       /* frame numbers of earlier acquisitions */
    gboolean discont;
    guint frames_announced; /* frame messages not yet answered with a buffer */
    guint frame_errors;     /* frames the SDK could not take */
    gboolean stream_ended;  /* the SDK's stream stopped (transfer error) */
    gboolean camera_gone;   /* a presence check found the slot empty */
    gint64 next_presence_check;
    LentBuffers lent;
};

#define gst_tavrin_src_parent_class parent_class
G_DEFINE_TYPE(GstTavrinSrc, gst_tavrin_src, GST_TYPE_PUSH_SRC);
GST_ELEMENT_REGISTER_DEFINE(tavrinsrc, "tavrinsrc", GST_RANK_PRIMARY, GST_TYPE_TAVRIN_SRC);

/* Colour modes GStreamer can carry. 48 bits per pixel (three 16-bit samples)
 * has no GStreamer format and is not offered. */
#define RAW_FORMATS "{ BGR, BGRx, BGRA64_LE, GRAY16_LE, GRAY8 }"
#define BAYER_FORMATS "{ rggb, grbg, gbrg, bggr }"
static GstStaticPadTemplate src_template = GST_STATIC_PAD_TEMPLATE(
    "src", GST_PAD_SRC, GST_PAD_ALWAYS,
    GST_STATIC_CAPS(
        "video/x-raw, format = (string) " RAW_FORMATS ", width = (int) [ 1, 656 ], height = (int) [ 1, 494 ]"
        ", framerate = (fraction) [ 0/1, 1000/1 ]; "
        "video/x-bayer, format = (string) " BAYER_FORMATS ", width = (int) [ 1, 656 ], height = (int) [ 1, 494 ]"
        ", framerate = (fraction) [ 0/1, 1000/1 ]"));

static const gint offered_modes[] = {24, 32, 64, 16, 8};

static const gchar* raw_format_of_mode(gint mode) {
    switch (mode) {
    case 24:
        return "BGR";
    case 32:
        return "BGRx";
    case 64:
        return "BGRA64_LE";
    case 16:
        return "GRAY16_LE";
    case 8:
        return "GRAY8";
    default:
        return NULL;
    }
}

/* The colour of the first pixel as the Bayer mode gives it: mode 0 is
 * G B / R G, 1 R G / G B, 2 B G / G R, 3 G R / B G. Software mirroring moves
 * another pixel to the first place: vertical toggles the row phase (bit 0),
 * horizontal the column phase (bit 1). */
static const gchar* bayer_format(gint bayer_mode, gboolean mirror_h, gboolean mirror_v) {
    static const gchar* names[4] = {"gbrg", "rggb", "bggr", "grbg"};
    gint effective = bayer_mode & 3;
    if (mirror_v)
        effective ^= 1;
    if (mirror_h)
        effective ^= 2;
    return names[effective];
}

static gint stride_of(gint width, gint mode) { return (width * (mode / 8) + 3) & ~3; }

/* ---- Settings ------------------------------------------------------------ */

static gint camera_setting(GstTavrinSrc* self, gint index, gint fallback) {
    int value = fallback;
    if (self->camera != 0 && TavrinEx_GetSetting(self->camera, catalogue[index].name, &value))
        return value;
    return fallback;
}

/* A setting as the camera has it, or as the user set it before the start. */
static gint current_setting(GstTavrinSrc* self, gint index) {
    if (index < 0)
        return 0;
    gint fallback = self->setting_set[index] ? self->setting_value[index] : catalogue[index].defaultValue;
    return camera_setting(self, index, fallback);
}

static gboolean list_accepts(const TavrinSettingInfo* info, gint value) {
    for (gint i = 0; i < info->valueCount; ++i)
        if (info->values[i] == value)
            return TRUE;
    return FALSE;
}

static void install_setting_properties(GObjectClass* gobject_class) {
    catalogue_size = MIN(TavrinEx_GetSettingCount(), MAX_SETTINGS);
    for (gint i = 0; i < catalogue_size; ++i) {
        TavrinSettingInfo* info = &catalogue[i];
        memset(info, 0, sizeof *info);
        info->size = sizeof *info;
        if (!TavrinEx_DescribeSetting(i, info)) {
            catalogue_size = i;
            break;
        }
        const gchar* name = info->name;
        if (strcmp(name, "color-mode") == 0)
            color_mode_index = i;
        else if (strcmp(name, "gray-mode") == 0)
            gray_mode_index = i;
        else if (strcmp(name, "bayer-mode") == 0)
            bayer_mode_index = i;
        else if (strcmp(name, "mirror-h") == 0)
            mirror_h_index = i;
        else if (strcmp(name, "mirror-v") == 0)
            mirror_v_index = i;
        else if (strcmp(name, "exposure-lines") == 0)
            exposure_lines_index = i;
        else if (strcmp(name, "wait-time") == 0)
            wait_time_index = i;

        GString* blurb = g_string_new(info->meaning);
        if (info->unit[0] != '\0')
            g_string_append_printf(blurb, " [%s]", info->unit);
        if (info->kind == TAVRIN_SETTING_LIST) {
            g_string_append(blurb, "; one of");
            for (gint v = 0; v < info->valueCount; ++v)
                g_string_append_printf(blurb, " %d", info->values[v]);
        }
        if (info->flags & TAVRIN_SETTING_APPLIES_AT_START)
            g_string_append(blurb, "; unset: negotiation chooses");
        GParamFlags flags = G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS;
        flags |= (info->flags & TAVRIN_SETTING_APPLIES_AT_START) ? GST_PARAM_MUTABLE_READY : GST_PARAM_MUTABLE_PLAYING;
        gchar* blurb_text = g_string_free(blurb, FALSE);
        /* The names and meanings are the SDK's own and stay valid while it is
         * loaded; the blurb is made here and kept for the class's lifetime. */
        GParamSpec* property;
        if (info->kind == TAVRIN_SETTING_BOOLEAN)
            property = g_param_spec_boolean(name, name, blurb_text, info->defaultValue != 0, flags);
        else
            property =
                g_param_spec_int(name, name, blurb_text, info->minimum, info->maximum, info->defaultValue, flags);
        g_object_class_install_property(gobject_class, PROP_SETTING_FIRST + i, property);
    }
}

/* Gives a setting to the camera while it is open; the SDK applies it from
 * the next frame. Called with the object lock not held. */
static void apply_setting(GstTavrinSrc* self, gint index, gint value) {
    g_mutex_lock(&self->lock);
    if (self->camera != 0) {
        const TavrinSettingInfo* info = &catalogue[index];
        if (info->flags & TAVRIN_SETTING_APPLIES_AT_START && self->acquiring) {
            GST_ELEMENT_WARNING(self, LIBRARY, SETTINGS, ("%s takes effect at the next start", info->name), (NULL));
        } else if (!TavrinEx_SetSetting(self->camera, info->name, value)) {
            GST_ELEMENT_WARNING(self, LIBRARY, SETTINGS, ("The camera refused %s = %d", info->name, value),
                                ("SDK error %d", Tavrin_GetLastError(self->camera)));
        } else if (index == gray_mode_index || index == bayer_mode_index || index == mirror_h_index ||
                   index == mirror_v_index) {
            /* The 8-bit format follows the gray mode and the Bayer phase. */
            self->renegotiate = TRUE;
        }
    }
    g_mutex_unlock(&self->lock);
}

/* The second handle that scans for the camera, made when first needed: a
 * camera object takes a noticeable time to make, and a streaming camera
 * reports its loss by itself. */
static gint probe_handle(GstTavrinSrc* self) {
    g_mutex_lock(&self->lock);
    gint probe = self->probe;
    g_mutex_unlock(&self->lock);
    if (probe != 0)
        return probe;
    probe = Tavrin_Initialize(NULL);
    gint spare = 0;
    g_mutex_lock(&self->lock);
    if (self->probe == 0)
        self->probe = probe;
    else {
        spare = probe;
        probe = self->probe;
    }
    g_mutex_unlock(&self->lock);
    if (spare != 0)
        Tavrin_Release(spare);
    return probe;
}

/* ---- The notification thread ---------------------------------------------- */

static gpointer notification_thread(gpointer data) {
    GstTavrinSrc* self = data;
    HWND window = TavrinPosix_CreateMessageWindow();
    g_mutex_lock(&self->lock);
    self->notification_window = window;
    g_cond_broadcast(&self->cond);
    g_mutex_unlock(&self->lock);
    TavrinMsg msg;
    while (window != NULL && TavrinPosix_GetMessage(window, &msg, -1) && msg.message != MESSAGE_QUIT) {
        /* WM_SDK_ERROR: the handle's queue keeps the code */
    }
    if (window != NULL)
        TavrinPosix_DestroyWindow(window);
    return NULL;
}

static gboolean start_notification_thread(GstTavrinSrc* self) {
    g_mutex_lock(&self->lock);
    self->notification_window = NULL;
    self->notification_thread = g_thread_try_new("tavrinsrc-notices", notification_thread, self, NULL);
    gint64 until = g_get_monotonic_time() + 5 * G_TIME_SPAN_SECOND;
    while (self->notification_thread != NULL && self->notification_window == NULL &&
           g_cond_wait_until(&self->cond, &self->lock, until)) {
    }
    gboolean ready = self->notification_window != NULL;
    g_mutex_unlock(&self->lock);
    return ready;
}

static void stop_notification_thread(GstTavrinSrc* self) {
    if (self->notification_thread == NULL)
        return;
    if (self->notification_window != NULL)
        TavrinPosix_PostMessage(self->notification_window, MESSAGE_QUIT, 0, 0);
    g_thread_join(self->notification_thread);
    self->notification_thread = NULL;
    self->notification_window = NULL;
}

/* ---- The frames window ---------------------------------------------------- */

typedef enum {
    WINDOW_OWNED, /* the calling thread owned it already */
    WINDOW_MADE,  /* a new one; *replaced is the old one or NULL */
    WINDOW_FAILED,
} WindowResult;

/* Makes the calling thread the owner of the frames window, with a new
 * window when it had none or another thread owned it. The window replaced
 * is to be destroyed once the SDK no longer posts to it. */
static WindowResult own_frames_window(GstTavrinSrc* self, HWND* replaced) {
    *replaced = NULL;
    GThread* me = g_thread_self();
    g_mutex_lock(&self->lock);
    gboolean owned = self->window != NULL && self->window_owner == me;
    g_mutex_unlock(&self->lock);
    if (owned)
        return WINDOW_OWNED;
    HWND window = TavrinPosix_CreateMessageWindow();
    if (window == NULL) {
        GST_ELEMENT_ERROR(self, RESOURCE, FAILED, ("Cannot make a message window for the camera's frames"), (NULL));
        return WINDOW_FAILED;
    }
    g_mutex_lock(&self->lock);
    *replaced = self->window;
    self->window = window;
    self->window_owner = me;
    g_mutex_unlock(&self->lock);
    return WINDOW_MADE;
}

/* Turns a message into the counters wait_for_frame answers from. */
static void absorb_message(GstTavrinSrc* self, const TavrinMsg* msg) {
    if (msg->message != WM_SDK_FRAME)
        return; /* a wake-up */
    if (msg->wParam != 0)
        ++self->frames_announced;
    else if (msg->lParam == SDKERR_TRANSFER)
        self->stream_ended = TRUE;
    else
        ++self->frame_errors;
}

/* ---- Camera -------------------------------------------------------------- */

/* The frame period as a fraction of seconds, num / den. */
static void frame_period_fraction(GstTavrinSrc* self, gint width, gint height, gint* num, gint* den) {
    gint lines = (gint)(((gint64)width * height + SENSOR_LINE_PIXELS - 1) / SENSOR_LINE_PIXELS);
    lines = MAX(lines, current_setting(self, exposure_lines_index));
    lines = MAX(lines, 1);
    *num = SENSOR_CLOCKS_PER_LINE * lines;
    *den = SENSOR_CLOCK_HZ;
    /* The stream pauses wait-time ms before each frame. */
    gint wait = current_setting(self, wait_time_index);
    if (wait > 0 && (gint64)wait * SENSOR_CLOCK_HZ > (gint64)*num * 1000) {
        *num = wait;
        *den = 1000;
    }
    gst_util_fraction_multiply(*num, *den, 1, 1, num, den);
}

static GstClockTime frame_period(GstTavrinSrc* self, gint width, gint height) {
    gint num, den;
    frame_period_fraction(self, width, height, &num, &den);
    return gst_util_uint64_scale_int(GST_SECOND, num, den);
}

/* Chooses the camera by slot or name. Returns the slot or -1 after posting
 * an error with the cameras found. */
static gint choose_camera(GstTavrinSrc* self, gint camera, gint device, const gchar* name) {
    TavrinCameraEntry found[TAVRIN_SLOT_COUNT];
    gint count = tavrin_cameras_list(camera, found);
    gint chosen = -1, matches = 0;
    for (gint i = 0; i < count; ++i) {
        if (device >= 0 && found[i].slot != device)
            continue;
        if (name != NULL && name[0] != '\0' && strcmp(found[i].name, name) != 0)
            continue;
        if (matches++ == 0)
            chosen = i;
    }
    if (matches == 1 || (matches > 1 && (name == NULL || name[0] == '\0'))) {
        self->slot = found[chosen].slot;
        g_strlcpy(self->camera_name, found[chosen].name, sizeof self->camera_name);
        return self->slot;
    }
    gchar* list = tavrin_cameras_describe(found, count);
    gchar* wanted =
        name != NULL && name[0] != '\0'
            ? (device >= 0 ? g_strdup_printf("named %s in slot %d", name, device) : g_strdup_printf("named %s", name))
            : g_strdup_printf("in slot %d", device);
    if (device < 0 && (name == NULL || name[0] == '\0'))
        GST_ELEMENT_ERROR(self, RESOURCE, NOT_FOUND, ("No camera found"), (NULL));
    else if (matches == 0)
        GST_ELEMENT_ERROR(self, RESOURCE, NOT_FOUND, ("No camera %s; cameras found: %s", wanted, list), (NULL));
    else
        GST_ELEMENT_ERROR(self, RESOURCE, NOT_FOUND,
                          ("The camera choice %s is ambiguous (%d cameras); choose one by "
                           "device; cameras found: %s",
                           wanted, matches, list),
                          (NULL));
    g_free(wanted);
    g_free(list);
    return -1;
}

static gboolean fire_trigger(GstTavrinSrc* self, gint camera);
static void wait_for_closing(GstTavrinSrc* self);
static void wait_for_every_closing(void);

/* Starts the SDK's acquisition in the negotiated mode, its frame messages
 * to a window of the calling thread. Called with no lock. */
static gboolean start_acquisition(GstTavrinSrc* self) {
    gint camera = self->camera;
    HWND replaced;
    if (own_frames_window(self, &replaced) == WINDOW_FAILED)
        return FALSE;
    if (replaced != NULL)
        TavrinPosix_DestroyWindow(replaced); /* no stream posts to it */
    HWND window = self->window;
    TavrinMsg stale;
    while (TavrinPosix_PeekMessage(window, &stale)) {
        /* messages of the last acquisition */
    }
    self->frames_announced = self->frame_errors = 0;
    self->stream_ended = self->camera_gone = FALSE;
    self->next_presence_check = g_get_monotonic_time() + PRESENCE_POLL_MS * G_TIME_SPAN_MILLISECOND;
    Tavrin_SetColorMode(camera, self->mode);

    /* No buffer of ours yet (the pool is chosen after the caps that this
     * start follows): create lends the SDK the first one at the first frame. */
    int started = self->trigger_mode ? Tavrin_Trigger(camera, window, NULL, 0, 1)
                                     : Tavrin_CallBackPreview(camera, window, NULL, 0, 1);
    if (!started) {
        GST_ELEMENT_ERROR(self, RESOURCE, FAILED, ("Cannot start camera %s (slot %d)", self->camera_name, self->slot),
                          ("SDK error %d", Tavrin_GetLastError(camera)));
        return FALSE;
    }
    self->offset_base += self->last_frame_number;
    self->last_frame_number = 0;
    self->discont = TRUE;
    g_mutex_lock(&self->lock);
    self->acquiring = TRUE;
    guint pending = self->pending_triggers;
    self->pending_triggers = 0;
    g_mutex_unlock(&self->lock);
    while (pending-- > 0)
        fire_trigger(self, self->camera);
    return TRUE;
}

static void stop_acquisition(GstTavrinSrc* self) {
    g_mutex_lock(&self->lock);
    gboolean acquiring = self->acquiring;
    self->acquiring = FALSE;
    g_mutex_unlock(&self->lock);
    if (acquiring)
        Tavrin_StopPreview(self->camera);
    lent_buffers_release(&self->lent);
}

static gboolean gst_tavrin_src_start(GstBaseSrc* bsrc) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(bsrc);
    wait_for_closing(self);
    wait_for_every_closing();
    if (!start_notification_thread(self)) {
        GST_ELEMENT_ERROR(self, RESOURCE, FAILED, ("Cannot make a message window for the camera"), (NULL));
        stop_notification_thread(self);
        return FALSE;
    }
    gint camera = Tavrin_Initialize(self->notification_window);
    if (camera == 0) {
        GST_ELEMENT_ERROR(self, RESOURCE, FAILED, ("Cannot create a camera object"), (NULL));
        stop_notification_thread(self);
        return FALSE;
    }
    /* Frames come as messages only: no preview window. */
    Tavrin_SetPreviewWindow(camera, NULL, 0, 0, 0, 0);

    GST_OBJECT_LOCK(self);
    gint device = self->device;
    gchar* name = g_strdup(self->device_name);
    gint region[4];
    memcpy(region, self->region, sizeof region);
    GST_OBJECT_UNLOCK(self);
    gint slot = choose_camera(self, camera, device, name);
    g_free(name);
    if (slot < 0 || !Tavrin_SetDeviceNumber(camera, slot)) {
        if (slot >= 0)
            GST_ELEMENT_ERROR(self, RESOURCE, OPEN_READ, ("Cannot select camera %s (slot %d)", self->camera_name, slot),
                              ("SDK error %d", Tavrin_GetLastError(camera)));
        Tavrin_Release(camera);
        stop_notification_thread(self);
        return FALSE;
    }

    /* The readout region: each part not given keeps the stored one. */
    if (region[0] >= 0 || region[1] >= 0 || region[2] > 0 || region[3] > 0) {
        int th = 0, ehs = 0, eh = 0, tv = 0, evs = 0, ev = 0;
        Tavrin_GetCaptureWindowEx(camera, &th, &ehs, &eh, &tv, &evs, &ev);
        if (!Tavrin_SetCaptureWindowEx(camera, SENSOR_WIDTH, region[0] >= 0 ? region[0] : ehs,
                                       region[2] > 0 ? region[2] : eh, SENSOR_HEIGHT, region[1] >= 0 ? region[1] : evs,
                                       region[3] > 0 ? region[3] : ev)) {
            GST_ELEMENT_ERROR(self, RESOURCE, SETTINGS, ("The readout region does not fit the 656 x 494 sensor"),
                              ("SDK error %d", Tavrin_GetLastError(camera)));
            Tavrin_Release(camera);
            stop_notification_thread(self);
            return FALSE;
        }
    }

    /* The settings the user gave; the rest stay as the camera stored them. */
    GST_OBJECT_LOCK(self);
    gint values[MAX_SETTINGS];
    gboolean set[MAX_SETTINGS];
    memcpy(values, self->setting_value, sizeof values);
    memcpy(set, self->setting_set, sizeof set);
    GST_OBJECT_UNLOCK(self);
    for (gint i = 0; i < catalogue_size; ++i)
        if (set[i] && !TavrinEx_SetSetting(camera, catalogue[i].name, values[i]))
            GST_ELEMENT_WARNING(self, LIBRARY, SETTINGS, ("The camera refused %s = %d", catalogue[i].name, values[i]),
                                ("SDK error %d", Tavrin_GetLastError(camera)));

    while (Tavrin_GetLastError(camera) != 0) {
        /* the enumeration's empty slots */
    }
    g_mutex_lock(&self->lock);
    self->camera = camera;
    self->flushing = FALSE;
    self->renegotiate = FALSE;
    self->pending_triggers = 0;
    g_mutex_unlock(&self->lock);
    self->mode = 0;
    self->offset_base = 0;
    self->last_frame_number = 0;
    GST_INFO_OBJECT(self, "camera %s in slot %d", self->camera_name, self->slot);
    return TRUE;
}

/* Stopping the SDK's trigger mode waits until the camera's pending read
 * gives up, up to the driver's wait of 3 s. A state change must not wait
 * for that, so a thread of its own stops and releases the camera; the next
 * start, and the element's end, wait for it. */
typedef struct {
    GstTavrinSrc* self;
    gint camera;
    gboolean acquiring;
    HWND window;      /* destroyed once the stream that posts to it has stopped */
    LentBuffers lent; /* released once the stream that reads them has stopped */
} Closing;

/* Closings under way in this process, by any element. A start waits for
 * them all, not only for its own element's: a pipeline started right after
 * another one on the same camera was stopped would otherwise find the camera
 * still held by the old one (and the old one's settings stored after the
 * new one read them). */
static GMutex closings_lock;
static GCond closings_done;
static gint closings_pending;

static void closing_begun(void) {
    g_mutex_lock(&closings_lock);
    closings_pending++;
    g_mutex_unlock(&closings_lock);
}

static void closing_ended(void) {
    g_mutex_lock(&closings_lock);
    closings_pending--;
    g_cond_broadcast(&closings_done);
    g_mutex_unlock(&closings_lock);
}

static void wait_for_every_closing(void) {
    g_mutex_lock(&closings_lock);
    while (closings_pending > 0)
        g_cond_wait(&closings_done, &closings_lock);
    g_mutex_unlock(&closings_lock);
}

static gpointer close_camera(gpointer data) {
    Closing* closing = data;
    GstTavrinSrc* self = closing->self;
    if (closing->acquiring)
        Tavrin_StopPreview(closing->camera);
    lent_buffers_release(&closing->lent);
    if (closing->window != NULL)
        TavrinPosix_DestroyWindow(closing->window);
    stop_notification_thread(self);
    g_mutex_lock(&self->lock);
    gint probe = self->probe;
    self->probe = 0;
    g_mutex_unlock(&self->lock);
    /* The probe first, so that the camera's settings are the ones stored. */
    if (probe != 0)
        Tavrin_Release(probe);
    if (closing->camera != 0)
        Tavrin_Release(closing->camera);
    g_free(closing);
    closing_ended();
    return NULL;
}

static void wait_for_closing(GstTavrinSrc* self) {
    if (self->closing_thread != NULL) {
        g_thread_join(self->closing_thread);
        self->closing_thread = NULL;
    }
}

static gboolean gst_tavrin_src_stop(GstBaseSrc* bsrc) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(bsrc);
    Closing* closing = g_new0(Closing, 1);
    closing->self = self;
    g_mutex_lock(&self->lock);
    closing->camera = self->camera;
    closing->acquiring = self->acquiring;
    closing->window = self->window;
    closing->lent = self->lent;
    memset(&self->lent, 0, sizeof self->lent);
    self->camera = 0;
    self->acquiring = FALSE;
    self->window = NULL;
    self->window_owner = NULL;
    g_mutex_unlock(&self->lock);
    closing_begun();
    self->closing_thread = g_thread_new("tavrinsrc-close", close_camera, closing);
    self->mode = 0;
    return TRUE;
}

/* ---- Caps ---------------------------------------------------------------- */

static GstStructure* structure_for(GstTavrinSrc* self, gint mode, gboolean bayer, gint width, gint height) {
    GstStructure* s;
    if (bayer)
        s = gst_structure_new(
            "video/x-bayer", "format", G_TYPE_STRING,
            bayer_format(current_setting(self, bayer_mode_index), current_setting(self, mirror_h_index),
                         current_setting(self, mirror_v_index)),
            NULL);
    else
        s = gst_structure_new("video/x-raw", "format", G_TYPE_STRING, raw_format_of_mode(mode), NULL);
    gint fps_n = 0, fps_d = 1;
    if (!self->trigger_mode) {
        frame_period_fraction(self, width, height, &fps_d, &fps_n);
    }
    gst_structure_set(s, "width", G_TYPE_INT, width, "height", G_TYPE_INT, height, "framerate", GST_TYPE_FRACTION,
                      fps_n, fps_d, NULL);
    return s;
}

/* The caps of the open camera: one structure per colour mode, the camera's
 * current mode first, so that a downstream that takes anything gets it. */
static GstCaps* camera_caps(GstTavrinSrc* self) {
    gint camera = self->camera;
    gint width = Tavrin_Width(camera), height = Tavrin_Height(camera);
    gboolean mode_fixed = color_mode_index >= 0 && self->setting_set[color_mode_index];
    gboolean gray_fixed = gray_mode_index >= 0 && self->setting_set[gray_mode_index];
    gint stored = current_setting(self, color_mode_index);
    gboolean gray_scale = current_setting(self, gray_mode_index) == 2;

    gint order[G_N_ELEMENTS(offered_modes) + 1];
    gint n = 0;
    if (raw_format_of_mode(stored) != NULL)
        order[n++] = stored;
    if (!mode_fixed)
        for (guint i = 0; i < G_N_ELEMENTS(offered_modes); ++i)
            if (offered_modes[i] != stored)
                order[n++] = offered_modes[i];

    GstCaps* caps = gst_caps_new_empty();
    for (gint i = 0; i < n; ++i) {
        if (order[i] != 8) {
            gst_caps_append_structure(caps, structure_for(self, order[i], FALSE, width, height));
            continue;
        }
        /* 8 bits: the mosaic (gray modes 0 and 1) or gray scale (mode 2). */
        gst_caps_append_structure(caps, structure_for(self, 8, !gray_scale, width, height));
        if (!gray_fixed)
            gst_caps_append_structure(caps, structure_for(self, 8, gray_scale, width, height));
    }
    return caps;
}

static GstCaps* gst_tavrin_src_get_caps(GstBaseSrc* bsrc, GstCaps* filter) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(bsrc);
    GstCaps* caps;
    g_mutex_lock(&self->lock);
    gboolean open = self->camera != 0;
    g_mutex_unlock(&self->lock);
    if (open) {
        GST_OBJECT_LOCK(self);
        caps = camera_caps(self);
        GST_OBJECT_UNLOCK(self);
    } else {
        caps = gst_pad_get_pad_template_caps(GST_BASE_SRC_PAD(bsrc));
    }
    if (filter != NULL) {
        GstCaps* both = gst_caps_intersect_full(filter, caps, GST_CAPS_INTERSECT_FIRST);
        gst_caps_unref(caps);
        caps = both;
    }
    return caps;
}

static gboolean gst_tavrin_src_set_caps(GstBaseSrc* bsrc, GstCaps* caps) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(bsrc);
    GstStructure* s = gst_caps_get_structure(caps, 0);
    const gchar* format = gst_structure_get_string(s, "format");
    gint width = 0, height = 0, mode = 0;
    gboolean bayer = gst_structure_has_name(s, "video/x-bayer");
    gst_structure_get_int(s, "width", &width);
    gst_structure_get_int(s, "height", &height);
    if (bayer) {
        mode = 8;
    } else {
        for (guint i = 0; i < G_N_ELEMENTS(offered_modes); ++i)
            if (g_strcmp0(format, raw_format_of_mode(offered_modes[i])) == 0)
                mode = offered_modes[i];
    }
    if (mode == 0 || width <= 0 || height <= 0)
        return FALSE;

    /* Between the 8-bit mosaic and gray scale only the gray mode differs. */
    if (mode == 8 && gray_mode_index >= 0) {
        gint gray = current_setting(self, gray_mode_index);
        gint wanted = bayer ? (gray == 2 ? 0 : gray) : 2;
        if (wanted != gray)
            TavrinEx_SetSetting(self->camera, "gray-mode", wanted);
    }

    gboolean restart = mode != self->mode || width != self->width || height != self->height;
    self->bayer = bayer;
    self->width = width;
    self->height = height;
    self->stride = stride_of(width, mode);
    self->frame_size = (gsize)self->stride * height;
    self->period = frame_period(self, width, height);
    if (!restart)
        return TRUE;
    stop_acquisition(self);
    self->mode = mode;
    GST_INFO_OBJECT(self, "colour mode %d: %" GST_PTR_FORMAT, mode, caps);
    return start_acquisition(self);
}

static gboolean gst_tavrin_src_decide_allocation(GstBaseSrc* bsrc, GstQuery* query) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(bsrc);
    GstCaps* caps = NULL;
    gst_query_parse_allocation(query, &caps, NULL);
    if (caps == NULL)
        return FALSE;

    /* Always our own pool: the SDK writes rows padded to 4 bytes, which is
     * GStreamer's default stride for these formats, and nothing else. */
    GstBufferPool* pool;
    GstStructure* config;
    if (self->bayer) {
        pool = gst_buffer_pool_new();
        config = gst_buffer_pool_get_config(pool);
    } else {
        GstVideoInfo info;
        if (!gst_video_info_from_caps(&info, caps) || GST_VIDEO_INFO_PLANE_STRIDE(&info, 0) != self->stride) {
            GST_ERROR_OBJECT(self, "stride of %" GST_PTR_FORMAT " is not %d", caps, self->stride);
            return FALSE;
        }
        pool = gst_video_buffer_pool_new();
        config = gst_buffer_pool_get_config(pool);
        gst_buffer_pool_config_add_option(config, GST_BUFFER_POOL_OPTION_VIDEO_META);
    }
    /* Buffers held downstream are never recycled early, so the pool grows as
     * far as downstream holds them; in a steady stream it stops growing. */
    gst_buffer_pool_config_set_params(config, caps, (guint)self->frame_size, 4, 0);
    if (!gst_buffer_pool_set_config(pool, config)) {
        gst_object_unref(pool);
        return FALSE;
    }
    guint size = (guint)self->frame_size;
    if (gst_query_get_n_allocation_pools(query) > 0)
        gst_query_set_nth_allocation_pool(query, 0, pool, size, 4, 0);
    else
        gst_query_add_allocation_pool(query, pool, size, 4, 0);
    gst_object_unref(pool);
    return TRUE;
}

/* ---- Frames -------------------------------------------------------------- */

static gboolean gst_tavrin_src_unlock(GstBaseSrc* bsrc) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(bsrc);
    g_mutex_lock(&self->lock);
    self->flushing = TRUE;
    g_cond_broadcast(&self->cond);
    if (self->window != NULL)
        TavrinPosix_PostMessage(self->window, MESSAGE_WAKE, 0, 0);
    g_mutex_unlock(&self->lock);
    return TRUE;
}

static gboolean gst_tavrin_src_unlock_stop(GstBaseSrc* bsrc) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(bsrc);
    g_mutex_lock(&self->lock);
    self->flushing = FALSE;
    g_mutex_unlock(&self->lock);
    return TRUE;
}

typedef enum {
    WAIT_FRAME,
    WAIT_FRAME_ERROR,
    WAIT_FLUSHING,
    WAIT_GONE,
    WAIT_STREAM_ENDED,
    WAIT_TIMEOUT,
} WaitResult;

static gboolean flushing(GstTavrinSrc* self) {
    g_mutex_lock(&self->lock);
    gboolean result = self->flushing;
    g_mutex_unlock(&self->lock);
    return result;
}

/* In trigger mode, now and then: is the camera still there? */
static void check_presence(GstTavrinSrc* self) {
    gint64 now = g_get_monotonic_time();
    if (!self->trigger_mode || self->camera_gone || now < self->next_presence_check)
        return;
    self->next_presence_check = now + PRESENCE_POLL_MS * G_TIME_SPAN_MILLISECOND;
    if (!tavrin_camera_rescan_present(probe_handle(self), self->slot, NULL))
        self->camera_gone = TRUE;
}

/* Waits for the next announced frame, a failed frame, the camera's loss or
 * an unlock, reading the frames window. Several frames announced while the
 * last buffer was on its way give one buffer, of the newest.
 * timeout_ms 0 waits for ever. */
static WaitResult wait_for_frame(GstTavrinSrc* self, guint timeout_ms) {
    gint64 deadline =
        timeout_ms > 0 ? g_get_monotonic_time() + (gint64)timeout_ms * G_TIME_SPAN_MILLISECOND : G_MAXINT64;
    for (;;) {
        if (flushing(self))
            return WAIT_FLUSHING;
        check_presence(self);
        if (self->camera_gone)
            return WAIT_GONE;
        if (self->frame_errors > 0) {
            --self->frame_errors;
            return WAIT_FRAME_ERROR;
        }
        if (self->frames_announced > 0) {
            self->frames_announced = 0;
            return WAIT_FRAME;
        }
        if (self->stream_ended)
            return WAIT_STREAM_ENDED;
        gint64 now = g_get_monotonic_time();
        if (now >= deadline)
            return WAIT_TIMEOUT;
        gint64 wait_us = MIN(deadline - now, (gint64)G_MAXINT32 * G_TIME_SPAN_MILLISECOND);
        if (self->trigger_mode)
            wait_us = MIN(wait_us, PRESENCE_POLL_MS * G_TIME_SPAN_MILLISECOND);
        TavrinMsg msg;
        int wait_ms = deadline == G_MAXINT64 && !self->trigger_mode ? -1 : (int)((wait_us + 999) / 1000);
        if (TavrinPosix_GetMessage(self->window, &msg, wait_ms)) {
            do {
                absorb_message(self, &msg);
            } while (TavrinPosix_PeekMessage(self->window, &msg));
        }
    }
}

/* Keeps the frames going to the thread that runs create: when GStreamer
 * moved the streaming task to another thread, the SDK is given a window of
 * this one. A running stream takes it from the next frame on; trigger mode
 * cannot be given another window while it runs and is started again. */
static gboolean follow_streaming_thread(GstTavrinSrc* self) {
    HWND replaced;
    WindowResult owned = own_frames_window(self, &replaced);
    if (owned != WINDOW_MADE)
        return owned == WINDOW_OWNED;
    g_mutex_lock(&self->lock);
    gboolean acquiring = self->acquiring;
    g_mutex_unlock(&self->lock);
    GST_DEBUG_OBJECT(self, "frames now go to thread %p%s", (void*)g_thread_self(), acquiring ? " (moved)" : "");
    gboolean ok = TRUE;
    if (acquiring && self->trigger_mode) {
        stop_acquisition(self);
        ok = start_acquisition(self);
    } else if (acquiring) {
        ok = Tavrin_CallBackPreview(self->camera, self->window, NULL, 0, 1) != 0;
        lent_buffers_release(&self->lent); /* the SDK now keeps its frames itself */
        if (!ok)
            GST_ELEMENT_ERROR(self, RESOURCE, FAILED,
                              ("Cannot restart camera %s (slot %d)", self->camera_name, self->slot),
                              ("SDK error %d", Tavrin_GetLastError(self->camera)));
    }
    if (replaced != NULL)
        TavrinPosix_DestroyWindow(replaced);
    return ok;
}

/* With reconnect, waits until the camera is back and streams again. */
static GstFlowReturn await_camera(GstTavrinSrc* self) {
    GST_ELEMENT_WARNING(self, RESOURCE, READ,
                        ("Camera %s (slot %d) was unplugged; waiting for it to return", self->camera_name, self->slot),
                        (NULL));
    stop_acquisition(self);
    for (;;) {
        g_mutex_lock(&self->lock);
        gint64 until = g_get_monotonic_time() + 100 * G_TIME_SPAN_MILLISECOND;
        while (!self->flushing && g_cond_wait_until(&self->cond, &self->lock, until)) {
        }
        gboolean flushing = self->flushing;
        g_mutex_unlock(&self->lock);
        if (flushing)
            return GST_FLOW_FLUSHING;
        if (!tavrin_camera_rescan_present(probe_handle(self), self->slot, self->camera_name))
            continue;
        /* Plugged in again: select it afresh, which opens the new device. */
        char names[10 * TAVRIN_NAME_SIZE];
        Tavrin_EnumDevice(self->camera, names); /* the camera handle's own scan is from before */
        if (!Tavrin_SetDeviceNumber(self->camera, self->slot))
            continue; /* not ready yet */
        if (start_acquisition(self)) {
            GST_ELEMENT_INFO(self, RESOURCE, READ, ("Camera %s (slot %d) is back", self->camera_name, self->slot),
                             (NULL));
            return GST_FLOW_OK;
        }
        return GST_FLOW_ERROR;
    }
}

/* Copies the SDK's current image into buf; the record tells its frame. The
 * image and its record change together under the SDK's frame lock, so a
 * record read before and after the copy that agree name the frame copied. */
static gboolean copy_frame(GstTavrinSrc* self, GstBuffer* buf, TavrinFrameMeta* meta) {
    GstMapInfo map;
    if (!gst_buffer_map(buf, &map, GST_MAP_WRITE))
        return FALSE;
    gboolean ok = FALSE;
    for (gint attempt = 0; attempt < 4 && !ok; ++attempt) {
        TavrinFrameMeta before = {.size = sizeof before};
        meta->size = sizeof *meta;
        if (!TavrinEx_GetFrameMeta(self->camera, &before) ||
            !Tavrin_GetImage(self->camera, map.data, (int)map.size, 1) || !TavrinEx_GetFrameMeta(self->camera, meta))
            break;
        ok = before.frameNumber == meta->frameNumber;
    }
    gst_buffer_unmap(buf, &map);
    return ok;
}

/* A reference timestamp of the buffer, kept with it in the pool and
 * rewritten for each frame, so that no frame allocates one. */
static void set_reference_timestamp(GstBuffer* buf, GstCaps* reference, GstClockTime timestamp) {
    gpointer state = NULL;
    GstMeta* meta;
    while ((meta = gst_buffer_iterate_meta_filtered(buf, &state, GST_REFERENCE_TIMESTAMP_META_API_TYPE)) != NULL) {
        GstReferenceTimestampMeta* stamp = (GstReferenceTimestampMeta*)meta;
        if (stamp->reference != reference)
            continue;
        if (GST_CLOCK_TIME_IS_VALID(timestamp))
            stamp->timestamp = timestamp;
        else
            gst_buffer_remove_meta(buf, meta);
        return;
    }
    if (!GST_CLOCK_TIME_IS_VALID(timestamp))
        return;
    GstReferenceTimestampMeta* stamp =
        gst_buffer_add_reference_timestamp_meta(buf, reference, timestamp, GST_CLOCK_TIME_NONE);
    GST_META_FLAG_SET(stamp, GST_META_FLAG_POOLED);
}

/* The SDK's current image in a new buffer, for the first frame after a
 * start and a broken frame's stand-in. */
static GstFlowReturn copy_current_image(GstTavrinSrc* self, GstBuffer** out, TavrinFrameMeta* meta) {
    GstBuffer* buf = NULL;
    GstFlowReturn ret = GST_BASE_SRC_CLASS(parent_class)
                            ->alloc(GST_BASE_SRC(self), GST_BUFFER_OFFSET_NONE, (guint)self->frame_size, &buf);
    if (ret != GST_FLOW_OK)
        return ret;
    if (!copy_frame(self, buf, meta)) {
        gst_buffer_unref(buf);
        GST_ELEMENT_ERROR(self, RESOURCE, READ,
                          ("Cannot take the image of camera %s (slot %d)", self->camera_name, self->slot),
                          ("SDK error %d", Tavrin_GetLastError(self->camera)));
        return GST_FLOW_ERROR;
    }
    *out = buf;
    return GST_FLOW_OK;
}

/* The buffer holding the newest frame, lent to the SDK before, in exchange
 * for the next one from the pool (*handed_back). *out stays NULL when no
 * frame came since the last exchange. The first exchange lends the first buffer; that
 * frame is the SDK's own and is copied. */
static GstFlowReturn take_lent_buffer(GstTavrinSrc* self, GstBuffer** out, TavrinFrameMeta* meta,
                                      gboolean* handed_back) {
    LentBuffers next = {0};
    if (self->lent.newest != NULL && GST_MINI_OBJECT_REFCOUNT_VALUE(self->lent.newest) == 1) {
        /* Back from downstream already: the most recently written buffer,
         * the likeliest still in the processor's cache. */
        next.buffer = g_steal_pointer(&self->lent.newest);
    } else {
        GstFlowReturn ret =
            GST_BASE_SRC_CLASS(parent_class)
                ->alloc(GST_BASE_SRC(self), GST_BUFFER_OFFSET_NONE, (guint)self->frame_size, &next.buffer);
        if (ret != GST_FLOW_OK)
            return ret;
    }
    if (!gst_buffer_map(next.buffer, &next.map, GST_MAP_WRITE)) {
        gst_buffer_unref(next.buffer);
        return GST_FLOW_ERROR;
    }
    void* given = NULL;
    if (!TavrinEx_ExchangeFrameBuffer(self->camera, next.map.data, (int)next.map.size, &given, meta)) {
        lent_buffers_release(&next);
        GST_ELEMENT_ERROR(self, RESOURCE, READ,
                          ("Cannot take the frame of camera %s (slot %d)", self->camera_name, self->slot),
                          ("SDK error %d", Tavrin_GetLastError(self->camera)));
        return GST_FLOW_ERROR;
    }
    if (given == next.map.data) {
        lent_buffers_release(&next);
        return GST_FLOW_OK;
    }
    if (given == NULL) {
        self->lent.buffer = next.buffer;
        self->lent.map = next.map;
        return copy_current_image(self, out, meta);
    }
    GstBuffer* filled = self->lent.buffer;
    gst_buffer_unmap(filled, &self->lent.map);
    self->lent.buffer = next.buffer;
    self->lent.map = next.map;
    *out = filled;
    *handed_back = TRUE;
    return GST_FLOW_OK;
}

/* Waits for the next frame to hand downstream: restarts after a failed
 * transfer, waits for an unplugged camera with reconnect, and skips, keeps
 * (*corrupted) or stops at a broken frame as capture-error says. */
static GstFlowReturn await_frame(GstTavrinSrc* self, gboolean* corrupted) {
    GST_OBJECT_LOCK(self);
    guint timeout_ms = self->timeout_ms;
    GstTavrinCaptureError on_error = self->capture_error;
    gboolean reconnect = self->reconnect;
    GST_OBJECT_UNLOCK(self);

    for (;;) {
        WaitResult waited = wait_for_frame(self, timeout_ms);
        if (waited == WAIT_FRAME)
            return GST_FLOW_OK;
        switch (waited) {
        case WAIT_FLUSHING:
            return GST_FLOW_FLUSHING;
        case WAIT_TIMEOUT:
            GST_ELEMENT_ERROR(
                self, RESOURCE, READ,
                ("No frame from camera %s (slot %d) within %u ms", self->camera_name, self->slot, timeout_ms), (NULL));
            return GST_FLOW_ERROR;
        case WAIT_STREAM_ENDED:
            if (tavrin_camera_rescan_present(probe_handle(self), self->slot, self->camera_name)) {
                if (on_error == CAPTURE_ERROR_ABORT) {
                    GST_ELEMENT_ERROR(self, RESOURCE, READ,
                                      ("The transfer from camera %s (slot %d) failed", self->camera_name, self->slot),
                                      (NULL));
                    return GST_FLOW_ERROR;
                }
                GST_ELEMENT_WARNING(
                    self, RESOURCE, READ,
                    ("The transfer from camera %s (slot %d) failed; restarting", self->camera_name, self->slot),
                    (NULL));
                stop_acquisition(self);
                if (!start_acquisition(self))
                    return GST_FLOW_ERROR;
                continue;
            }
            /* the camera is gone */
            G_GNUC_FALLTHROUGH;
        case WAIT_GONE:
            if (!reconnect) {
                GST_ELEMENT_ERROR(self, RESOURCE, NOT_FOUND,
                                  ("Camera %s (slot %d) was unplugged", self->camera_name, self->slot), (NULL));
                return GST_FLOW_ERROR;
            }
            {
                GstFlowReturn back = await_camera(self);
                if (back != GST_FLOW_OK)
                    return back;
            }
            continue;
        case WAIT_FRAME_ERROR:
            if (on_error == CAPTURE_ERROR_ABORT) {
                GST_ELEMENT_ERROR(self, RESOURCE, READ,
                                  ("Camera %s (slot %d) sent a broken frame", self->camera_name, self->slot), (NULL));
                return GST_FLOW_ERROR;
            }
            if (on_error == CAPTURE_ERROR_KEEP) {
                GST_ELEMENT_WARNING(self, RESOURCE, READ,
                                    ("Camera %s (slot %d) sent a broken frame", self->camera_name, self->slot),
                                    ("the buffer in its place holds the last whole image"));
                *corrupted = TRUE;
                return GST_FLOW_OK;
            }
            GST_DEBUG_OBJECT(self, "skipping a broken frame");
            continue;
        default:
            continue;
        }
    }
}

static GstFlowReturn gst_tavrin_src_create(GstPushSrc* psrc, GstBuffer** out) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(psrc);
    GstBaseSrc* bsrc = GST_BASE_SRC(psrc);

    g_mutex_lock(&self->lock);
    gboolean renegotiate = self->renegotiate;
    self->renegotiate = FALSE;
    g_mutex_unlock(&self->lock);
    if (renegotiate && self->mode == 8) {
        GstCaps* current = gst_pad_get_current_caps(GST_BASE_SRC_PAD(bsrc));
        GstCaps* now = gst_tavrin_src_get_caps(bsrc, NULL);
        if (current != NULL && !gst_caps_can_intersect(current, now))
            gst_pad_mark_reconfigure(GST_BASE_SRC_PAD(bsrc));
        gst_caps_unref(now);
        if (current != NULL)
            gst_caps_unref(current);
        if (gst_pad_check_reconfigure(GST_BASE_SRC_PAD(bsrc)) && !gst_base_src_negotiate(bsrc))
            return GST_FLOW_NOT_NEGOTIATED;
    }

    if (!follow_streaming_thread(self))
        return GST_FLOW_ERROR;

    /* A frame message may announce a frame that went out with the last
     * buffer: then the wait goes on. */
    GstBuffer* buf = NULL;
    TavrinFrameMeta meta = {.size = sizeof meta};
    gboolean corrupted = FALSE, handed_back = FALSE;
    while (buf == NULL) {
        GstFlowReturn ret = await_frame(self, &corrupted);
        if (ret == GST_FLOW_OK)
            ret = corrupted ? copy_current_image(self, &buf, &meta) : take_lent_buffer(self, &buf, &meta, &handed_back);
        if (ret != GST_FLOW_OK)
            return ret;
    }

    /* Frame numbers count every frame the camera sent: a gap is a drop. */
    if (meta.frameNumber != self->last_frame_number + 1)
        self->discont = TRUE;
    if (meta.frameNumber > self->last_frame_number)
        self->last_frame_number = meta.frameNumber;
    GST_BUFFER_OFFSET(buf) = self->offset_base + meta.frameNumber;
    GST_BUFFER_OFFSET_END(buf) = GST_BUFFER_OFFSET(buf) + 1;
    GST_BUFFER_FLAG_UNSET(buf, GST_BUFFER_FLAG_DISCONT | GST_BUFFER_FLAG_CORRUPTED); /* a buffer used again */
    if (self->discont) {
        GST_BUFFER_FLAG_SET(buf, GST_BUFFER_FLAG_DISCONT);
        self->discont = FALSE;
    }
    if (corrupted)
        GST_BUFFER_FLAG_SET(buf, GST_BUFFER_FLAG_CORRUPTED);

    /* The capture time is on the monotonic clock; the pipeline's clock is
     * read at nearly the same instant to carry it over. */
    uint64_t monotonic_now = 0;
    int64_t system_now = 0;
    GstClock* clock = gst_element_get_clock(GST_ELEMENT(self));
    GstClockTime clock_now = clock ? gst_clock_get_time(clock) : 0;
    TavrinEx_GetClocks(&monotonic_now, &system_now);
    guint64 age = monotonic_now > meta.captureTimeNs ? monotonic_now - meta.captureTimeNs : 0;
    if (clock != NULL) {
        GstClockTime base = gst_element_get_base_time(GST_ELEMENT(self));
        GstClockTime captured = clock_now > age ? clock_now - age : 0;
        GST_BUFFER_PTS(buf) = captured > base ? captured - base : 0;
        gst_object_unref(clock);
    }
    GST_BUFFER_DTS(buf) = GST_CLOCK_TIME_NONE;
    GST_BUFFER_DURATION(buf) = self->trigger_mode ? GST_CLOCK_TIME_NONE : self->period;

    /* The capture time itself, and as wall-clock time. */
    set_reference_timestamp(buf, monotonic_reference, meta.captureTimeNs);
    gint64 wall = system_now - (gint64)age;
    set_reference_timestamp(buf, unix_reference, wall > 0 ? (GstClockTime)wall : GST_CLOCK_TIME_NONE);
    if (handed_back)
        gst_buffer_replace(&self->lent.newest, buf); /* read-only downstream from here */
    *out = buf;
    return GST_FLOW_OK;
}

static gboolean gst_tavrin_src_query(GstBaseSrc* bsrc, GstQuery* query) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(bsrc);
    if (GST_QUERY_TYPE(query) == GST_QUERY_LATENCY) {
        if (self->mode == 0)
            return FALSE;
        /* A frame is whole only when its readout has ended: one frame period. */
        GstClockTime period = self->period;
        gst_query_set_latency(query, TRUE, period, period);
        return TRUE;
    }
    return GST_BASE_SRC_CLASS(parent_class)->query(bsrc, query);
}

/* The camera's software trigger. */
static gboolean fire_trigger(GstTavrinSrc* self, gint camera) {
    if (TavrinEx_SoftwareTrigger(camera))
        return TRUE;
    GST_ELEMENT_WARNING(self, RESOURCE, SETTINGS, ("The camera did not take the software trigger"),
                        ("SDK error %d", Tavrin_GetLastError(camera)));
    return FALSE;
}

static gboolean gst_tavrin_src_software_trigger(GstTavrinSrc* self) {
    g_mutex_lock(&self->lock);
    gboolean open = self->camera != 0, acquiring = self->acquiring;
    gint camera = self->camera;
    /* Between the start and the negotiation that starts trigger mode, the
     * pulse waits for it. */
    if (open && !acquiring && self->trigger_mode)
        ++self->pending_triggers;
    g_mutex_unlock(&self->lock);
    if (!open || !self->trigger_mode)
        return FALSE;
    return acquiring ? fire_trigger(self, camera) : TRUE;
}

/* ---- GObject ------------------------------------------------------------- */

static void gst_tavrin_src_set_property(GObject* object, guint prop_id, const GValue* value, GParamSpec* pspec) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(object);
    if (prop_id >= PROP_SETTING_FIRST && prop_id < (guint)(PROP_SETTING_FIRST + catalogue_size)) {
        gint index = (gint)prop_id - PROP_SETTING_FIRST;
        const TavrinSettingInfo* info = &catalogue[index];
        gint v = G_VALUE_HOLDS_BOOLEAN(value) ? g_value_get_boolean(value) : g_value_get_int(value);
        if (info->kind == TAVRIN_SETTING_LIST && !list_accepts(info, v)) {
            g_warning("tavrinsrc: %d is not a value of %s", v, info->name);
            return;
        }
        GST_OBJECT_LOCK(self);
        self->setting_value[index] = v;
        self->setting_set[index] = TRUE;
        GST_OBJECT_UNLOCK(self);
        apply_setting(self, index, v);
        return;
    }
    GST_OBJECT_LOCK(self);
    switch (prop_id) {
    case PROP_DEVICE:
        self->device = g_value_get_int(value);
        break;
    case PROP_DEVICE_NAME:
        g_free(self->device_name);
        self->device_name = g_value_dup_string(value);
        break;
    case PROP_TIMEOUT:
        self->timeout_ms = g_value_get_uint(value);
        break;
    case PROP_TRIGGER_MODE:
        self->trigger_mode = g_value_get_boolean(value);
        break;
    case PROP_CAPTURE_ERROR:
        self->capture_error = g_value_get_enum(value);
        break;
    case PROP_RECONNECT:
        self->reconnect = g_value_get_boolean(value);
        break;
    case PROP_REGION_X:
    case PROP_REGION_Y:
    case PROP_REGION_WIDTH:
    case PROP_REGION_HEIGHT:
        self->region[prop_id - PROP_REGION_X] = g_value_get_int(value);
        break;
    default:
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, prop_id, pspec);
        break;
    }
    GST_OBJECT_UNLOCK(self);
}

static void gst_tavrin_src_get_property(GObject* object, guint prop_id, GValue* value, GParamSpec* pspec) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(object);
    if (prop_id >= PROP_SETTING_FIRST && prop_id < (guint)(PROP_SETTING_FIRST + catalogue_size)) {
        gint index = (gint)prop_id - PROP_SETTING_FIRST;
        g_mutex_lock(&self->lock);
        GST_OBJECT_LOCK(self);
        gint v = current_setting(self, index);
        GST_OBJECT_UNLOCK(self);
        g_mutex_unlock(&self->lock);
        if (G_VALUE_HOLDS_BOOLEAN(value))
            g_value_set_boolean(value, v != 0);
        else
            g_value_set_int(value, v);
        return;
    }
    GST_OBJECT_LOCK(self);
    switch (prop_id) {
    case PROP_DEVICE:
        g_value_set_int(value, self->device);
        break;
    case PROP_DEVICE_NAME:
        g_value_set_string(value, self->device_name);
        break;
    case PROP_TIMEOUT:
        g_value_set_uint(value, self->timeout_ms);
        break;
    case PROP_TRIGGER_MODE:
        g_value_set_boolean(value, self->trigger_mode);
        break;
    case PROP_CAPTURE_ERROR:
        g_value_set_enum(value, self->capture_error);
        break;
    case PROP_RECONNECT:
        g_value_set_boolean(value, self->reconnect);
        break;
    case PROP_REGION_X:
    case PROP_REGION_Y:
    case PROP_REGION_WIDTH:
    case PROP_REGION_HEIGHT:
        g_value_set_int(value, self->region[prop_id - PROP_REGION_X]);
        break;
    default:
        G_OBJECT_WARN_INVALID_PROPERTY_ID(object, prop_id, pspec);
        break;
    }
    GST_OBJECT_UNLOCK(self);
}

static void gst_tavrin_src_finalize(GObject* object) {
    GstTavrinSrc* self = GST_TAVRIN_SRC(object);
    wait_for_closing(self);
    g_free(self->device_name);
    g_mutex_clear(&self->lock);
    g_cond_clear(&self->cond);
    G_OBJECT_CLASS(parent_class)->finalize(object);
}

static void gst_tavrin_src_init(GstTavrinSrc* self) {
    g_mutex_init(&self->lock);
    g_cond_init(&self->cond);
    self->device = -1;
    self->capture_error = CAPTURE_ERROR_SKIP;
    for (gint i = 0; i < 4; ++i)
        self->region[i] = -1;
    gst_base_src_set_live(GST_BASE_SRC(self), TRUE);
    gst_base_src_set_format(GST_BASE_SRC(self), GST_FORMAT_TIME);
}

static void gst_tavrin_src_class_init(GstTavrinSrcClass* klass) {
    GObjectClass* gobject_class = G_OBJECT_CLASS(klass);
    GstElementClass* element_class = GST_ELEMENT_CLASS(klass);
    GstBaseSrcClass* base_class = GST_BASE_SRC_CLASS(klass);
    GstPushSrcClass* push_class = GST_PUSH_SRC_CLASS(klass);

    GST_DEBUG_CATEGORY_INIT(gst_tavrin_src_debug, "tavrinsrc", 0, "Tavrin 860VX-RUX camera source");

    gobject_class->set_property = gst_tavrin_src_set_property;
    gobject_class->get_property = gst_tavrin_src_get_property;
    gobject_class->finalize = gst_tavrin_src_finalize;

    const GParamFlags ready = G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_READY;
    g_object_class_install_property(
        gobject_class, PROP_DEVICE,
        g_param_spec_int("device", "Device slot", "Device slot of the camera (0 to 31); -1: the first camera found", -1,
                         TAVRIN_SLOT_COUNT - 1, -1, ready));
    g_object_class_install_property(gobject_class, PROP_DEVICE_NAME,
                                    g_param_spec_string("device-name", "Camera name",
                                                        "The camera's name as enumeration gives it, e.g. "
                                                        "Tavrin860VX-RUX_01; NULL: any",
                                                        NULL, ready));
    g_object_class_install_property(
        gobject_class, PROP_TIMEOUT,
        g_param_spec_uint("timeout", "Frame timeout",
                          "Milliseconds to wait for a frame before failing; 0: wait for ever", 0, G_MAXUINT, 0,
                          G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING));
    g_object_class_install_property(gobject_class, PROP_TRIGGER_MODE,
                                    g_param_spec_boolean("trigger-mode", "Trigger mode",
                                                         "One frame per trigger pulse (framerate 0/1)", FALSE, ready));
    g_object_class_install_property(
        gobject_class, PROP_CAPTURE_ERROR,
        g_param_spec_enum("capture-error", "Capture error", "What a frame the camera could not send does",
                          GST_TYPE_TAVRIN_CAPTURE_ERROR, CAPTURE_ERROR_SKIP,
                          G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING));
    g_object_class_install_property(
        gobject_class, PROP_RECONNECT,
        g_param_spec_boolean("reconnect", "Reconnect",
                             "When the camera is unplugged, wait for it to return and go on "
                             "(the next buffer is a DISCONT) instead of failing",
                             FALSE, G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING));
    static const struct {
        const gchar *name, *nick, *blurb;
        gint maximum;
    } region[4] = {
        {"region-x", "Region left", "First column of the readout region; -1: as stored", SENSOR_WIDTH - 1},
        {"region-y", "Region top", "First line of the readout region; -1: as stored", SENSOR_HEIGHT - 1},
        {"region-width", "Region width", "Width of the readout region; -1: as stored", SENSOR_WIDTH},
        {"region-height", "Region height", "Height of the readout region; -1: as stored", SENSOR_HEIGHT},
    };
    for (gint i = 0; i < 4; ++i)
        g_object_class_install_property(
            gobject_class, PROP_REGION_X + i,
            g_param_spec_int(region[i].name, region[i].nick, region[i].blurb, -1, region[i].maximum, -1, ready));
    install_setting_properties(gobject_class);
    monotonic_reference = gst_caps_new_empty_simple("timestamp/x-tavrin-monotonic");
    unix_reference = gst_caps_new_empty_simple("timestamp/x-unix");
    GST_MINI_OBJECT_FLAG_SET(monotonic_reference, GST_MINI_OBJECT_FLAG_MAY_BE_LEAKED);
    GST_MINI_OBJECT_FLAG_SET(unix_reference, GST_MINI_OBJECT_FLAG_MAY_BE_LEAKED);

    signals[SIGNAL_SOFTWARE_TRIGGER] =
        g_signal_new_class_handler("software-trigger", G_TYPE_FROM_CLASS(klass), G_SIGNAL_RUN_LAST | G_SIGNAL_ACTION,
                                   G_CALLBACK(gst_tavrin_src_software_trigger), NULL, NULL, NULL, G_TYPE_BOOLEAN, 0);

    gst_element_class_set_static_metadata(element_class, "Tavrin 860VX-RUX camera source", "Source/Video/Hardware",
                                          "Frames of a Tavrin 860VX-RUX USB camera, with its settings as "
                                          "properties",
                                          "Tavrin SDK developers <sdk@localhost>");
    gst_element_class_add_static_pad_template(element_class, &src_template);
    gst_type_mark_as_plugin_api(GST_TYPE_TAVRIN_CAPTURE_ERROR, 0);

    base_class->start = GST_DEBUG_FUNCPTR(gst_tavrin_src_start);
    base_class->stop = GST_DEBUG_FUNCPTR(gst_tavrin_src_stop);
    base_class->get_caps = GST_DEBUG_FUNCPTR(gst_tavrin_src_get_caps);
    base_class->set_caps = GST_DEBUG_FUNCPTR(gst_tavrin_src_set_caps);
    base_class->decide_allocation = GST_DEBUG_FUNCPTR(gst_tavrin_src_decide_allocation);
    base_class->unlock = GST_DEBUG_FUNCPTR(gst_tavrin_src_unlock);
    base_class->unlock_stop = GST_DEBUG_FUNCPTR(gst_tavrin_src_unlock_stop);
    base_class->query = GST_DEBUG_FUNCPTR(gst_tavrin_src_query);
    push_class->create = GST_DEBUG_FUNCPTR(gst_tavrin_src_create);
}
