// The site tree: folders, sites and bookmarks, kept in memory and mirrored to the
// site file after every change. Entries are addressed by their absolute index, the
// position in a depth-first, parent-before-children walk; the root folder is 0.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

enum class SiteKind { Folder = 0, Site = 1, Bookmark = 2 };

// Column texts of a site or bookmark.
enum SiteColumn {
    ColHost,
    ColUser,
    ColPassword,
    ColPort,
    ColLocalDir,
    ColRemoteDir,
    kSiteColumnCount
};

struct SiteEntry {
    // Names the entry for as long as the program runs, whatever is inserted before it or
    // moved; not stored in the file.
    const uint64_t id = nextId();
    QString label;
    SiteKind kind = SiteKind::Folder;
    QStringList columns; // six texts for a site or bookmark, none for a folder
    uint16_t displayFlags = 0;
    SiteEntry* parent = nullptr; // null for the top-level entries
    std::vector<std::unique_ptr<SiteEntry>> children;

    static uint64_t nextId() {
        static uint64_t last = 0;
        return ++last;
    }
};

// What a double-click on a site or bookmark connects with, defaults filled in.
struct SiteConnection {
    QString host, user, password, port, remoteDir, localDir;
    int siteIndex = -1;
    uint64_t siteId = 0; // the site's entry id, which stays when entries come and go
};

class SiteTree {
public:
    static inline const QString kFileName = QStringLiteral("sites.usm");
    static inline const QString kRootLabel = QStringLiteral("FTP Sites");

    explicit SiteTree(QString filePath);

    struct LoadResult {
        bool created = false; // no file existed; a new one was written
        QString error;        // the file was damaged (or could not be read or written)
        QString keptAs;       // where the damaged file was kept
    };
    // Reads the site file. A missing file gives the root folder and a new file; a file
    // without entries gives the root folder; a damaged file is kept under another name
    // and the tree starts again from the root folder.
    LoadResult load();
    // Reads the site file as it is, changing nothing on disk; false (and the reason) when
    // it cannot be read. A missing or empty file gives the root folder.
    bool read(QString* error = nullptr);
    bool save();
    QString lastError() const { return m_lastError; }
    QString filePath() const { return m_path; }

    int count() const;
    SiteEntry* entryAt(int absoluteIndex) const;
    int indexOf(const SiteEntry* entry) const;
    // The entry's absolute index by its id; -1 when it is gone.
    int indexOfId(uint64_t id) const;
    const std::vector<std::unique_ptr<SiteEntry>>& topLevel() const { return m_top; }

    // Appends a site (isSite) or bookmark under the entry at parentIndex and saves.
    // Returns the new entry's absolute index, -1 when parentIndex names no entry.
    int addEntry(const QString& label, int parentIndex, const QString& host, const QString& user,
                 const QString& password, const QString& port, const QString& localDir,
                 const QString& remoteDir, bool isSite);
    // Appends a folder under parentIndex (-1: at the top level) and saves.
    int addFolder(const QString& label, int parentIndex);
    // Replaces a site's or bookmark's label and column texts and saves.
    bool updateEntry(int index, const QString& label, const QStringList& columns);
    bool rename(int index, const QString& label);

    enum class DeleteResult { Deleted, NoEntry, IsRoot };
    DeleteResult remove(int index);

    bool canDrop(int source, int target) const;
    bool move(int source, int target);

    std::optional<SiteConnection> connection(int index) const;

private:
    void resetToRoot();

    QString m_path;
    QString m_lastError;
    std::vector<std::unique_ptr<SiteEntry>> m_top;
};
