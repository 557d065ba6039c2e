// The local browser without a window: the volumes, the entries of a local folder as
// rows, the current folder, and the path rules the other parts ask about. Local folder
// paths end in "/"; a volume's root path is a "drive root".
#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

struct LocalEntry {
    enum Kind { Volume, Folder, File };
    Kind kind = File;
    QString name;     // file or folder name; a volume's display name
    QString path;     // full path; folders and volumes end in "/"
    QString type;     // type name; "File Folder" for folders
    QString iconName; // the desktop's icon name for the type, "" when it has none
    // A file's size, time and type are found when first asked for (Local_Browse::
    // Complete): a folder of 100,000 files lists without 100,000 stat calls and type
    // lookups.
    bool stated = false;
    qint64 size = 0; // bytes (files only)
    QDateTime modified;

    bool isFolder() const { return kind != File; }
};

class Local_Browse {
public:
    static inline const QString kFolderType = QStringLiteral("File Folder");

    // The mounted, ready volumes with a real file system, "/" first. Empties the current
    // folder.
    QList<LocalEntry> ListDrives();
    // The entries of a folder, hidden and special entries left out, in directory order.
    // With asCurrent the folder becomes the current folder. A folder that cannot be read
    // gives no entries.
    QList<LocalEntry> ListFolder(const QString& path, bool asCurrent);

    QString CurrentFolder() const { return m_current; }
    void SetCurrentFolder(const QString& folder) { m_current = folder; }

    // True when the path names a volume root ("/" always).
    bool IsDriveRoot(const QString& path) const;

    // "/a/b/" and "/a/b" give "/a/"; "/" gives "".
    static QString ParentFolder(const QString& path);
    // The path without its final "/", except for "/".
    static QString StripTrailingSlash(const QString& path);
    // A folder path with its final "/".
    static QString WithTrailingSlash(const QString& path);
    // True when every path lies in the same folder (and there is at least one).
    static bool InOneFolder(const QStringList& paths);
    // The name part of a path ("/a/b/" gives "b").
    static QString NamePart(const QString& path);
    // Fills in the entry's size, modification time and type.
    static void Complete(LocalEntry& entry);
    // Renames a file or folder; false when the old path does not exist or the rename
    // fails.
    static bool Rename(const QString& oldPath, const QString& newPath);
    // The desktop folder, ending in "/".
    static QString DesktopFolder();

    // Texts of the list's columns.
    static QString SizeText(qint64 bytes);           // 512 gives "0.50"
    static QString ModifiedText(const QDateTime& t); // short date, a blank, long time

    // The type name and icon name of a file by its name: the MIME database's comment;
    // for a type it does not know, the extension upper-cased + " File".
    static void TypeOf(const QString& fileName, QString* type, QString* iconName);

private:
    QString m_current;
    QStringList m_volumeRoots{QStringLiteral("/")};
};
