#include "store/user_sid_windows.h"

#include <windows.h>

#include <cstring>

namespace lockmere {

namespace {

std::vector<unsigned char> TokenUserSid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    const bool known = size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size);
    CloseHandle(token);
    if (!known) return {};
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
    std::vector<unsigned char> bytes(GetLengthSid(sid));
    std::memcpy(bytes.data(), sid, bytes.size());
    return bytes;
}

}  // namespace

std::vector<unsigned char> CurrentUserSid() {
    // A process's user never changes: asked once, not at every file read.
    static const std::vector<unsigned char> sid = TokenUserSid();
    return sid;
}

}  // namespace lockmere
