#include "store/secret_text.h"

#include <doctest/doctest.h>

#include <string>

TEST_CASE("a wiped text leaves no byte of itself where it was") {
    // Short texts live inside the string object, longer ones on the heap;
    // both buffers stay the string's own, so they can be looked at after.
    for (const std::string& secret : {std::string("Pw8chars"), std::string(100, 'S')}) {
        CAPTURE(secret.size());
        std::string text = secret;
        const char* buffer = text.data();
        const std::size_t room = text.capacity();
        lockmere::WipeText(text);
        CHECK(text.empty());
        CHECK(text.data() == buffer);  // no other buffer took the text
        CHECK(std::string(buffer, room) == std::string(room, '\0'));
    }
}
