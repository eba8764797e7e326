#include "store/PrinterSettings.h"

#include "common/Error.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QUrl>

#include <cmath>

namespace Zt_typro
{
namespace
{
const QString kOrganisation = QStringLiteral("Bexholt");
const QString kApplication = QStringLiteral("qc");
const QString kOffsetX = QStringLiteral("pyx");
const QString kOffsetY = QStringLiteral("pyy");
const QString kScaleX = QStringLiteral("blx");
const QString kScaleY = QStringLiteral("bly");
const QString kPaper = QStringLiteral("paper");

QString number(double v, int decimals)
{
    QString text = QString::number(v, 'f', decimals);
    if (text.startsWith(u'-') && text.count(u'0') == text.size() - 2) // "-0.0" reads as "0.0"
        text.remove(0, 1);
    return text;
}

// Only the one store is read and written: none of QSettings' organisation-wide or system-wide
// fallbacks.
void withoutFallbacks(QSettings& settings)
{
    settings.setFallbacksEnabled(false);
}

QString location(const QSettings& settings)
{
    return QDir::toNativeSeparators(settings.fileName());
}
} // namespace

bool ParseDecimalText(const QString& text, int maxDecimals, double* out)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString t = text.trimmed();
    if (!pattern.match(t).hasMatch())
        return false;
    const qsizetype point = t.indexOf(u'.');
    if (point >= 0 && t.size() - point - 1 > maxDecimals)
        return false;
    bool ok = false;
    *out = t.toDouble(&ok);
    return ok;
}

void CheckCalibrationRange(const PrinterCalibration& c)
{
    const auto offset = [](double v, const QString& what) {
        if (!std::isfinite(v) || v < CalibrationOffsetMinMm - CalibrationLimitTolerance || v > CalibrationOffsetMaxMm + CalibrationLimitTolerance) {
            throw AppError(QStringLiteral("%1 %2 毫米超出范围: 偏移量应在 -20.0 到 +20.0 毫米之间。")
                               .arg(what, QString::number(v, 'f', 2)));
        }
    };
    const auto scale = [](double v, const QString& what) {
        if (!std::isfinite(v) || v < CalibrationScaleMin - CalibrationLimitTolerance || v > CalibrationScaleMax + CalibrationLimitTolerance) {
            throw AppError(QStringLiteral("%1 %2 超出范围: 比例应在 0.95 到 1.05 之间。")
                               .arg(what, QString::number(v, 'f', 4)));
        }
    };
    offset(c.offsetXMm, QStringLiteral("横向偏移"));
    offset(c.offsetYMm, QStringLiteral("纵向偏移"));
    scale(c.scaleX, QStringLiteral("横向比例"));
    scale(c.scaleY, QStringLiteral("纵向比例"));
}

QString FormatCalibrationOffset(double mm)
{
    return number(mm, 1);
}

QString FormatCalibrationScale(double scale)
{
    return number(scale, CalibrationScaleDecimals);
}

QString PrinterCalibrationGroup(const QString& printerName)
{
    return QStringLiteral("printers/")
           + QString::fromLatin1(QUrl::toPercentEncoding(printerName, QByteArray(), QByteArrayLiteral("~")));
}

PrinterCalibration ReadPrinterCalibration(const QString& printerName)
{
    PrinterCalibration c;
    if (printerName.isEmpty())
        return c;
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    withoutFallbacks(settings);
    settings.beginGroup(PrinterCalibrationGroup(printerName));
    const auto read = [&](const QString& key, double fallback, int decimals) {
        const QVariant value = settings.value(key);
        if (!value.isValid())
            return fallback;
        double v = 0.0;
        if (!ParseDecimalText(value.toString(), decimals, &v)) {
            throw AppError(QStringLiteral("打印机“%1”的校准值 %2 = “%3”无法读取（%4）。请在“打印机校准”中重新设置。")
                               .arg(printerName, key, value.toString(), location(settings)));
        }
        return v;
    };
    c.offsetXMm = read(kOffsetX, 0.0, 1);
    c.offsetYMm = read(kOffsetY, 0.0, 1);
    c.scaleX = read(kScaleX, 1.0, CalibrationScaleDecimals);
    c.scaleY = read(kScaleY, 1.0, CalibrationScaleDecimals);
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("无法读取设置 %1。").arg(location(settings)));
    try {
        CheckCalibrationRange(c);
    } catch (const AppError& e) {
        throw AppError(QStringLiteral("打印机“%1”存储的校准值有误: %2").arg(printerName, e.message()));
    }
    return c;
}

void WritePrinterCalibration(const QString& printerName, const PrinterCalibration& calibration)
{
    if (printerName.trimmed().isEmpty())
        throw AppError(QStringLiteral("没有选择打印机，校准值无法保存。"));
    CheckCalibrationRange(calibration);
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    withoutFallbacks(settings);
    settings.beginGroup(PrinterCalibrationGroup(printerName));
    settings.setValue(kOffsetX, FormatCalibrationOffset(calibration.offsetXMm));
    settings.setValue(kOffsetY, FormatCalibrationOffset(calibration.offsetYMm));
    settings.setValue(kScaleX, FormatCalibrationScale(calibration.scaleX));
    settings.setValue(kScaleY, FormatCalibrationScale(calibration.scaleY));
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("校准值没有保存: 无法写入 %1。").arg(location(settings)));
}

QString ReadPrinterPaper(const QString& printerName)
{
    if (printerName.isEmpty())
        return QString();
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    withoutFallbacks(settings);
    settings.beginGroup(PrinterCalibrationGroup(printerName));
    const QString key = settings.value(kPaper).toString().trimmed();
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("无法读取设置 %1。").arg(location(settings)));
    return key;
}

void WritePrinterPaper(const QString& printerName, const QString& paperKey)
{
    if (printerName.trimmed().isEmpty())
        throw AppError(QStringLiteral("没有选择打印机，纸张无法保存。"));
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    withoutFallbacks(settings);
    settings.beginGroup(PrinterCalibrationGroup(printerName));
    if (paperKey.trimmed().isEmpty())
        settings.remove(kPaper);
    else
        settings.setValue(kPaper, paperKey.trimmed());
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("纸张没有保存: 无法写入 %1。").arg(location(settings)));
}

QString ReadFormPrinter(const QString& formCode)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    withoutFallbacks(settings);
    const QString name = settings.value(QStringLiteral("forms/%1/printer").arg(formCode)).toString();
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("无法读取设置 %1。").arg(location(settings)));
    return name;
}

void WriteFormPrinter(const QString& formCode, const QString& printerName)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    withoutFallbacks(settings);
    const QString key = QStringLiteral("forms/%1/printer").arg(formCode);
    if (printerName.isEmpty())
        settings.remove(key);
    else
        settings.setValue(key, printerName);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("打印机没有记住: 无法写入 %1。").arg(location(settings)));
}

DesignerBackgroundSetting ReadDesignerBackground(const QString& formCode)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    withoutFallbacks(settings);
    settings.beginGroup(QStringLiteral("backgrounds/") + formCode);
    DesignerBackgroundSetting out;
    out.path = settings.value(QStringLiteral("path")).toString();
    double dpi = 0.0;
    if (ParseDecimalText(settings.value(QStringLiteral("dpi")).toString(), 3, &dpi) && dpi > 0.0)
        out.dpi = dpi;
    return out;
}

void WriteDesignerBackground(const QString& formCode, const DesignerBackgroundSetting& setting)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    withoutFallbacks(settings);
    settings.beginGroup(QStringLiteral("backgrounds/") + formCode);
    if (setting.path.isEmpty()) {
        settings.remove(QString());
    } else {
        settings.setValue(QStringLiteral("path"), setting.path);
        if (setting.dpi > 0.0)
            settings.setValue(QStringLiteral("dpi"), QString::number(setting.dpi, 'f', 1));
        else
            settings.remove(QStringLiteral("dpi"));
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AppError(QStringLiteral("背景图设置没有保存: 无法写入 %1。").arg(location(settings)));
}

} // namespace Zt_typro
