#pragma once

#include "failure.h"

#include <QFile>
#include <QFileInfo>
#include <QString>

namespace Cli
{

// Opens the CSV file of a command (LinkCsvFile, SweepCsvFile) before the port opens, so that a
// file that cannot be written is refused before the module is touched. A file the attempt itself
// made is removed again on failure: a full disk leaves no empty file behind. UsageError names
// the file and the system's reason.
template <typename CsvFile> void openCsvTarget(CsvFile &file, const QString &path)
{
    const QFileInfo before(path);
    const bool existed = before.exists() || before.isSymLink();
    if (file.open(path))
        return;
    if (!existed)
        QFile::remove(path);
    fail(UsageError, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

} // namespace Cli
