#include "tests/support/PdfWords.h"

#include "print/PrintForm.h"
#include "print/Report.h"

#include <QFile>
#include <QFont>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

namespace
{
constexpr double kMmPerPoint = 25.4 / 72.0;

// Qt's PDF writer gives each embedded glyph, in the ToUnicode table, the lowest code point that
// the font maps to it. The Noto CJK faces draw a Kangxi radical and its ideograph with one glyph
// (U+2F24 ⼤ and U+5927 大), so pdftotext reads "大写" back as "⼤写". The printed page is right;
// this maps each radical back to the ideograph that shares its glyph in the faces the program
// prints with, so tests can compare the texts they expect.
const QHash<uint, uint>& radicalsToIdeographs()
{
    static const QHash<uint, uint> map = [] {
        QHash<uint, uint> m;
        for (const char* family : {"Noto Serif CJK SC", "Noto Sans CJK SC"}) {
            QFont font(QString::fromLatin1(family));
            font.setPixelSize(100);
            const QRawFont raw = QRawFont::fromFont(font);
            if (!raw.isValid())
                continue;
            QHash<quint32, uint> ideographOfGlyph;
            for (char32_t c = 0x4E00; c <= 0x9FFF; ++c) {
                const QString text = QString::fromUcs4(&c, 1);
                const QList<quint32> glyphs = raw.glyphIndexesForString(text);
                if (glyphs.size() == 1 && glyphs.first() != 0 && !ideographOfGlyph.contains(glyphs.first()))
                    ideographOfGlyph.insert(glyphs.first(), c);
            }
            for (char32_t r = 0x2E80; r <= 0x2FDF; ++r) {
                const QList<quint32> glyphs = raw.glyphIndexesForString(QString::fromUcs4(&r, 1));
                if (glyphs.size() == 1 && ideographOfGlyph.contains(glyphs.first()) && !m.contains(r))
                    m.insert(r, ideographOfGlyph.value(glyphs.first()));
            }
        }
        return m;
    }();
    return map;
}

QString ideographText(const QString& text)
{
    const auto& map = radicalsToIdeographs();
    QString mapped;
    for (const uint c : text.toUcs4()) {
        const char32_t ideograph = map.value(c, c);
        mapped.append(QString::fromUcs4(&ideograph, 1));
    }
    return mapped;
}

double mmAttribute(const QXmlStreamAttributes& attributes, const char* name)
{
    return attributes.value(QLatin1String(name)).toDouble() * kMmPerPoint;
}
} // namespace

QList<PdfWord> PdfPage::find(const QString& text) const
{
    QList<PdfWord> found;
    for (const PdfWord& word : words) {
        if (word.text == text)
            found.append(word);
    }
    return found;
}

QList<PdfWord> PdfPage::findStarting(const QString& text) const
{
    QList<PdfWord> found;
    for (const PdfWord& word : words) {
        if (word.text.startsWith(text))
            found.append(word);
    }
    return found;
}

bool PdfPage::contains(const QString& text) const
{
    for (const PdfWord& word : words) {
        if (word.text.contains(text))
            return true;
    }
    return false;
}

QString PdfPage::dump() const
{
    QStringList lines;
    for (const PdfWord& word : words) {
        lines.append(QStringLiteral("%1 @ %2, %3 mm")
                         .arg(word.text)
                         .arg(word.boxMm.left(), 0, 'f', 3)
                         .arg(word.boxMm.top(), 0, 'f', 3));
    }
    return lines.join(QLatin1Char('\n'));
}

QList<PdfPage> ReadPdfWords(const QString& path)
{
    const QString html = path + QStringLiteral(".bbox.html");
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, html});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QTest::qFail(qPrintable(QStringLiteral("pdftotext -bbox %1 failed: %2")
                                    .arg(path, QString::fromLocal8Bit(process.readAllStandardError()))),
                     __FILE__, __LINE__);
        return {};
    }
    QFile file(html);
    if (!file.open(QIODevice::ReadOnly)) {
        QTest::qFail("pdftotext wrote no output", __FILE__, __LINE__);
        return {};
    }
    // The output is XHTML: <page width height> holding <word xMin yMin xMax yMax>text</word>.
    QList<PdfPage> pages;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            const auto a = xml.attributes();
            pages.append(PdfPage{{mmAttribute(a, "width"), mmAttribute(a, "height")}, {}});
        } else if (xml.name() == QLatin1String("word") && !pages.isEmpty()) {
            const auto a = xml.attributes();
            const QPointF topLeft(mmAttribute(a, "xMin"), mmAttribute(a, "yMin"));
            const QPointF bottomRight(mmAttribute(a, "xMax"), mmAttribute(a, "yMax"));
            pages.last().words.append(PdfWord{ideographText(xml.readElementText()), QRectF(topLeft, bottomRight)});
        }
    }
    if (xml.hasError())
        QTest::qFail(qPrintable(QStringLiteral("pdftotext output: %1").arg(xml.errorString())), __FILE__, __LINE__);
    return pages;
}

QList<const Zt_typro::ReportLabel*> PrintLabelsOnePerPage(const Zt_typro::PrintForm& form, const QString& pdf)
{
    const Zt_typro::Report& report = *form.QuickRep1;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    QPageLayout layout(QPageSize(report.pageSizeMm(), QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    printer.setPageLayout(layout);
    printer.setFullPage(true);

    QList<const Zt_typro::ReportLabel*> printed;
    for (const Zt_typro::ReportLabel* label : form.QRBand1->labels()) {
        if (!label->caption().isEmpty())
            printed.append(label);
    }
    // One report per page holding the one label: a copy of the form's report with the others blank.
    QPainter painter;
    if (!painter.begin(&printer))
        return {};
    for (qsizetype i = 0; i < printed.size(); ++i) {
        if (i > 0)
            printer.newPage();
        QHash<Zt_typro::ReportLabel*, QString> kept;
        for (Zt_typro::ReportLabel* other : form.QRBand1->labels()) {
            if (other != printed.at(i)) {
                kept.insert(other, other->caption());
                other->setCaption(QString());
            }
        }
        Zt_typro::PaintReport(report, painter);
        for (auto it = kept.cbegin(); it != kept.cend(); ++it)
            it.key()->setCaption(it.value());
    }
    painter.end();
    return printed;
}
