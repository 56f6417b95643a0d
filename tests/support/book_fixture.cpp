#include "tests/support/book_fixture.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace lockmere::fixture {

std::string Collected() {
    // Codes 96 down to 46: distinct, inside 31-96, and each key code keeps
    // plain codes up to 159 within a byte.
    std::string s;
    for (int code = 96; s.size() < 51; --code) s.push_back(static_cast<char>(code));
    return s;
}

std::string KeyOf(std::string_view collected) { return std::string(collected.substr(6, 32)); }

static std::string Shift(std::string_view text, std::string_view key, int sign) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int code =
            static_cast<unsigned char>(text[i]) + sign * static_cast<unsigned char>(key.at(i % 32));
        if (code < 0 || code > 255) throw std::runtime_error("fixture text does not fit the key");
        out.push_back(static_cast<char>(code));
    }
    return out;
}

std::string Encipher(std::string_view plain, std::string_view key) { return Shift(plain, key, +1); }
std::string Decipher(std::string_view enciphered, std::string_view key) {
    return Shift(enciphered, key, -1);
}

std::string KeyFileBytes(std::string_view collected, std::string_view user,
                         std::string_view password) {
    std::string plain = std::string(user) + "#|^" + std::string(password);
    std::string block = Encipher(plain, KeyOf(collected));
    std::string bytes(collected);
    bytes.resize(std::max<std::size_t>(51, 44 + block.size()));
    bytes[43] = static_cast<char>(block.size());
    bytes.replace(44, block.size(), block);
    return bytes;
}

std::string StoreBytes(const std::vector<Fields>& records, std::string_view key) {
    std::string plain;
    for (const Fields& f : records) {
        plain += '\x7f';
        plain += f[0] + '\x14' + f[1] + '\x14' + f[2] + '\x14' + f[3];
        plain += '\x80';
    }
    return Encipher(plain, key);
}

std::vector<Fields> DecodeStore(std::string_view bytes, std::string_view key) {
    std::string plain = Decipher(bytes, key);
    std::vector<Fields> records;
    std::size_t pos = 0;
    while ((pos = plain.find('\x7f', pos)) != std::string::npos) {
        std::size_t end = plain.find('\x80', pos);
        if (end == std::string::npos) throw std::runtime_error("store entry without end marker");
        Fields f;
        std::size_t field = 0;
        for (std::size_t i = pos + 1; i < end; ++i) {
            if (plain[i] == '\x14' && field < 3)
                ++field;
            else
                f[field] += plain[i];
        }
        records.push_back(f);
        pos = end + 1;
    }
    return records;
}

void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write fixture " + path.string());
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace lockmere::fixture
