#include "store/secret_text.h"

#include <doctest/doctest.h>

#include <new>
#include <string>
#include <string_view>

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

TEST_CASE("a secret text leaves nothing of itself where it was") {
    using lockmere::SecretText;
    // Each way a secret text lets go of a short text, which lives inside
    // the object: the object's bytes afterwards hold nothing of it.
    const std::string secret = "Pw8chars";
    // Its tail: an assignment writes over the first bytes only.
    const std::string_view trace = "8chars";
    const auto holds = [&](const unsigned char* bytes, std::size_t size) {
        return std::string_view(reinterpret_cast<const char*>(bytes), size).find(trace) !=
               std::string_view::npos;
    };
    SUBCASE("destroyed") {
        alignas(SecretText) unsigned char storage[sizeof(SecretText)];
        auto* text = new (storage) SecretText(secret);
        REQUIRE(holds(storage, sizeof storage));
        text->~SecretText();
        CHECK(!holds(storage, sizeof storage));
    }
    SUBCASE("moved from") {
        SecretText text(secret);
        const SecretText taken = std::move(text);
        CHECK(taken == secret);
        CHECK(!holds(reinterpret_cast<const unsigned char*>(&text), sizeof text));
    }
    SUBCASE("assigned over") {
        SecretText text(secret);
        text = SecretText("x");
        CHECK(text == "x");
        CHECK(!holds(reinterpret_cast<const unsigned char*>(&text), sizeof text));
    }
}
