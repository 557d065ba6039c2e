#include "SelfExtractor.h"

#include "ZipNaming.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace SelfExtractor {

QString stubPath() {
    const QString given = qEnvironmentVariable("QUILLON_SFX_STUB");
    QStringList candidates;
    if (!given.isEmpty()) candidates << given;
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + QStringLiteral("/quillon-sfx");
#ifdef QUILLON_SFX_BUILT
    candidates << QStringLiteral(QUILLON_SFX_BUILT);
#endif
    for (const QString& c : candidates) {
        if (QFileInfo(c).isFile()) return c;
    }
    return {};
}

int ConvertSFX(const QString& archive, QString* program, const QString& stub) {
    if (stub.isEmpty() || !QFileInfo(stub).isFile()) return NoStub;
    QFile head(stub), zip(archive);
    if (!head.open(QIODevice::ReadOnly) || !zip.open(QIODevice::ReadOnly)) return CannotRead;
    const QString target = ZipNaming::programName(archive);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) return CannotWrite;
    for (QFile* part : {&head, &zip}) {
        while (!part->atEnd()) {
            const QByteArray block = part->read(1 << 20);
            if (block.isEmpty() && !part->atEnd()) {
                out.cancelWriting();
                return CannotRead;
            }
            if (out.write(block) != block.size()) {
                out.cancelWriting();
                return CannotWrite;
            }
        }
    }
    if (!out.commit()) return CannotWrite;
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                      QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                      QFileDevice::ExeOther);
    zip.close();
    QFile::remove(archive);
    if (program) *program = target;
    return Ok;
}

} // namespace SelfExtractor
