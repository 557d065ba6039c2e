// Bytes from a control connection, in chunks of any size: the reader gives lines within
// its limits, and every reply value is read from them without a fault.
#include "FtpReply.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    FtpReplyReader reader;
    reader.setAcceptLF(data[0] & 1);
    const size_t chunk = 1 + data[1] % 64;
    size_t at = 2;
    while (at < size) {
        const int room = reader.room();
        if (room <= 0) break;
        const size_t n = std::min({chunk, size - at, size_t(room)});
        reader.append(reinterpret_cast<const char*>(data + at), int(n));
        at += n;
        if (data[at - 1] == 0xff) reader.commandSent();
        for (;;) {
            FtpReplyReader::Line line;
            const FtpReplyReader::Result r = reader.next(line);
            if (r != FtpReplyReader::Result::Line) break;
            // A line never holds its own end: no LF with AcceptLF, no CR LF without.
            if ((data[0] & 1) ? line.text.contains(u'\n')
                              : line.text.contains(QLatin1String("\r\n")))
                std::abort();
            int port = 0;
            if (FtpReply::passivePort(line.text, port) && (port < 0 || port > 65535)) std::abort();
            if (FtpReply::size(line.text) < -1) std::abort();
            if (FtpReply::announcedSize(line.text) < -1) std::abort();
            if (FtpReply::quotedPath(line.text).size() > line.text.size()) std::abort();
            if (line.final != FtpReply::isFinal(line.text)) std::abort();
        }
    }
    return 0;
}
