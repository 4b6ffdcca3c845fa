#include "platform/ui/gtk/gtk_chooser_window.h"

#include <algorithm>
#include <numeric>

#include "platform/codepage/utf.h"
#include "platform/ui/gtk/chooser_icons.h"
#include "platform/ui/gtk/page_texts.h"

namespace velsor::ui::gtk {
namespace {

enum Column { kIcon, kSubject, kIssuer, kExpiry, kItemData, kColumnCount };
constexpr int kColumnWidth = 140;

std::string Utf8(std::u16string_view text) { return codepage::Utf16ToUtf8(text); }

// Dialog units to pixels, from the font's average character width and height.
struct DialogUnits {
  double x = 1.5;
  double y = 1.75;
  int X(int units) const { return static_cast<int>(units * x + 0.5); }
  int Y(int units) const { return static_cast<int>(units * y + 0.5); }
};

DialogUnits UnitsFor(GtkWidget* widget) {
  PangoContext* context = gtk_widget_get_pango_context(widget);
  PangoFontMetrics* metrics = pango_context_get_metrics(
      context, pango_context_get_font_description(context), pango_context_get_language(context));
  DialogUnits units;
  if (metrics != nullptr) {
    const double width =
        pango_font_metrics_get_approximate_char_width(metrics) / double(PANGO_SCALE);
    const double height =
        (pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics)) /
        double(PANGO_SCALE);
    pango_font_metrics_unref(metrics);
    if (width > 0 && height > 0) units = {width / 4, height / 8};
  }
  return units;
}

void Place(GtkWidget* fixed, GtkWidget* widget, const DialogUnits& units, int x, int y, int width,
           int height) {
  gtk_widget_set_size_request(widget, units.X(width), units.Y(height));
  gtk_fixed_put(GTK_FIXED(fixed), widget, units.X(x), units.Y(y));
}

using Action = void (*)(GtkChooserWindow&);

// The action travels with the button, the window as the signal's data.
void OnClicked(GtkWidget* button, GtkChooserWindow* window, Action action) {
  g_object_set_data(G_OBJECT(button), "velsor-action", reinterpret_cast<gpointer>(action));
  g_signal_connect(button, "clicked", G_CALLBACK(+[](GtkButton* clicked, gpointer data) {
                     const auto run = reinterpret_cast<Action>(
                         g_object_get_data(G_OBJECT(clicked), "velsor-action"));
                     run(*static_cast<GtkChooserWindow*>(data));
                   }),
                   window);
}

}  // namespace

GtkChooserWindow::GtkChooserWindow(ChooserHandlers& handlers, std::u16string requesterLine)
    : handlers_(handlers),
      requesterLine_(std::move(requesterLine)),
      rowIcon_(CertificateRowIcon()),
      loop_(g_main_loop_new(nullptr, FALSE)) {
  Build();
}

GtkChooserWindow::~GtkChooserWindow() = default;

void GtkChooserWindow::Build() {
  dialog_.reset(gtk_dialog_new());
  GtkWindow* window = GTK_WINDOW(dialog_.get());
  gtk_window_set_modal(window, TRUE);
  gtk_window_set_resizable(window, FALSE);
  gtk_window_set_position(window, GTK_WIN_POS_CENTER);
  gtk_window_set_title(window, "请选择您要用的证书");
  if (auto icon = ChooserWindowIcon()) gtk_window_set_icon(window, icon.get());

  const DialogUnits units = UnitsFor(dialog_.get());
  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, units.X(391), units.Y(209));
  GtkBox* content = GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog_.get())));
  if (!requesterLine_.empty()) {
    // A label of its own, in bold, first and outside the area whose texts the page sets.
    GtkWidget* requester = BoldLabel(Utf8(requesterLine_));
    gtk_widget_set_margin_top(requester, 8);
    gtk_widget_set_margin_start(requester, units.X(12));
    gtk_box_pack_start(content, requester, FALSE, FALSE, 0);
  }
  gtk_box_pack_start(content, fixed, TRUE, TRUE, 0);

  // In the resource's order, which is also the focus order.
  ok_ = gtk_button_new_with_label("确定");
  Place(fixed, ok_, units, 326, 17, 54, 14);
  gtk_widget_set_can_default(ok_, TRUE);
  cancel_ = gtk_button_new_with_label("取消");
  Place(fixed, cancel_, units, 326, 49, 54, 14);
  prompt_ = gtk_label_new("请在列表中选择证书:");
  gtk_label_set_xalign(GTK_LABEL(prompt_), 0);
  OneLineLabel(prompt_);
  gtk_widget_set_size_request(prompt_, units.X(305), -1);
  gtk_fixed_put(GTK_FIXED(fixed), prompt_, units.X(12), units.Y(6));

  rows_ = gtk_list_store_new(kColumnCount, GDK_TYPE_PIXBUF, G_TYPE_STRING, G_TYPE_STRING,
                             G_TYPE_STRING, G_TYPE_INT);
  list_ = gtk_tree_view_new_with_model(GTK_TREE_MODEL(rows_));
  g_object_unref(rows_);  // the list holds it from here on
  gtk_tree_selection_set_mode(gtk_tree_view_get_selection(GTK_TREE_VIEW(list_)),
                              GTK_SELECTION_SINGLE);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(scroller), list_);
  Place(fixed, scroller, units, 12, 17, 305, 118);

  view_ = gtk_button_new_with_label("查看");
  Place(fixed, view_, units, 326, 178, 54, 14);
  copyright_ = gtk_text_view_new();
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(copyright_), GTK_WRAP_NONE);
  GtkWidget* copyrightScroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(copyrightScroller), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(copyrightScroller), copyright_);
  Place(fixed, copyrightScroller, units, 12, 155, 305, 37);

  OnClicked(ok_, this, [](GtkChooserWindow& w) { w.handlers_.OnOk(w); });
  OnClicked(cancel_, this, [](GtkChooserWindow& w) { w.handlers_.OnCancel(w); });
  OnClicked(view_, this, [](GtkChooserWindow& w) { w.handlers_.OnView(w); });
  g_signal_connect(list_, "row-activated",
                   G_CALLBACK(+[](GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer data) {
                     auto* w = static_cast<GtkChooserWindow*>(data);
                     w->handlers_.OnDoubleClick(*w);
                   }),
                   this);
  // Escape, and the window's close button.
  g_signal_connect(dialog_.get(), "close", G_CALLBACK(+[](GtkDialog* dialog, gpointer data) {
                     g_signal_stop_emission_by_name(dialog, "close");
                     auto* w = static_cast<GtkChooserWindow*>(data);
                     w->handlers_.OnCancel(*w);
                   }),
                   this);
  g_signal_connect(dialog_.get(), "delete-event",
                   G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer data) -> gboolean {
                     auto* w = static_cast<GtkChooserWindow*>(data);
                     w->handlers_.OnCancel(*w);
                     return TRUE;
                   }),
                   this);
}

void GtkChooserWindow::Run() {
  handlers_.OnInitDialog(*this);
  if (closed_) return;
  gtk_widget_show_all(dialog_.get());
  gtk_widget_grab_default(ok_);
  if (!requesterLine_.empty()) deadline_.emplace([this] { handlers_.OnCancel(*this); });
  g_main_loop_run(loop_.get());
  deadline_.reset();
  gtk_widget_hide(dialog_.get());
}

void GtkChooserWindow::SetCaption(std::u16string_view caption) {
  gtk_window_set_title(GTK_WINDOW(dialog_.get()), Utf8(caption).c_str());
}

void GtkChooserWindow::SetPrompt(std::u16string_view prompt) {
  gtk_label_set_text(GTK_LABEL(prompt_), Utf8(prompt).c_str());
}

void GtkChooserWindow::SetButtonTexts(std::u16string_view ok, std::u16string_view cancel,
                                      std::u16string_view view) {
  for (const auto& [button, text] : {std::pair{ok_, ok}, {cancel_, cancel}, {view_, view}}) {
    gtk_button_set_label(GTK_BUTTON(button), Utf8(text).c_str());
    // The button keeps its place in the layout, however long the page's label.
    if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(button)); GTK_IS_LABEL(label)) {
      OneLineLabel(label);
    }
  }
}

void GtkChooserWindow::SetCopyright(std::u16string_view text) {
  const std::string utf8 = Utf8(text);
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(copyright_)), utf8.c_str(),
                           static_cast<gint>(utf8.size()));
}

void GtkChooserWindow::SetColumns(const ChooserRow& headers) {
  for (std::size_t i = 0; i < headers.size(); ++i) {
    GtkTreeViewColumn* column = gtk_tree_view_column_new();
    gtk_tree_view_column_set_title(column, Utf8(headers[i]).c_str());
    gtk_tree_view_column_set_sizing(column, GTK_TREE_VIEW_COLUMN_FIXED);
    gtk_tree_view_column_set_fixed_width(column, kColumnWidth);
    gtk_tree_view_column_set_alignment(column, 0.5);
    gtk_tree_view_column_set_clickable(column, TRUE);
    if (i == 0) {
      GtkCellRenderer* icon = gtk_cell_renderer_pixbuf_new();
      gtk_tree_view_column_pack_start(column, icon, FALSE);
      gtk_tree_view_column_add_attribute(column, icon, "pixbuf", kIcon);
    }
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    g_object_set(text, "xalign", 0.5, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
    gtk_tree_view_column_pack_start(column, text, TRUE);
    gtk_tree_view_column_add_attribute(column, text, "text", kSubject + static_cast<int>(i));
    g_object_set_data(G_OBJECT(column), "velsor-column", GINT_TO_POINTER(i));
    g_signal_connect(column, "clicked", G_CALLBACK(+[](GtkTreeViewColumn* clicked, gpointer data) {
                       auto* w = static_cast<GtkChooserWindow*>(data);
                       const auto index = static_cast<std::size_t>(
                           GPOINTER_TO_INT(g_object_get_data(G_OBJECT(clicked), "velsor-column")));
                       w->handlers_.OnColumnClick(*w, index);
                     }),
                     this);
    gtk_tree_view_append_column(GTK_TREE_VIEW(list_), column);
  }
}

void GtkChooserWindow::AddRow(const ChooserRow& cells, int itemData) {
  GtkTreeIter row;
  gtk_list_store_append(rows_, &row);
  gtk_list_store_set(rows_, &row, kIcon, rowIcon_.get(), kSubject, Utf8(cells[0]).c_str(), kIssuer,
                     Utf8(cells[1]).c_str(), kExpiry, Utf8(cells[2]).c_str(), kItemData, itemData,
                     -1);
}

std::vector<int> GtkChooserWindow::ItemDataInOrder() const {
  std::vector<int> order;
  GtkTreeIter row;
  for (gboolean more = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(rows_), &row); more;
       more = gtk_tree_model_iter_next(GTK_TREE_MODEL(rows_), &row)) {
    int itemData = 0;
    gtk_tree_model_get(GTK_TREE_MODEL(rows_), &row, kItemData, &itemData, -1);
    order.push_back(itemData);
  }
  return order;
}

void GtkChooserWindow::SortRows(const std::function<bool(int, int)>& less) {
  const std::vector<int> items = ItemDataInOrder();
  std::vector<int> newOrder(items.size());  // new position -> old position
  std::iota(newOrder.begin(), newOrder.end(), 0);
  std::stable_sort(newOrder.begin(), newOrder.end(),
                   [&](int a, int b) { return less(items[a], items[b]); });
  if (!newOrder.empty()) gtk_list_store_reorder(rows_, newOrder.data());
}

std::optional<int> GtkChooserWindow::SelectedItemData() const {
  GtkTreeModel* model = nullptr;
  GtkTreeIter row;
  if (!gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(list_)), &model,
                                       &row)) {
    return std::nullopt;
  }
  int itemData = 0;
  gtk_tree_model_get(model, &row, kItemData, &itemData, -1);
  return itemData;
}

std::u16string GtkChooserWindow::CellText(int itemData, std::size_t column) const {
  GtkTreeIter row;
  for (gboolean more = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(rows_), &row); more;
       more = gtk_tree_model_iter_next(GTK_TREE_MODEL(rows_), &row)) {
    int data = 0;
    gchar* text = nullptr;
    gtk_tree_model_get(GTK_TREE_MODEL(rows_), &row, kItemData, &data,
                       kSubject + static_cast<int>(column), &text, -1);
    const GString owned(text);
    if (data == itemData) return codepage::Utf8ToUtf16(owned ? owned.get() : "");
  }
  return {};
}

void GtkChooserWindow::ShowMessage(std::u16string_view text, std::u16string_view caption) {
  RunMessageBox(GTK_WINDOW(dialog_.get()), Utf8(text), Utf8(caption), !requesterLine_.empty());
}

void GtkChooserWindow::Close() {
  closed_ = true;
  g_main_loop_quit(loop_.get());
}

}  // namespace velsor::ui::gtk
