#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lockmere {

// Overwrites every byte a string holds or has room for, the buffer inside
// the object (short texts) too, in a way the optimiser keeps, and leaves it
// empty: for a secret that is no longer needed, before its memory goes
// back to the heap, where nothing would clear it.
void WipeText(std::string& text);

// The same for bytes of any kind.
void WipeBytes(void* bytes, std::size_t size);

// A string that holds a secret: its buffer is wiped when it goes, is moved
// from or is assigned over; a plain std::string wherever one is read.
// Growing past its capacity leaves the old buffer to the heap unwiped, so
// whoever appends to one reserves the room first.
class SecretText : public std::string {
public:
    SecretText() = default;
    // Implicit, as std::string's own are: a secret is made from any text.
    SecretText(std::string text) : std::string(std::move(text)) {}
    SecretText(std::string_view text) : std::string(text) {}
    SecretText(const char* text) : std::string(text) {}
    SecretText(const SecretText& other) = default;
    SecretText(SecretText&& other) noexcept : std::string(std::move(other)) { WipeText(other); }
    SecretText& operator=(const SecretText& other);
    SecretText& operator=(SecretText&& other) noexcept;
    ~SecretText() { WipeText(*this); }
};

// Overwrites the stack below the caller's frame, as deep as the program's
// handlers reach: functions that have returned leave what they held there,
// a typed password or a deciphered record, until another call reaches as
// deep. For the moments a secret's use ends (a logout, a lock, the end of
// a command), called from as shallow a frame as can be.
void ScrubUnusedStack();

}  // namespace lockmere
