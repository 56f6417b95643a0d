#pragma once

#include <QPointer>
#include <functional>
#include <map>
#include <typeindex>
#include <utility>

namespace lockmere {

class Window;
struct Context;

// At most one window of each kind. Open<W>() gives the open window, or
// creates it (not yet loaded or shown) when there is none; what a window
// is opened with reaches only a new one. A window that has been unloaded
// no longer counts as open.
class WindowRegistry {
public:
    WindowRegistry() = default;
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;
    // Deletes the windows that are still there when the program ends.
    ~WindowRegistry();

    template <class W>
    W* Find() const {
        return static_cast<W*>(Lookup(std::type_index(typeid(W))));
    }

    template <class W, class... Args>
    W* Open(Context& context, Args&&... args) {
        if (W* open = Find<W>()) return open;
        W* created = new W(context, std::forward<Args>(args)...);
        windows_[std::type_index(typeid(W))] = created;
        return created;
    }

    // The window the program is run from; others may minimize it. Null
    // once it is closed.
    void SetMain(Window* window);
    Window* Main() const;

    // Unloads every open window except `keep`, running none of their
    // handlers: the program is ending.
    void UnloadAllExcept(const Window* keep);
    // Unloads every open window that closes when the book locks, as its
    // close box would close it but without asking: nothing of it is saved.
    void UnloadForLock();

private:
    Window* Lookup(std::type_index kind) const;
    void UnloadWhere(const std::function<bool(const Window*)>& chosen);

    std::map<std::type_index, QPointer<Window>> windows_;
    QPointer<Window> main_;
};

}  // namespace lockmere
