// Queue and site files of any content: reading never faults, and what was read writes
// back to bytes that read as the same tree.
#include "TreeItemStream.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TreeRecord root;
    QString error;
    treestream::Read(bytes, root, &error);
    const QByteArray again = treestream::Write(root);
    TreeRecord second;
    if (!treestream::Read(again, second, &error)) std::abort();
    if (!(second == root) || treestream::Write(second) != again) std::abort();
    return 0;
}
