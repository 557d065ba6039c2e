// Files for tests: bytes made from a seed, writing and reading whole files, and the
// files of a tree by relative path.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// size bytes of a fixed pseudo-random sequence for the seed.
QByteArray pattern(qint64 size, quint32 seed);
// Writes the file, making its folder first; a file that cannot be written fails the test.
void writeFile(const QString& path, const QByteArray& data);
// The file's bytes, or "<missing>".
QByteArray readFile(const QString& path);
// Every file below root (hidden ones too) with its bytes, by path relative to root.
QMap<QString, QByteArray> fileTree(const QString& root);
