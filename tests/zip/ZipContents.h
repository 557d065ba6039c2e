// What a zip archive holds, read with libzip: each entry's name and bytes, in order.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <zip.h>

inline QList<QPair<QString, QByteArray>> zipContents(const QString& archive) {
    QList<QPair<QString, QByteArray>> out;
    zip_t* z = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, nullptr);
    if (!z) return {{QStringLiteral("<cannot open>"), {}}};
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        QByteArray data(qsizetype(st.size), '\0');
        if (st.size > 0) {
            zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
            zip_fread(f, data.data(), st.size);
            zip_fclose(f);
        }
        out.append({QString::fromUtf8(st.name), data});
    }
    zip_close(z);
    return out;
}
