#include "store/web_address.h"

#include <doctest/doctest.h>

#include <optional>
#include <string>

TEST_CASE("only web addresses reach the desktop's open") {
    const struct {
        const char* typed;
        std::optional<std::string> handed;
    } rows[] = {
        {"https://bank.example/login", "https://bank.example/login"},
        {"HTTP://BANK.EXAMPLE", "HTTP://BANK.EXAMPLE"},
        {"Https://shop.example/a b", "Https://shop.example/a b"},
        {"http://localhost:8080/", "http://localhost:8080/"},
        {"www.bank.example", "http://www.bank.example"},
        {"bank.example/login?next=/home#top", "http://bank.example/login?next=/home#top"},
        {"bank.example:8443/login", "http://bank.example:8443/login"},
        {"192.168.1.1/admin", "http://192.168.1.1/admin"},
        {"b\xc3\xbc"
         "cher.example",
         "http://b\xc3\xbc"
         "cher.example"},
        // A file's name reads as a host name: it goes to the browser as a
        // web site, never to the shell as a program.
        {"setup.exe", "http://setup.exe"},
        {"http://", std::nullopt},
        {"https:/bank.example", std::nullopt},
        {"file:///home/x/evil.sh", std::nullopt},
        {"/home/x/evil.sh", std::nullopt},
        {"~/evil.sh", std::nullopt},
        {"./evil.sh", std::nullopt},
        {"ms-msdt:/id PCWDiagnostic", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"android://com.bank.app", std::nullopt},
        {"mailto:me@bank.example", std::nullopt},
        {"C:\\Windows\\evil.exe", std::nullopt},
        {"\\\\server\\share\\setup.exe", std::nullopt},
        {"setup", std::nullopt},
        {"bank..example", std::nullopt},
        {".bank.example", std::nullopt},
        {"bank.example.", std::nullopt},
        {"-bank.example", std::nullopt},
        {"bank.example:", std::nullopt},
        {"bank.example:80a", std::nullopt},
        {"bank.example\\evil", std::nullopt},
        {"https://bank.example\n/evil", std::nullopt},
        {"", std::nullopt},
        {"N/A", std::nullopt},
    };
    for (const auto& row : rows) {
        CAPTURE(std::string(row.typed));
        CHECK(lockmere::WebAddress(row.typed) == row.handed);
    }
}
