#include "gui/dialog_parts.h"

#include "display/host.h"
#include "gui/images.h"
#include "input/keys.h"
#include "platform/catalog.h"

namespace {
constexpr int IMAGE_OK = 37, IMAGE_CANCEL = 38, IMAGE_RESET = 39;
constexpr int RAW_R = 0x13, RAW_O = 0x18, RAW_C = 0x33;
} // namespace

GuiNode gui_node(GuiKind kind, int gid) {
    GuiNode n;
    n.kind = kind;
    n.gid = gid;
    return n;
}

GuiNode gui_label(const std::string& text) {
    GuiNode n = gui_node(GK_LABEL);
    n.text = text;
    return n;
}

GuiNode gui_group(GuiKind kind, const std::string& title) {
    GuiNode n = gui_node(kind);
    n.text = title;
    n.framed = !title.empty();
    return n;
}

GuiNode gui_node(GuiKind kind, int gid, std::string text) {
    GuiNode n = gui_node(kind, gid);
    n.text = std::move(text);
    return n;
}

GuiNode gui_group(GuiKind kind, std::vector<GuiNode> children, const char* frame) {
    GuiNode g = gui_group(kind, frame ? frame : "");
    g.children = std::move(children);
    return g;
}

GuiNode gui_text_button(int gid, int number, const char* english, int image) {
    GuiNode b = gui_node(GK_BUTTON, gid);
    b.text = cat_str(number, english);
    if (image) b.image = gui_image(image);
    b.weight = 1;
    return b;
}

GuiNode gui_reset_ok_cancel(int reset_gid, int ok_gid, int cancel_gid, bool reset_alone) {
    GuiNode ok_cancel = gui_group(GK_HGROUP);
    ok_cancel.children = {gui_text_button(ok_gid, 765, "_OK", IMAGE_OK),
                          gui_text_button(cancel_gid, 136, "_Cancel", IMAGE_CANCEL)};
    if (!reset_gid) return ok_cancel;
    GuiNode reset = gui_text_button(reset_gid, 148, "_Reset to defaults", IMAGE_RESET);
    if (!reset_alone) {
        ok_cancel.children.insert(ok_cancel.children.begin(), reset);
        return ok_cancel;
    }
    GuiNode rows = gui_group(GK_VGROUP);
    rows.children = {reset, ok_cancel};
    return rows;
}

DialogKey gui_dialog_key(int code, bool letters) {
    switch (code) {
    case RAW_ENTER:
    case RAW_RETURN:
        return DialogKey::OK;
    case RAW_ESC:
        return DialogKey::CANCEL;
    case RAW_R:
        return letters ? DialogKey::RESET : DialogKey::NONE;
    case RAW_O:
        return letters ? DialogKey::OK : DialogKey::NONE;
    case RAW_C:
        return letters ? DialogKey::CANCEL : DialogKey::NONE;
    default:
        return DialogKey::NONE;
    }
}

GuiNode gui_legend(const std::vector<LegendRow>& rows) {
    GuiNode g = gui_group(GK_VGROUP, cat_str(633, "Legend"));
    for (std::size_t i = 0; i < rows.size(); i++) {
        GuiNode b = gui_node(GK_STRING, GID_LEGEND_FIRST + static_cast<int>(i));
        b.readonly = true;
        b.text = rows[i].text;
        g.children.push_back(b);
    }
    GuiNode rest = gui_node(GK_SPACE);
    rest.weight = 1;
    g.children.push_back(rest);
    return g;
}

void gui_legend_paint(int win, const std::vector<LegendRow>& rows) {
    for (std::size_t i = 0; i < rows.size(); i++)
        gui_set_background(win, GID_LEGEND_FIRST + static_cast<int>(i),
                           static_cast<int>(display_extra_pen_rgb(rows[i].pen)));
}
