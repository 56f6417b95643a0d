#include "store/secret_text.h"

namespace lockmere {

void WipeText(std::string& text) {
    text.resize(text.capacity());  // room for the whole buffer, no new one
    volatile char* bytes = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = 0;
    text.clear();
}

}  // namespace lockmere
