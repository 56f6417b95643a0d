#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lockmere::fuzz {

// Takes the input apart: a length byte, then that many bytes, in turn.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    std::string_view Piece() {
        if (rest_.empty()) return {};
        const std::size_t length =
            std::min<std::size_t>(static_cast<unsigned char>(rest_[0]), rest_.size() - 1);
        const std::string_view piece = rest_.substr(1, length);
        rest_.remove_prefix(1 + length);
        return piece;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

// Dies loudly, so that libFuzzer keeps the input.
inline void Expect(bool holds) {
    if (!holds) __builtin_trap();
}

}  // namespace lockmere::fuzz
