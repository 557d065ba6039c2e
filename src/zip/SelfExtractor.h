// Turns a zip archive into a self-extracting program: the project's extractor stub with
// the archive appended, named as the archive with ".exe", executable; the archive goes
// once the program is written.
#pragma once

#include <QString>

namespace SelfExtractor {

enum Error { Ok = 0, NoStub = 1, CannotRead = 2, CannotWrite = 3 };

// The stub: $QUILLON_SFX_STUB, else "quillon-sfx" beside the program, else the one built
// with it; "" when none is there.
QString stubPath();
// 0 on success, with *program naming the new file; another Error when it fails, and
// then the archive stays and no program file is left.
int ConvertSFX(const QString& archive, QString* program, const QString& stub = stubPath());

} // namespace SelfExtractor
