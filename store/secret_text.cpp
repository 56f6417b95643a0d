#include "store/secret_text.h"

namespace lockmere {

void WipeText(std::string& text) {
    text.resize(text.capacity());  // room for the whole buffer, no new one
    WipeBytes(text.data(), text.size());
    text.clear();
}

void WipeBytes(void* bytes, std::size_t size) {
    // Writes through a volatile pointer are kept, even just before a free.
    volatile unsigned char* each = static_cast<unsigned char*>(bytes);
    for (std::size_t i = 0; i < size; ++i) each[i] = 0;
}

SecretText& SecretText::operator=(const SecretText& other) {
    if (this != &other) {
        WipeText(*this);
        assign(other);
    }
    return *this;
}

SecretText& SecretText::operator=(SecretText&& other) noexcept {
    if (this != &other) {
        WipeText(*this);
        std::string::operator=(std::move(other));
        WipeText(other);
    }
    return *this;
}

void ScrubUnusedStack() {
    // Deeper than a window's paint and a decipher go, and well within the
    // smallest main-thread stack of the platforms (1 MiB).
    constexpr std::size_t kDepth = 256 * 1024;
    unsigned char below[kDepth];
    WipeBytes(below, kDepth);
}

}  // namespace lockmere
