#include "print/SampleText.h"

#include "numerals/Amount.h"
#include "numerals/Dates.h"
#include "print/PrintForm.h"
#include "print/Report.h"

#include <QHash>
#include <QImage>
#include <QPainter>

namespace Zt_typro
{
namespace
{
// A printer's resolution: the text is measured as the printer lays it out, not at screen size.
constexpr double kMeasureDpi = 1200.0;

// The digit box keys from 分 (index 0) to 万亿 (index 14).
const char* const kDigitKeys[kDigitBoxCount] = {"fen", "jiao", "yuan", "shi",   "bai",   "qian",   "wan",  "rs",
                                                "rb",  "rq",   "yi",   "shiyi", "baiyi", "qianyi", "wanyi"};

QHash<QString, QString> buildSamples()
{
    const QString payee = QString::fromUtf8(SamplePayee);
    const QString amount = QString::fromUtf8(SampleAmount);
    const QString purpose = QStringLiteral("支付四季度建筑材料款");
    const QString note = QStringLiteral("附言：第四季度货款");
    const QString bank = QStringLiteral("中国工商银行北京海淀支行");
    const QString account = QStringLiteral("0200004509014567891");
    QHash<QString, QString> s;
    s.insert(QStringLiteral("nian"), QString::fromUtf8(SampleYear));
    s.insert(QStringLiteral("yue"), QString::fromUtf8(SampleMonth));
    s.insert(QStringLiteral("ri"), QString::fromUtf8(SampleDay));
    s.insert(QStringLiteral("year"), YearToCapitals(QString::fromUtf8(SampleYear)));
    s.insert(QStringLiteral("moon"), MonthToCapitals(QString::fromUtf8(SampleMonth)));
    s.insert(QStringLiteral("day"), DayToCapitals(QString::fromUtf8(SampleDay)));
    s.insert(QStringLiteral("skr"), payee);
    s.insert(QStringLiteral("skrcg"), payee);
    s.insert(QStringLiteral("skrmc"), payee);
    s.insert(QStringLiteral("jecg"), amount);
    s.insert(QStringLiteral("dx"), AmountToCapitals(amount));
    const QStringList boxes = DigitBoxTexts(AmountDigitString(amount));
    for (int i = 0; i < kDigitBoxCount; ++i)
        s.insert(QString::fromLatin1(kDigitKeys[i]), boxes.value(i));
    s.insert(QStringLiteral("yt"), purpose);
    s.insert(QStringLiteral("ytcg"), purpose);
    for (const char* key : {"fjxx1", "fjxx2", "fjxx3", "fjxx4"})
        s.insert(QString::fromLatin1(key), note);
    s.insert(QStringLiteral("fkhmc"), bank);
    s.insert(QStringLiteral("cprkhh"), bank);
    s.insert(QStringLiteral("skrkhh"), bank);
    s.insert(QStringLiteral("cprzh"), account);
    s.insert(QStringLiteral("skrzh"), account);
    s.insert(QStringLiteral("cprmc"), QStringLiteral("北京市海淀区华信电子科技发展股份有限公司"));
    return s;
}
} // namespace

QString SampleFieldText(const QString& fieldKey)
{
    static const QHash<QString, QString> samples = buildSamples();
    return samples.value(fieldKey);
}

void FillSampleCaptions(PrintForm& form)
{
    for (ReportLabel* label : form.QRBand1->labels())
        label->setCaption(SampleFieldText(label->key()));
}

QSizeF PrintedTextSize(const QFont& font, const QString& text)
{
    if (text.isEmpty())
        return {};
    // Laid out as PaintReport lays out a label: the font resolved at the device's resolution, the
    // text box from boundingRect with the same flags.
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(kMeasureDpi / 0.0254);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&device);
    painter.setFont(font);
    const QRectF box = painter.boundingRect(QRectF(0.0, 0.0, 1.0e6, 1.0e6), Qt::AlignLeft | Qt::AlignTop, text);
    const double unitsPerPixel = 25.4 / device.logicalDpiX() / LayoutUnitMm;
    return {box.width() * unitsPerPixel, box.height() * 25.4 / device.logicalDpiY() / LayoutUnitMm};
}

} // namespace Zt_typro
