#include "QueueFileLoad.h"

#include "AppPaths.h"
#include "QueueModel.h"

#include <QFile>
#include <QFileInfo>

QueueFileLoad LoadQueueFile(QueueModel& model, const QString& path) {
    QueueFileLoad result{QString(), path};
    QString error;
    if (!QFileInfo::exists(path) || model.load(path, &error)) return result;
    const QString keptAs = AppPaths::damagedCopyName(path);
    if (QFile::rename(path, keptAs)) {
        result.problem = QStringLiteral("The queue file \"%1\" could not be read whole (%2). It "
                                        "has been kept as \"%3\"; the items read before the "
                                        "damage are in the queue.")
                             .arg(path, error, keptAs);
        return result;
    }
    result.savePath = path + QStringLiteral(".recovered");
    result.problem = QStringLiteral("The queue file \"%1\" could not be read whole (%2) and "
                                    "could not be set aside; it is left as it is, and the "
                                    "queue is saved as \"%3\" instead.")
                         .arg(path, error, result.savePath);
    return result;
}
