#include "store/IniFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringView>

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
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    file.close();
    return IniValue(DecodeIniText(bytes), section, key);
}

} // namespace Zt_typro
