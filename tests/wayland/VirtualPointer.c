/* A mouse that arrives through the compositor, as a real one does: each "dx dy" line of standard
 * input is one relative motion, answered "ok" once the compositor has it. The device lives as
 * long as the program, so the seat keeps its pointer. */
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1* manager;

static void announce(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version) {
    (void)data, (void)version;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    }
}

static void withdraw(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener listener = {announce, withdraw};

int main(void) {
    struct wl_display* display = wl_display_connect(NULL);
    if (display != NULL) {
        wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
        wl_display_roundtrip(display);
    }
    if (manager == NULL) {
        return 1;
    }
    struct zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
    int dx = 0, dy = 0;
    for (int status = wl_display_roundtrip(display); status >= 0;
         status = wl_display_roundtrip(display)) {
        puts("ok");
        fflush(stdout);
        if (scanf("%d %d", &dx, &dy) != 2) {
            return 0;
        }
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        uint32_t milliseconds = (uint32_t)(now.tv_sec * 1000 + now.tv_nsec / 1000000);
        zwlr_virtual_pointer_v1_motion(pointer, milliseconds, wl_fixed_from_int(dx),
                                       wl_fixed_from_int(dy));
        zwlr_virtual_pointer_v1_frame(pointer);
    }
    return 1;
}
