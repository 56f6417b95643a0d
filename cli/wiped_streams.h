#pragma once

namespace lockmere::cli {

// Standard input and output go through buffers of the tool's own for its
// life, wiped when it goes (output flushed first): the C library's own
// would keep the typed master password and the printed records until the
// process ends. Output to a terminal is not buffered at all. Made before
// anything is read or written.
class WipedStreams {
public:
    WipedStreams();
    ~WipedStreams();
    WipedStreams(const WipedStreams&) = delete;
    WipedStreams& operator=(const WipedStreams&) = delete;
};

}  // namespace lockmere::cli
