#pragma once

#include <QByteArray>
#include <QString>

namespace Zt_typro
{

/// Turns the bytes of a text file into text: UTF-16 when the file starts with a UTF-16 byte
/// order mark, UTF-8 when the bytes are valid UTF-8 (a UTF-8 byte order mark is dropped),
/// otherwise the GBK code page that Chinese Windows machines write.
QString DecodeIniText(const QByteArray& bytes);

/// The value of key in section of an ini text, read the way Windows reads ini files: section
/// and key names ignore letter case and surrounding blanks, the value loses its surrounding
/// blanks and one pair of enclosing quotes, lines starting with ";" are comments, and the first
/// section and key of a name count. Empty when the section or key is missing.
QString IniValue(const QString& text, const QString& section, const QString& key);

/// The largest ini file read: 1 MiB.
inline constexpr qint64 kMaxIniFileBytes = 1024 * 1024;

/// IniValue() of the file at path, decoded with DecodeIniText(). A missing or unreadable file,
/// or a folder, reads as empty; the file is only read, never created. Throws AppError for
/// anything but a regular file (a FIFO, a device such as /dev/zero, also behind a link), which
/// is never waited for, and for a file over kMaxIniFileBytes, which is not read beyond it.
QString ReadIniString(const QString& path, const QString& section, const QString& key);

} // namespace Zt_typro
