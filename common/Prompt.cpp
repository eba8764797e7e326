#include "common/Prompt.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeySequence>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include <algorithm>

namespace Zt_typro
{
namespace
{
Prompter* g_prompter = nullptr;

QtPrompter& qtPrompter()
{
    static QtPrompter instance;
    return instance;
}

void showBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    box.exec();
}
} // namespace

void FitPreviewToWidth(QPrintPreviewDialog& dialog)
{
    // The dialog's own "fit width" action, so that its tool bar shows the mode it is in.
    for (QAction* action : dialog.findChildren<QAction*>()) {
        if (action->objectName() == QLatin1String("fitWidthAction")) {
            action->trigger();
            return;
        }
    }
    if (auto* view = dialog.findChild<QPrintPreviewWidget*>())
        view->fitToWidth();
}

QAction* PreviewPrintAction(QPrintPreviewDialog& dialog)
{
    // The dialog names its zoom actions but not its print action: it is the one captioned as
    // the dialog's translation captions it.
    const QString caption = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction* action : dialog.findChildren<QAction*>()) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

Prompter& prompter()
{
    return g_prompter ? *g_prompter : qtPrompter();
}

void setPrompter(Prompter* p)
{
    g_prompter = p;
}

bool QtPrompter::confirm(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompter::confirmDetailed(QWidget* owner, const QString& caption, const QString& text, const QString& details)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setInformativeText(details);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool QtPrompter::confirmDefaultNo(QWidget* owner, const QString& caption, const QString& text, const QString& details)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    if (!details.isEmpty())
        box.setInformativeText(details);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

YesNoCancel QtPrompter::askYesNoCancel(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    owner);
    // The captions are the program's own, whatever translation of Qt is loaded.
    box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box.button(QMessageBox::No)->setText(QStringLiteral("否"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return YesNoCancel::Yes;
    case QMessageBox::No:
        return YesNoCancel::No;
    default:
        return YesNoCancel::Cancel;
    }
}

void QtPrompter::inform(QWidget* owner, const QString& caption, const QString& text)
{
    showBox(owner, QMessageBox::NoIcon, caption, text);
}

void QtPrompter::error(QWidget* owner, const QString& caption, const QString& text)
{
    showBox(owner, QMessageBox::Critical, caption, text);
}

std::optional<QFont> QtPrompter::chooseFont(QWidget* owner, const QFont& initial)
{
    // A family that is only a name for another ("宋体" for an installed Song face) is not in the
    // dialog's list: the dialog opens on the face that really draws it, and a choice of that
    // same face gives the original name back, so that OK without a change changes nothing.
    QFont start = initial;
    const QString drawnBy = QFontInfo(initial).family();
    const bool substituted = !QFontDatabase::families().contains(initial.family(), Qt::CaseInsensitive) &&
                             !drawnBy.isEmpty();
    if (substituted)
        start.setFamily(drawnBy);
    bool ok = false;
    QFont font = QFontDialog::getFont(&ok, start, owner);
    if (!ok)
        return std::nullopt;
    if (substituted && font.family() == drawnBy)
        font.setFamily(initial.family());
    return font;
}

PreviewResult QtPrompter::preview(QWidget* owner, const QString& title, const QString& printerName,
                                  const std::function<void(QPrinter*)>& paint)
{
    QPrinter printer(QPrinter::HighResolution);
    // The page shown is the paper of the printer that will print, and the print dialog opens on it.
    if (!printerName.isEmpty() && !QPrinterInfo::printerInfo(printerName).isNull())
        printer.setPrinterName(printerName);
    printer.setFullPage(true);
    QPrintPreviewDialog dialog(&printer, owner);
    if (QAction* print = PreviewPrintAction(dialog)) {
        print->setShortcut(QKeySequence::Print);
        print->setToolTip(QStringLiteral("打印 (Ctrl+P)"));
    }
    dialog.setWindowTitle(title);
    // Large enough to read: the whole screen, the page as wide as the window.
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        dialog.resize(available.size());
        dialog.move(available.topLeft());
    }
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    FitPreviewToWidth(dialog);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* p) { paint(p); });
    // The preview accepts itself once it has printed; closing it any other way rejects it.
    PreviewResult result;
    result.printed = dialog.exec() == QDialog::Accepted;
    if (result.printed) {
        const bool toFile = !printer.outputFileName().isEmpty();
        result.destination = toFile ? printer.outputFileName() : printer.printerName();
        result.printer = toFile ? QString() : printer.printerName();
    }
    return result;
}

bool QtPrompter::print(QWidget*, const QString& printerName, const std::function<void(QPrinter*)>& paint,
                       QString* error)
{
    if (printerName.isEmpty() && QPrinterInfo::defaultPrinter().isNull()) {
        if (error)
            *error = QStringLiteral("没有可用的打印机: 请先在系统中安装并设置默认打印机。");
        return false;
    }
    if (!printerName.isEmpty() && QPrinterInfo::printerInfo(printerName).isNull()) {
        if (error)
            *error = QStringLiteral("打印机“%1”不存在，或已从系统中删除。").arg(printerName);
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    if (!printerName.isEmpty())
        printer.setPrinterName(printerName);
    printer.setFullPage(true);
    if (!printer.isValid()) {
        if (error)
            *error = QStringLiteral("打印机 %1 无法使用。").arg(printer.printerName());
        return false;
    }
    paint(&printer);
    return true;
}

QString QtPrompter::choosePrinter(QWidget* owner, const QStringList& printers, const QString& current)
{
    bool ok = false;
    const QString chosen = QInputDialog::getItem(owner, QStringLiteral("选择打印机"),
                                                 QStringLiteral("系统中没有默认打印机，请选择打印用的打印机:"),
                                                 printers, std::max<int>(0, printers.indexOf(current)), false, &ok);
    return ok ? chosen : QString();
}

QString QtPrompter::fileName(QWidget* owner, const QString& caption, const QString& proposed, const QString& filter,
                             bool forSaving)
{
    return forSaving ? QFileDialog::getSaveFileName(owner, caption, proposed, filter)
                     : QFileDialog::getOpenFileName(owner, caption, proposed, filter);
}

QString ResolveSaveTarget(QWidget* owner, const QString& chosen, const QString& suffix)
{
    if (chosen.isEmpty() || !QFileInfo(chosen).suffix().isEmpty())
        return chosen;
    const QString target = chosen + QLatin1Char('.') + suffix;
    if (QFileInfo::exists(target) &&
        !prompter().confirm(owner, QStringLiteral("提示"),
                            QStringLiteral("%1 已经存在。\n要替换它吗?").arg(QDir::toNativeSeparators(target))))
        return QString();
    return target;
}

} // namespace Zt_typro
