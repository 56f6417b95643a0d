#include "ui/window_registry.h"

#include <vector>

#include "ui/window.h"

namespace lockmere {

WindowRegistry::~WindowRegistry() {
    for (auto& [kind, window] : windows_) delete window.data();
}

Window* WindowRegistry::Lookup(std::type_index kind) const {
    auto it = windows_.find(kind);
    if (it == windows_.end() || it->second.isNull() || it->second->IsUnloaded()) return nullptr;
    return it->second.data();
}

void WindowRegistry::UnloadAllExcept(const Window* keep) {
    UnloadWhere([keep](const Window* window) { return window != keep; });
}

void WindowRegistry::UnloadForLock() {
    UnloadWhere([](const Window* window) { return window->ClosesOnLock(); });
}

void WindowRegistry::UnloadWhere(const std::function<bool(const Window*)>& chosen) {
    // Copied first: an unloaded window's Closed signal may open another.
    std::vector<QPointer<Window>> open;
    for (const auto& [kind, window] : windows_)
        if (window && chosen(window)) open.push_back(window);
    for (const QPointer<Window>& window : open)
        if (window) window->Unload();
}

void WindowRegistry::SetMain(Window* window) { main_ = window; }

Window* WindowRegistry::Main() const {
    Window* main = main_.data();
    return main && !main->IsUnloaded() ? main : nullptr;
}

}  // namespace lockmere
