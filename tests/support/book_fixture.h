#pragma once

// Data files built byte by byte from their documented layout, with a cipher
// written here independently of the program's own, so that tests check the
// program against the format rather than against itself.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lockmere::fixture {

using Fields = std::array<std::string, 4>;  // name, URL, user name, password

// 51 distinct codes from 31 to 96; characters 7-38 are the key.
std::string Collected();
std::string KeyOf(std::string_view collected);

// Shift by key code, key position restarting at 1 and cycling every 32.
std::string Encipher(std::string_view plain, std::string_view key);
std::string Decipher(std::string_view enciphered, std::string_view key);

// max(51, 44 + L) bytes: collected string, length byte at 44, block from 45.
std::string KeyFileBytes(std::string_view collected, std::string_view user,
                         std::string_view password);
// One enciphered run of 127 name 20 url 20 user 20 password 128 entries.
std::string StoreBytes(const std::vector<Fields>& records, std::string_view key);
// The entries of a store file (deciphered with the key), fields split at 20.
std::vector<Fields> DecodeStore(std::string_view bytes, std::string_view key);

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);

}  // namespace lockmere::fixture
