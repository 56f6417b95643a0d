#pragma once

#include <QPointer>
#include <map>
#include <typeindex>

namespace lockmere {

class Window;
struct Context;

// At most one window of each kind. Open<W>() gives the open window, or
// creates it (not yet loaded or shown) when there is none.
class WindowRegistry {
public:
    template <class W>
    W* Find() const {
        auto it = windows_.find(std::type_index(typeid(W)));
        if (it == windows_.end() || it->second.isNull()) return nullptr;
        return static_cast<W*>(it->second.data());
    }

    template <class W>
    W* Open(Context& context) {
        if (W* open = Find<W>()) return open;
        W* created = new W(context);
        windows_[std::type_index(typeid(W))] = created;
        return created;
    }

    // Unloads every open window except `keep`, running none of their
    // handlers: the program is ending.
    void UnloadAllExcept(const Window* keep);

private:
    std::map<std::type_index, QPointer<Window>> windows_;
};

}  // namespace lockmere
