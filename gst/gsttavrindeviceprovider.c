/* The device provider lists the cameras the SDK finds; while started it
 * looks again twice a second and posts device-added and device-removed as
 * cameras come and go (the SDK has no plug notification). */
#include "gsttavrindeviceprovider.h"

#include <string.h>

#include "TavrinSdk.h"
#include "tavrin_cameras.h"

#define POLL_INTERVAL_US (500 * G_TIME_SPAN_MILLISECOND)

struct _GstTavrinDevice {
    GstDevice parent;
    gint slot;
    gchar name[TAVRIN_NAME_SIZE];
};

G_DEFINE_TYPE(GstTavrinDevice, gst_tavrin_device, GST_TYPE_DEVICE);

static GstElement* gst_tavrin_device_create_element(GstDevice* device, const gchar* name) {
    GstTavrinDevice* self = GST_TAVRIN_DEVICE(device);
    GstElement* element = gst_element_factory_make("tavrinsrc", name);
    if (element != NULL)
        g_object_set(element, "device", self->slot, "device-name", self->name, NULL);
    return element;
}

static gboolean gst_tavrin_device_reconfigure_element(GstDevice* device, GstElement* element) {
    GstTavrinDevice* self = GST_TAVRIN_DEVICE(device);
    g_object_set(element, "device", self->slot, "device-name", self->name, NULL);
    return TRUE;
}

static void gst_tavrin_device_class_init(GstTavrinDeviceClass* klass) {
    GstDeviceClass* device_class = GST_DEVICE_CLASS(klass);
    device_class->create_element = gst_tavrin_device_create_element;
    device_class->reconfigure_element = gst_tavrin_device_reconfigure_element;
}

static void gst_tavrin_device_init(GstTavrinDevice* self) { (void)self; }

static GstDevice* device_new(const TavrinCameraEntry* entry) {
    GstElementFactory* factory = gst_element_factory_find("tavrinsrc");
    GstCaps* caps = NULL;
    if (factory != NULL) {
        const GList* templates = gst_element_factory_get_static_pad_templates(factory);
        if (templates != NULL)
            caps = gst_static_pad_template_get_caps(templates->data);
        gst_object_unref(factory);
    }
    if (caps == NULL)
        caps = gst_caps_new_empty_simple("video/x-raw");
    gchar* display = g_strdup_printf("%s (slot %d)", entry->name, entry->slot);
    GstStructure* props =
        gst_structure_new("tavrin-device-properties", "device.slot", G_TYPE_INT, entry->slot, "device.name",
                          G_TYPE_STRING, entry->name, "device.api", G_TYPE_STRING, "tavrin", NULL);
    GstTavrinDevice* device = g_object_new(GST_TYPE_TAVRIN_DEVICE, "display-name", display, "caps", caps,
                                           "device-class", "Video/Source", "properties", props, NULL);
    device->slot = entry->slot;
    g_strlcpy(device->name, entry->name, sizeof device->name);
    g_free(display);
    gst_caps_unref(caps);
    gst_structure_free(props);
    return GST_DEVICE(device);
}

struct _GstTavrinDeviceProvider {
    GstDeviceProvider parent;
    GMutex lock;
    GCond cond;
    GThread* thread;
    gboolean stopping;
    TavrinCameraEntry known[TAVRIN_SLOT_COUNT];
    gint known_count;
    gint handle;
};

G_DEFINE_TYPE(GstTavrinDeviceProvider, gst_tavrin_device_provider, GST_TYPE_DEVICE_PROVIDER);
GST_DEVICE_PROVIDER_REGISTER_DEFINE(tavrindeviceprovider, "tavrindeviceprovider", GST_RANK_PRIMARY,
                                    GST_TYPE_TAVRIN_DEVICE_PROVIDER);

/* The cameras present now: a fresh scan of the device paths on the given
 * handle, or on a handle made for the purpose. */
static gint list_cameras(gint handle, TavrinCameraEntry* entries) {
    gint camera = handle != 0 ? handle : Tavrin_Initialize(NULL);
    if (camera == 0)
        return 0;
    char names[10 * TAVRIN_NAME_SIZE];
    Tavrin_EnumDevice(camera, names);
    gint count = tavrin_cameras_list(camera, entries);
    if (handle == 0)
        Tavrin_Release(camera);
    return count;
}

static GList* gst_tavrin_device_provider_probe(GstDeviceProvider* provider) {
    (void)provider;
    TavrinCameraEntry entries[TAVRIN_SLOT_COUNT];
    gint count = list_cameras(0, entries);
    GList* devices = NULL;
    for (gint i = 0; i < count; ++i)
        devices = g_list_append(devices, gst_object_ref_sink(device_new(&entries[i])));
    return devices;
}

static gboolean entry_in(const TavrinCameraEntry* entry, const TavrinCameraEntry* list, gint count) {
    for (gint i = 0; i < count; ++i)
        if (list[i].slot == entry->slot && strcmp(list[i].name, entry->name) == 0)
            return TRUE;
    return FALSE;
}

/* The provider's device of that camera, looked up in its list under the
 * object lock: gst_device_provider_get_devices() takes the provider's start
 * lock, which gst_device_provider_stop() holds while it waits for this
 * thread to end. */
static GstDevice* find_device(GstDeviceProvider* provider, const TavrinCameraEntry* entry) {
    GstDevice* found = NULL;
    GST_OBJECT_LOCK(provider);
    for (GList* d = provider->devices; d != NULL && found == NULL; d = d->next) {
        GstTavrinDevice* device = d->data;
        if (device->slot == entry->slot && strcmp(device->name, entry->name) == 0)
            found = gst_object_ref(GST_DEVICE(device));
    }
    GST_OBJECT_UNLOCK(provider);
    return found;
}

static gpointer monitor_thread(gpointer data) {
    GstTavrinDeviceProvider* self = data;
    GstDeviceProvider* provider = GST_DEVICE_PROVIDER(self);
    g_mutex_lock(&self->lock);
    while (!self->stopping) {
        g_mutex_unlock(&self->lock);
        TavrinCameraEntry now[TAVRIN_SLOT_COUNT];
        gint count = list_cameras(self->handle, now);
        for (gint i = 0; i < self->known_count; ++i)
            if (!entry_in(&self->known[i], now, count)) {
                GstDevice* gone = find_device(provider, &self->known[i]);
                if (gone != NULL) {
                    gst_device_provider_device_remove(provider, gone);
                    gst_object_unref(gone);
                }
            }
        for (gint i = 0; i < count; ++i)
            if (!entry_in(&now[i], self->known, self->known_count))
                gst_device_provider_device_add(provider, device_new(&now[i]));
        memcpy(self->known, now, sizeof now);
        self->known_count = count;
        g_mutex_lock(&self->lock);
        gint64 until = g_get_monotonic_time() + POLL_INTERVAL_US;
        while (!self->stopping && g_cond_wait_until(&self->cond, &self->lock, until)) {
        }
    }
    g_mutex_unlock(&self->lock);
    return NULL;
}

static gboolean gst_tavrin_device_provider_start(GstDeviceProvider* provider) {
    GstTavrinDeviceProvider* self = GST_TAVRIN_DEVICE_PROVIDER(provider);
    /* The first look is made here, so the devices are there when start
     * returns, as a monitor expects. */
    /* One camera object for all the scans while monitoring: making one
     * takes a while. */
    self->handle = Tavrin_Initialize(NULL);
    self->known_count = list_cameras(self->handle, self->known);
    for (gint i = 0; i < self->known_count; ++i)
        gst_device_provider_device_add(provider, device_new(&self->known[i]));
    self->stopping = FALSE;
    self->thread = g_thread_new("tavrin-devices", monitor_thread, self);
    return TRUE;
}

static void gst_tavrin_device_provider_stop(GstDeviceProvider* provider) {
    GstTavrinDeviceProvider* self = GST_TAVRIN_DEVICE_PROVIDER(provider);
    g_mutex_lock(&self->lock);
    self->stopping = TRUE;
    g_cond_broadcast(&self->cond);
    g_mutex_unlock(&self->lock);
    if (self->thread != NULL)
        g_thread_join(self->thread);
    self->thread = NULL;
    if (self->handle != 0)
        Tavrin_Release(self->handle);
    self->handle = 0;
    /* The devices themselves are dropped by gst_device_provider_stop(). */
    self->known_count = 0;
}

static void gst_tavrin_device_provider_finalize(GObject* object) {
    GstTavrinDeviceProvider* self = GST_TAVRIN_DEVICE_PROVIDER(object);
    g_mutex_clear(&self->lock);
    g_cond_clear(&self->cond);
    G_OBJECT_CLASS(gst_tavrin_device_provider_parent_class)->finalize(object);
}

static void gst_tavrin_device_provider_class_init(GstTavrinDeviceProviderClass* klass) {
    GstDeviceProviderClass* provider_class = GST_DEVICE_PROVIDER_CLASS(klass);
    G_OBJECT_CLASS(klass)->finalize = gst_tavrin_device_provider_finalize;
    provider_class->probe = gst_tavrin_device_provider_probe;
    provider_class->start = gst_tavrin_device_provider_start;
    provider_class->stop = gst_tavrin_device_provider_stop;
    gst_device_provider_class_set_static_metadata(provider_class, "Tavrin 860VX-RUX camera provider", "Source/Video",
                                                  "Lists the Tavrin 860VX-RUX cameras and their comings and goings",
                                                  "Tavrin SDK developers <sdk@localhost>");
}

static void gst_tavrin_device_provider_init(GstTavrinDeviceProvider* self) {
    g_mutex_init(&self->lock);
    g_cond_init(&self->cond);
}
