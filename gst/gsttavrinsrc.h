/* tavrinsrc: the camera as a live GStreamer source. */
#ifndef GST_TAVRIN_SRC_H
#define GST_TAVRIN_SRC_H

#include <gst/base/gstpushsrc.h>
#include <gst/gst.h>

G_BEGIN_DECLS

#define GST_TYPE_TAVRIN_SRC (gst_tavrin_src_get_type())
G_DECLARE_FINAL_TYPE(GstTavrinSrc, gst_tavrin_src, GST, TAVRIN_SRC, GstPushSrc)

GST_ELEMENT_REGISTER_DECLARE(tavrinsrc);

G_END_DECLS

#endif
