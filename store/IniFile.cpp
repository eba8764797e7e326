#include "store/IniFile.h"

#include "common/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringView>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Zt_typro
{
namespace
{
bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QStringView unquoted(QStringView value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}
} // namespace

QString DecodeIniText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16(bytes.sliced(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16BE);
        return utf16(bytes.sliced(2));
    }
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(body);
    if (!utf8.hasError())
        return text;

    QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
    if (gbk.isValid())
        return gbk(body);
    return text; // no GBK converter on this system: UTF-8 with replacement characters
}

QString IniValue(const QString& text, const QString& section, const QString& key)
{
    bool inSection = false;
    bool sectionSeen = false;
    const QStringView all(text);
    qsizetype start = 0;
    while (start <= all.size()) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0)
            end = all.size();
        const QStringView line = all.mid(start, end - start).trimmed();
        start = end + 1;

        if (line.isEmpty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            if (inSection)
                return QString(); // the first section of that name ends without the key
            qsizetype close = line.indexOf(u']');
            if (close < 0)
                close = line.size();
            const QStringView name = line.mid(1, close - 1).trimmed();
            inSection = !sectionSeen && sameName(name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const QStringView name = (eq < 0 ? line : line.left(eq)).trimmed();
        if (!sameName(name, key))
            continue;
        if (eq < 0)
            return QString();
        return unquoted(line.mid(eq + 1).trimmed()).toString();
    }
    return QString();
}

QString ReadIniString(const QString& path, const QString& section, const QString& key)
{
    QFile file(path);
#ifdef Q_OS_UNIX
    // Opened without waiting (a FIFO would block the open until something writes to it), then
    // judged by what was opened, so a file swapped in after a check cannot slip through.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return QString();
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return QString();
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw AppError(QStringLiteral("付款人信息文件 %1 不是普通文件，没有读取。请换成一个普通的文本文件。")
                           .arg(QDir::toNativeSeparators(path)));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QString();
    }
#else
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return QString();
    if (!QFileInfo(path).isFile())
        throw AppError(QStringLiteral("付款人信息文件 %1 不是普通文件，没有读取。请换成一个普通的文本文件。")
                           .arg(QDir::toNativeSeparators(path)));
#endif
    // Read one byte more than allowed, to tell a file at the limit from a longer one.
    const QByteArray bytes = file.read(kMaxIniFileBytes + 1);
    file.close();
    if (bytes.size() > kMaxIniFileBytes)
        throw AppError(QStringLiteral("付款人信息文件 %1 超过 1 MB，没有读取。请检查该文件是否正确。")
                           .arg(QDir::toNativeSeparators(path)));
    return IniValue(DecodeIniText(bytes), section, key);
}

} // namespace Zt_typro
