/* The device provider: the cameras for gst-device-monitor and applications
 * that list video sources, with hot-plug. */
#ifndef GST_TAVRIN_DEVICE_PROVIDER_H
#define GST_TAVRIN_DEVICE_PROVIDER_H

#include <gst/gst.h>

G_BEGIN_DECLS

#define GST_TYPE_TAVRIN_DEVICE_PROVIDER (gst_tavrin_device_provider_get_type())
G_DECLARE_FINAL_TYPE(GstTavrinDeviceProvider, gst_tavrin_device_provider, GST, TAVRIN_DEVICE_PROVIDER,
                     GstDeviceProvider)

#define GST_TYPE_TAVRIN_DEVICE (gst_tavrin_device_get_type())
G_DECLARE_FINAL_TYPE(GstTavrinDevice, gst_tavrin_device, GST, TAVRIN_DEVICE, GstDevice)

GST_DEVICE_PROVIDER_REGISTER_DECLARE(tavrindeviceprovider);

G_END_DECLS

#endif
