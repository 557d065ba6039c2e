#include "TreeItemStream.h"

#include "AppPaths.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace treestream {

namespace {

class Writer {
public:
    explicit Writer(QByteArray& out) : m_out(out) {}

    void u8(uint8_t v) { m_out.append(char(v)); }
    void i32(int32_t v) {
        const uint32_t u = uint32_t(v);
        const char b[4] = {char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
        m_out.append(b, 4);
    }
    void u16(uint16_t v) {
        const char b[2] = {char(v), char(v >> 8)};
        m_out.append(b, 2);
    }
    void text(const QByteArray& t) {
        i32(int32_t(t.size()));
        m_out.append(t);
    }

    void block(const TreeItemState& s) {
        u16(s.flags & ~uint16_t(TreeItemState::Focused));
        u16(0);
        i32(s.imageIndex);
        i32(s.stateImageIndex);
        i32(s.forceButtons);
        i32(s.textColour);
        i32(s.rowBackgroundColour);
        i32(s.backgroundColour);
        for (uint8_t b : {s.parentColours, s.parentStyle, s.checkBoxEnabled, s.checkBoxState,
                          s.showCheckBox, s.checkBoxType}) {
            u8(b);
        }
        u16(0);
        i32(s.secondImageIndex);
        i32(s.secondStateImageIndex);
        u8(s.enabled);
        u8(s.hidden);
        u8(s.useBackgroundColour);
        u8(0);
    }

    void record(const TreeRecord& r) {
        i32(kVersionMarker);
        text(r.text);
        block(r.state);
        u8(r.state.useBackgroundColour);
        i32(-1);
        text(r.hint);
        i32(int32_t(r.columns.size()));
        for (const QByteArray& c : r.columns)
            text(c);
        u8(0); // no cell styles
        i32(int32_t(r.children.size()));
        for (const TreeRecord& child : r.children)
            record(child);
    }

private:
    QByteArray& m_out;
};

struct Damage {
    QString message;
};

class Reader {
public:
    explicit Reader(const QByteArray& in)
        : m_p(in.constData()), m_end(in.constData() + in.size()), m_begin(m_p) {}

    // Reads a record with all its children. A record joins its parent only once its
    // own fields are complete, so a damaged file leaves no half-read item behind.
    void record(TreeRecord& r, int depth) { children(r, fields(r), depth); }

private:
    // The record's own fields; returns its number of children.
    int32_t fields(TreeRecord& r) {
        int32_t v = i32();
        const bool marked = v < 0;
        if (marked) {
            if (v != kVersionMarker) fail(QStringLiteral("unknown record version %1").arg(v));
            v = i32();
        }
        r.text = bytes(v, "main text");
        if (marked) {
            block(r.state);
            u8(); // superseded by the block's own use-background-colour byte
        }
        int32_t k = i32();
        if (k == -1) {
            r.hint = bytes(i32(), "hint text");
            k = i32();
        }
        if (k < 0) fail(QStringLiteral("negative number of column texts (%1)").arg(k));
        need(qint64(k) * 4, "column texts");
        r.columns.reserve(k);
        for (int32_t i = 0; i < k; ++i)
            r.columns.append(bytes(i32(), "column text"));
        if (marked && u8() != 0) fail(QStringLiteral("cell styles are not supported"));
        const int32_t c = i32();
        if (c < 0) fail(QStringLiteral("negative number of child items (%1)").arg(c));
        return c;
    }

    void children(TreeRecord& r, int32_t count, int depth) {
        if (count > 0 && depth >= kMaxDepth)
            fail(QStringLiteral("items are nested more than %1 levels deep").arg(kMaxDepth));
        // Every child record takes at least 12 bytes; a count the file cannot hold must not
        // allocate, but the children that are there are still read.
        r.children.reserve(size_t(std::min<qint64>(count, (m_end - m_p) / 12)));
        for (int32_t i = 0; i < count; ++i) {
            TreeRecord child;
            const int32_t grandchildren = fields(child);
            r.children.push_back(std::move(child));
            children(r.children.back(), grandchildren, depth + 1);
        }
    }

    [[noreturn]] void fail(const QString& what) {
        throw Damage{QStringLiteral("%1 at byte %2").arg(what).arg(m_p - m_begin)};
    }

    void need(qint64 n, const char* what) {
        if (n > m_end - m_p) {
            fail(QStringLiteral("the file ends inside the %1 (%2 bytes needed, %3 left)")
                     .arg(QLatin1String(what))
                     .arg(n)
                     .arg(m_end - m_p));
        }
    }

    uint8_t u8() {
        need(1, "item record");
        return uint8_t(*m_p++);
    }
    uint16_t u16() {
        need(2, "item record");
        const auto* b = reinterpret_cast<const unsigned char*>(m_p);
        m_p += 2;
        return uint16_t(b[0] | (b[1] << 8));
    }
    int32_t i32() {
        need(4, "item record");
        const auto* b = reinterpret_cast<const unsigned char*>(m_p);
        m_p += 4;
        return int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
                       (uint32_t(b[3]) << 24));
    }
    QByteArray bytes(int32_t n, const char* what) {
        if (n < 0)
            fail(QStringLiteral("negative length %1 of a %2").arg(n).arg(QLatin1String(what)));
        need(n, what);
        QByteArray b(m_p, n);
        m_p += n;
        return b;
    }

    void block(TreeItemState& s) {
        need(kBlockSize, "state block");
        s.flags = u16() & ~uint16_t(TreeItemState::Focused | TreeItemState::Selected);
        u16();
        s.imageIndex = i32();
        s.stateImageIndex = i32();
        s.forceButtons = i32();
        s.textColour = i32();
        s.rowBackgroundColour = i32();
        s.backgroundColour = i32();
        s.parentColours = u8();
        s.parentStyle = u8();
        s.checkBoxEnabled = u8();
        s.checkBoxState = u8();
        s.showCheckBox = u8();
        s.checkBoxType = u8();
        u16();
        s.secondImageIndex = i32();
        s.secondStateImageIndex = i32();
        s.enabled = u8();
        s.hidden = u8();
        s.useBackgroundColour = u8();
        u8();
    }

    const char* m_p;
    const char* m_end;
    const char* m_begin;
};

} // namespace

QByteArray Write(const TreeRecord& root) {
    QByteArray out;
    Writer(out).record(root);
    return out;
}

bool Read(const QByteArray& data, TreeRecord& root, QString* error) {
    root = TreeRecord();
    try {
        Reader(data).record(root, 0);
    } catch (const Damage& d) {
        if (error) *error = d.message;
        return false;
    }
    return true;
}

bool SaveFile(const TreeRecord& root, const QString& path, QString* error) {
    QSaveFile file(path);
    // Queue files and "sites.usm" hold passwords: readable by their owner only.
    const bool opened =
        file.open(QIODevice::WriteOnly) && file.setPermissions(AppPaths::kOwnerOnlyFile);
    if (!opened || file.write(Write(root)) < 0 || !file.commit()) {
        if (error) *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool LoadFile(TreeRecord& root, const QString& path, QString* error) {
    root = TreeRecord();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString());
        return false;
    }
    QString damage;
    if (!Read(file.readAll(), root, &damage)) {
        if (error) *error = QStringLiteral("\"%1\" is damaged: %2").arg(path, damage);
        return false;
    }
    return true;
}

} // namespace treestream
