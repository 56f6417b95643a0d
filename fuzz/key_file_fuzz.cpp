#include <string>

#include "fuzz/fuzz_input.h"
#include "store/key_file.h"

using namespace lockmere;

// Arbitrary key files through the start-up read and the login judgement;
// and key files built from the layout, whose own password must log in and
// whose every cut-short copy must read as damaged (or as the generator's
// bytes alone), never as a match.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::string_view typed = input.Piece();
    const std::string_view user = input.Piece();
    const std::string_view file = input.Rest();

    const KeyFileStart start = KeyFileStartFrom(std::string(file));
    fuzz::Expect((start.From == StartFrom::Welcome) == file.empty());
    fuzz::Expect(
        (start.From == StartFrom::MasterAccount) ==
        (file.size() == kCollectedLength &&
         static_cast<unsigned char>(file[kLengthBytePosition - 1]) >= kLowestCollectedCode));
    fuzz::Expect(start.EncryptionKey.size() ==
                 std::min<std::size_t>(kKeyLength, file.size() > 6 ? file.size() - 6 : 0));
    const LoginCheck check = JudgeLogin(file, start.EncryptionKey, typed);
    if (start.From != StartFrom::Login)
        fuzz::Expect(check.Outcome == LoginOutcome::NoMasterAccount);
    else if (file.size() < kLengthBytePosition ||
             file.size() <
                 kLengthBytePosition + static_cast<unsigned char>(file[kLengthBytePosition - 1]))
        fuzz::Expect(check.Outcome == LoginOutcome::Damaged);

    // A key file as the generator and the master account write it.
    if (file.size() < kCollectedLength ||
        user.find(kCredentialsSeparator) != std::string_view::npos)
        return 0;
    const std::string key = KeyFromCollected(file.substr(0, kCollectedLength));
    std::string plain(user);
    plain += kCredentialsSeparator;
    plain += typed;
    const CipherResult block = Encrypt(plain, key);
    if (!block.Ok() || plain.size() > kCredentialsLimit) return 0;
    std::string written(file.substr(0, kCollectedLength));
    written.resize(std::max(written.size(), kLengthBytePosition - 1 + 1 + block.Output.size()));
    written[kLengthBytePosition - 1] = static_cast<char>(block.Output.size());
    written.replace(kCredentialsPosition - 1, block.Output.size(), block.Output);
    fuzz::Expect(JudgeLogin(written, key, typed).Outcome == LoginOutcome::Match);
    const std::size_t whole = kCredentialsPosition - 1 + block.Output.size();
    // Cut to the generator's 51 bytes, a long block reads as no master
    // account yet: the next start asks for one, under the same key.
    for (std::size_t cut = kLengthBytePosition - 1; cut < whole; cut += 7)
        fuzz::Expect(JudgeLogin(written.substr(0, cut), key, typed).Outcome ==
                     (IsGeneratorOnly(written.substr(0, cut)) ? LoginOutcome::NoMasterAccount
                                                              : LoginOutcome::Damaged));
    return 0;
}
