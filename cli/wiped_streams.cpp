#include "cli/wiped_streams.h"

#include <cstdio>

#include "cli/console.h"
#include "store/secret_text.h"

namespace lockmere::cli {

namespace {

// Static: the streams keep them after the holder goes, should anything be
// written at the exit.
char input[BUFSIZ];
char output[BUFSIZ];

}  // namespace

WipedStreams::WipedStreams() {
    std::setvbuf(stdin, input, _IOFBF, sizeof input);
    if (OutputIsTerminal())
        std::setvbuf(stdout, nullptr, _IONBF, 0);
    else
        std::setvbuf(stdout, output, _IOFBF, sizeof output);
}

WipedStreams::~WipedStreams() {
    std::fflush(stdout);
    WipeBytes(input, sizeof input);
    WipeBytes(output, sizeof output);
}

}  // namespace lockmere::cli
