#include "platform/ui/gtk/chooser_icons.h"

#include <cairo.h>

namespace velsor::ui::gtk {
namespace {

constexpr int kSize = 16;

struct SurfaceDestroy {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDestroy {
  void operator()(cairo_t* context) const { cairo_destroy(context); }
};

template <class Draw>
ObjectRef<GdkPixbuf> Paint(Draw&& draw) {
  std::unique_ptr<cairo_surface_t, SurfaceDestroy> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize));
  {
    std::unique_ptr<cairo_t, ContextDestroy> cr(cairo_create(surface.get()));
    draw(cr.get());
  }
  return ObjectRef<GdkPixbuf>(gdk_pixbuf_get_from_surface(surface.get(), 0, 0, kSize, kSize));
}

// A sheet with two lines of text and a red seal with ribbons.
void Certificate(cairo_t* cr) {
  cairo_rectangle(cr, 1.5, 2.5, 13, 10);
  cairo_set_source_rgb(cr, 1, 1, 0.94);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.45);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_move_to(cr, 4, 5.5);
  cairo_line_to(cr, 12, 5.5);
  cairo_move_to(cr, 4, 7.5);
  cairo_line_to(cr, 9, 7.5);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.8, 0.1, 0.1);
  cairo_move_to(cr, 10, 12);
  cairo_line_to(cr, 9, 15.5);
  cairo_line_to(cr, 11, 14.5);
  cairo_line_to(cr, 12, 15.5);
  cairo_line_to(cr, 12.5, 12);
  cairo_fill(cr);
  cairo_arc(cr, 11.5, 11, 2.5, 0, 6.2832);
  cairo_fill(cr);
}

// A key in front of a sheet: the dialog that picks a certificate and its key.
void Chooser(cairo_t* cr) {
  Certificate(cr);
  cairo_set_source_rgb(cr, 0.85, 0.65, 0.1);
  cairo_arc(cr, 4, 11.5, 2.5, 0, 6.2832);
  cairo_fill(cr);
  cairo_rectangle(cr, 5.5, 11, 6, 1.5);
  cairo_rectangle(cr, 9.5, 12.5, 1, 2);
  cairo_fill(cr);
}

}  // namespace

ObjectRef<GdkPixbuf> CertificateRowIcon() { return Paint(Certificate); }
ObjectRef<GdkPixbuf> ChooserWindowIcon() { return Paint(Chooser); }

}  // namespace velsor::ui::gtk
