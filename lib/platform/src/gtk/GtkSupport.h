#pragma once

// Owners for the GTK, GLib and cairo objects of the GTK presenter, and the translation of GDK
// key values into the window layer's virtual keys and characters.

#include <zent/platform/Types.h>

#include <gtk/gtk.h>

#include <memory>

namespace zent::gtkp {

// A widget we hold a reference to: destroyed (which takes it out of its container or closes the
// window) and released together.
struct WidgetReleaser {
    void operator()(GtkWidget* p) const
    {
        gtk_widget_destroy(p);
        g_object_unref(p);
    }
};
using UniqueWidget = std::unique_ptr<GtkWidget, WidgetReleaser>;

// Takes a reference of our own to a new widget (sinking a floating one).
inline UniqueWidget Adopt(GtkWidget* p)
{
    return UniqueWidget(p ? GTK_WIDGET(g_object_ref_sink(p)) : nullptr);
}

struct SurfaceReleaser {
    void operator()(cairo_surface_t* p) const { cairo_surface_destroy(p); }
};
using UniqueSurface = std::unique_ptr<cairo_surface_t, SurfaceReleaser>;

struct RegionReleaser {
    void operator()(cairo_region_t* p) const { cairo_region_destroy(p); }
};
using UniqueRegion = std::unique_ptr<cairo_region_t, RegionReleaser>;

struct GCharsReleaser {
    void operator()(gchar* p) const { g_free(p); }
};
using UniqueGChars = std::unique_ptr<gchar, GCharsReleaser>;

// The virtual key of a GDK key value (0: none we report). Letters and digits use their upper-case
// ASCII codes, as on Win32; keys without a value of their own fall back to the hardware code's
// letter or digit when the layout maps them elsewhere.
UINT VirtualKeyOf(guint keyval, guint16 hardwareKeycode);
// The character a key value types (0: none). Enter, Backspace, Tab and Escape type their control
// characters, as Win32's translation does.
char32_t CharacterOf(guint keyval);

} // namespace zent::gtkp
