/* The plugin libgsttavrin.so: the tavrinsrc element and the device provider. */
#include <gst/gst.h>

#include "gsttavrindeviceprovider.h"
#include "gsttavrinsrc.h"

static gboolean plugin_init(GstPlugin* plugin) {
    gboolean ok = GST_ELEMENT_REGISTER(tavrinsrc, plugin);
    ok &= GST_DEVICE_PROVIDER_REGISTER(tavrindeviceprovider, plugin);
    return ok;
}

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, tavrin, "Tavrin 860VX-RUX USB camera", plugin_init,
                  TAVRIN_PLUGIN_VERSION, "Proprietary", "tavrin-sdk", "Tavrin SDK developers")
