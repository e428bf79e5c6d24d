#include "core/hooks.h"

#include <vector>

static std::vector<void (*)()> points[static_cast<int>(CoreHook::count)];

void core_hook_add(CoreHook point, void (*hook)()) {
    points[static_cast<int>(point)].push_back(hook);
}

void core_hooks_run(CoreHook point) {
    for (void (*hook)() : points[static_cast<int>(point)])
        hook();
}

void core_hooks_clear() {
    for (auto& point : points)
        point.clear();
}

static bool nobody_holds_keys() {
    return false;
}
bool (*core_slow_keys_held)() = nobody_holds_keys;

static void type_nowhere(const unsigned char*, int) {}
void (*core_type_keys)(const unsigned char* text, int length) = type_nowhere;
