// The clipboard without a display: one clip per unit, kept in memory.
#include "platform/headless/gui_headless.h"

#include <map>

namespace {
struct Clip {
    std::vector<std::uint8_t> iff;
    std::string text;
};
std::map<int, Clip> clips;
bool clip_failing;
} // namespace

bool gui_clip_write(int unit, const std::vector<std::uint8_t>& iff, const std::string& text) {
    if (clip_failing) return false;
    clips[unit] = {iff, text};
    return true;
}

bool gui_clip_read(int unit, std::vector<std::uint8_t>* iff, std::string* text) {
    if (clip_failing) return false;
    const auto it = clips.find(unit);
    *iff = it == clips.end() ? std::vector<std::uint8_t>{} : it->second.iff;
    *text = it == clips.end() ? std::string{} : it->second.text;
    return true;
}

void gui_headless_clip_put_text(int unit, const std::string& text) {
    clips[unit] = {{}, text};
}

void gui_headless_clip_fail(bool failing) {
    clip_failing = failing;
}

void gui_headless_clip_reset() {
    clips.clear();
    clip_failing = false;
}
