// The self-extracting program's stub: it reads the zip archive appended to its own file
// and extracts it into the folder given as its argument, or asked for. Every entry is
// checked before anything is written: a name that is absolute, holds "..", a backslash
// or a control character, a symbolic link, an encrypted entry or a method other than
// stored and deflate refuses the whole archive. Files are written without following
// links, each checked against its CRC.
#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Entry {
    std::string name;
    uint16_t method = 0, flags = 0;
    uint32_t crc = 0, external = 0;
    uint64_t compressed = 0, size = 0, offset = 0;
};

int fail(const std::string& why) {
    std::fprintf(stderr, "Self-extracting Archive: %s\n", why.c_str());
    return 1;
}

uint16_t u16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t u32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool readAt(int fd, uint64_t at, void* into, size_t n) {
    auto* p = static_cast<unsigned char*>(into);
    while (n > 0) {
        const ssize_t got = pread(fd, p, n, off_t(at));
        if (got <= 0) return false;
        p += got;
        at += uint64_t(got);
        n -= size_t(got);
    }
    return true;
}

// Why the name may not be extracted ("" when it may).
std::string unsafe(const std::string& name) {
    if (name.empty()) return "an entry without a name";
    if (name[0] == '/') return "an absolute path: " + name;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f) return "a name with a control character";
        if (c == '\\') return "a name with a backslash: " + name;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part == "..") return "a path leading out of the folder: " + name;
        if (part.empty() && end != name.size()) return "a name with an empty component: " + name;
        start = end + 1;
    }
    return {};
}

bool readDirectory(int fd, uint64_t fileSize, std::vector<Entry>& entries, std::string& why) {
    // The end record is in the last 64 KiB + 22 bytes.
    const uint64_t tail = fileSize < 65557 ? fileSize : 65557;
    std::vector<unsigned char> end(tail);
    if (tail < 22 || !readAt(fd, fileSize - tail, end.data(), tail)) {
        why = "no archive is attached to this program";
        return false;
    }
    size_t at = tail - 22 + 1;
    bool found = false;
    while (at-- > 0) {
        if (u32(&end[at]) == 0x06054b50) {
            found = true;
            break;
        }
    }
    if (!found) {
        why = "no archive is attached to this program";
        return false;
    }
    const uint64_t eocd = fileSize - tail + at;
    const uint16_t count = u16(&end[at + 10]);
    const uint32_t cdSize = u32(&end[at + 12]);
    const uint32_t cdOffset = u32(&end[at + 16]);
    if (uint64_t(cdSize) > eocd || uint64_t(cdOffset) > eocd - cdSize) {
        why = "the archive is damaged (its directory is out of place)";
        return false;
    }
    // The archive starts where its own offsets say, counted back from its directory.
    const uint64_t base = eocd - cdSize - cdOffset;
    std::vector<unsigned char> cd(cdSize);
    if (!readAt(fd, eocd - cdSize, cd.data(), cdSize)) {
        why = "the archive is damaged (its directory cannot be read)";
        return false;
    }
    size_t p = 0;
    for (uint16_t i = 0; i < count; ++i) {
        if (p + 46 > cd.size() || u32(&cd[p]) != 0x02014b50) {
            why = "the archive is damaged (a directory record is broken)";
            return false;
        }
        Entry e;
        e.flags = u16(&cd[p + 8]);
        e.method = u16(&cd[p + 10]);
        e.crc = u32(&cd[p + 16]);
        e.compressed = u32(&cd[p + 20]);
        e.size = u32(&cd[p + 24]);
        const size_t nameLength = u16(&cd[p + 28]), extra = u16(&cd[p + 30]),
                     comment = u16(&cd[p + 32]);
        e.external = u32(&cd[p + 38]);
        e.offset = base + u32(&cd[p + 42]);
        if (p + 46 + nameLength + extra + comment > cd.size()) {
            why = "the archive is damaged (a name runs past its directory)";
            return false;
        }
        e.name.assign(reinterpret_cast<const char*>(&cd[p + 46]), nameLength);
        if (e.name.find('\0') != std::string::npos) {
            why = "the archive holds a name with a NUL byte";
            return false;
        }
        p += 46 + nameLength + extra + comment;
        entries.push_back(std::move(e));
    }
    return true;
}

bool check(const std::vector<Entry>& entries, std::string& why) {
    for (const Entry& e : entries) {
        const std::string problem = unsafe(e.name);
        if (!problem.empty()) {
            why = "the archive holds " + problem;
            return false;
        }
        if (((e.external >> 16) & S_IFMT) == S_IFLNK) {
            why = "the archive holds a symbolic link: " + e.name;
            return false;
        }
        if (e.flags & 1) {
            why = "the archive holds an encrypted entry: " + e.name;
            return false;
        }
        if (e.method != 0 && e.method != 8) {
            why = "the archive holds an entry packed in an unknown way: " + e.name;
            return false;
        }
        if (e.compressed == 0xffffffffu || e.size == 0xffffffffu) {
            why = "the archive is too large for this program: " + e.name;
            return false;
        }
    }
    return true;
}

// Makes each folder of `relative` under root, refusing one that is a link.
bool makeFolders(const std::string& root, const std::string& relative, std::string& why) {
    size_t start = 0;
    std::string path = root;
    while (true) {
        const size_t slash = relative.find('/', start);
        if (slash == std::string::npos) return true;
        path += '/' + relative.substr(start, slash - start);
        if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            why = "cannot make the folder " + path + ": " + std::strerror(errno);
            return false;
        }
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            why = path + " is not a folder (a link or a file is in the way)";
            return false;
        }
        start = slash + 1;
    }
}

bool confirmReplace(const std::string& path) {
    if (!isatty(STDIN_FILENO)) return false;
    std::printf("%s exists. Replace it? (y/n) ", path.c_str());
    std::fflush(stdout);
    char answer[16] = {};
    return std::fgets(answer, sizeof answer, stdin) && (answer[0] == 'y' || answer[0] == 'Y');
}

bool extract(int fd, uint64_t fileSize, const Entry& e, const std::string& root, std::string& why) {
    if (!makeFolders(root, e.name, why)) return false;
    const std::string target = root + '/' + e.name;
    if (e.name.back() == '/') return true;
    unsigned char local[30];
    if (e.offset + 30 > fileSize || !readAt(fd, e.offset, local, 30) || u32(local) != 0x04034b50) {
        why = "the archive is damaged (the data of " + e.name + " is not where it should be)";
        return false;
    }
    uint64_t data = e.offset + 30 + u16(local + 26) + u16(local + 28);
    if (data > fileSize || e.compressed > fileSize - data) {
        why = "the archive is damaged (the data of " + e.name + " runs past its end)";
        return false;
    }
    struct stat st {};
    if (lstat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            why = target + " exists and is not a file";
            return false;
        }
        if (!confirmReplace(target)) {
            std::printf("Kept %s\n", target.c_str());
            return true;
        }
    }
    const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0644);
    if (out < 0) {
        why = "cannot write " + target + ": " + std::strerror(errno);
        return false;
    }
    z_stream z{};
    if (e.method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        close(out);
        why = "cannot start inflating " + e.name;
        return false;
    }
    std::vector<unsigned char> in(1 << 16), buffer(1 << 16);
    uint64_t left = e.compressed, written = 0;
    uLong crc = crc32(0, nullptr, 0);
    bool ok = true, ended = e.method == 0;
    const auto put = [&](const unsigned char* p, size_t n) {
        crc = crc32(crc, p, uInt(n));
        written += n;
        while (n > 0) {
            const ssize_t w = write(out, p, n);
            if (w <= 0) return false;
            p += w;
            n -= size_t(w);
        }
        return true;
    };
    while (ok && left > 0) {
        const size_t n = left < in.size() ? size_t(left) : in.size();
        if (!readAt(fd, data, in.data(), n)) {
            ok = false;
            why = "cannot read the data of " + e.name;
            break;
        }
        data += n;
        left -= n;
        if (e.method == 0) {
            ok = put(in.data(), n);
            continue;
        }
        z.next_in = in.data();
        z.avail_in = uInt(n);
        while (ok && z.avail_in > 0 && !ended) {
            z.next_out = buffer.data();
            z.avail_out = uInt(buffer.size());
            const int r = inflate(&z, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_STREAM_END) {
                ok = false;
                why = "the archive is damaged (the data of " + e.name + " does not inflate)";
                break;
            }
            ok = put(buffer.data(), buffer.size() - z.avail_out);
            if (written > e.size) {
                ok = false;
                why = "the archive is damaged (" + e.name + " is longer than it says)";
            }
            ended = r == Z_STREAM_END;
        }
    }
    if (e.method == 8) inflateEnd(&z);
    close(out);
    if (ok && (!ended || written != e.size || crc != e.crc)) {
        ok = false;
        why = "the archive is damaged (" + e.name + " does not check out)";
    }
    if (!ok) unlink(target.c_str());
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    std::string folder;
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("Usage: %s [FOLDER]\n"
                    "Extracts the archive this program carries into FOLDER (made when it does\n"
                    "not exist). Without FOLDER it asks for one.\n",
                    argv[0]);
        return 0;
    }
    if (argc > 1) {
        folder = argv[1];
    } else {
        std::printf("Self-extracting Archive\nExtract into folder: ");
        std::fflush(stdout);
        char line[4096] = {};
        if (!std::fgets(line, sizeof line, stdin)) return fail("no folder was given");
        folder = line;
        while (!folder.empty() && (folder.back() == '\n' || folder.back() == '\r'))
            folder.pop_back();
    }
    if (folder.empty()) return fail("no folder was given");
    const int fd = open("/proc/self/exe", O_RDONLY);
    if (fd < 0) return fail(std::string("cannot read this program: ") + std::strerror(errno));
    struct stat self {};
    fstat(fd, &self);
    std::vector<Entry> entries;
    std::string why;
    if (!readDirectory(fd, uint64_t(self.st_size), entries, why) || !check(entries, why))
        return fail(why);
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        return fail("cannot make the folder " + folder + ": " + std::strerror(errno));
    for (const Entry& e : entries) {
        if (!extract(fd, uint64_t(self.st_size), e, folder, why)) return fail(why);
    }
    std::printf("%zu entries extracted into %s\n", entries.size(), folder.c_str());
    return 0;
}
