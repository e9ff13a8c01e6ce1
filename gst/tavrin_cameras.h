/* The cameras the SDK finds, by device slot and name, shared by the source
 * element and the device provider. */
#ifndef GST_TAVRIN_CAMERAS_H
#define GST_TAVRIN_CAMERAS_H

#include <glib.h>

G_BEGIN_DECLS

/* The SDK numbers its device slots 0 to 31. */
#define TAVRIN_SLOT_COUNT 32
#define TAVRIN_NAME_SIZE 256

typedef struct {
    gint slot;
    gchar name[TAVRIN_NAME_SIZE];
} TavrinCameraEntry;

/* Fills entries (TAVRIN_SLOT_COUNT of them) with the cameras present and
 * returns how many there are. Asking an empty slot queues SDKERR_DEVICE on
 * the handle, which callers that care about the queue take off again. */
gint tavrin_cameras_list(gint camera, TavrinCameraEntry* entries);

/* Scans the device paths afresh and tells whether the slot holds a camera
 * (with name not NULL, one of that name). A scan moves the handle's current
 * slot to 0, so it is made on a handle that does not acquire. */
gboolean tavrin_camera_rescan_present(gint probe, gint slot, const gchar* name);

/* "slot 0: Tavrin860VX-RUX_01, slot 2: ..." or "none", for messages. */
gchar* tavrin_cameras_describe(const TavrinCameraEntry* entries, gint count);

G_END_DECLS

#endif
