#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QSaveFile;

// The program's own small text files (settings file, stored configurations), read and written
// with the care that files a user may have replaced or that sit on a full disk need.

enum class SmallFileStatus {
    Read,       // bytes holds the whole file
    Missing,    // cannot be opened (does not exist, no permission)
    NotRegular, // a folder, a FIFO, a device or anything else that is not a plain file
    TooLarge,   // larger than the limit; nothing was read
    Failed,     // a read error
};

struct SmallFileRead {
    SmallFileStatus status = SmallFileStatus::Missing;
    QByteArray bytes;
    QString error; // the system's text when status is Missing or Failed
};

// Reads a regular file of at most limit bytes. Opening never blocks (a FIFO is refused, not
// waited on) and never reads more than limit + 1 bytes, whatever the file is.
SmallFileRead readSmallFile(const QString &path, qint64 limit);

// The bytes of a regular file up to its first line end (CR or LF), reading at most limit bytes;
// nothing when the file cannot be opened or is not a regular file.
std::optional<QByteArray> readFirstLine(const QString &path, qint64 limit);

// What a save does with a symbolic link at its path: write the file the link leads to (a file
// the user named), or put the file in the link's place and leave its target alone (the
// program's own files, which a link must not turn into a way to overwrite another file).
enum class LinkAtPath { Follow, Replace };

// Replaces the file at path by bytes so that it is either complete or the old file stays: every
// write, the flush and the commit are checked, and on any failure the new file is dropped.
// Returns the reason of a failure, or an empty text on success. An existing path that is not a
// regular file is not replaced (with Replace, a link is, whatever it leads to).
QString saveFileAtomically(const QString &path, const QByteArray &bytes,
                           LinkAtPath link = LinkAtPath::Follow);
// The same through a save file the caller made (tests pass one whose writes fail).
QString saveFileAtomically(QSaveFile &file, const QByteArray &bytes);
