#include "tavrin_cameras.h"

#include <string.h>

#include "TavrinSdk.h"

gint tavrin_cameras_list(gint camera, TavrinCameraEntry* entries) {
    gint count = 0;
    for (gint slot = 0; slot < TAVRIN_SLOT_COUNT; ++slot) {
        char name[TAVRIN_NAME_SIZE] = {0};
        if (Tavrin_GetDeviceName(camera, slot, name, (int)sizeof name)) {
            entries[count].slot = slot;
            g_strlcpy(entries[count].name, name, sizeof entries[count].name);
            ++count;
        }
    }
    return count;
}

gboolean tavrin_camera_rescan_present(gint probe, gint slot, const gchar* name) {
    /* Only the narrow enumeration scans the device paths again; the names
     * it writes are not needed. */
    static char names[10 * TAVRIN_NAME_SIZE];
    static GMutex names_lock;
    g_mutex_lock(&names_lock);
    Tavrin_EnumDevice(probe, names);
    g_mutex_unlock(&names_lock);
    char found[TAVRIN_NAME_SIZE] = {0};
    if (!Tavrin_GetDeviceName(probe, slot, found, (int)sizeof found))
        return FALSE;
    return name == NULL || name[0] == '\0' || strcmp(found, name) == 0;
}

gchar* tavrin_cameras_describe(const TavrinCameraEntry* entries, gint count) {
    if (count == 0)
        return g_strdup("none");
    GString* text = g_string_new(NULL);
    for (gint i = 0; i < count; ++i)
        g_string_append_printf(text, "%sslot %d: %s", i > 0 ? ", " : "", entries[i].slot, entries[i].name);
    return g_string_free(text, FALSE);
}
