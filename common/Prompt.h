#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;
class QPrinter;
class QPagedPaintDevice;
class QPrintPreviewDialog;
class QAction;

namespace Zt_typro
{

/// What became of a page shown in the print preview.
struct PreviewResult
{
    bool printed = false; // the operator sent it to a printer or a file from the preview
    QString destination;  // the printer's name, or the file written
    QString printer = {}; // the printer's name when it went to a printer; empty for a file
};

/// The answer to a question with three buttons: 是 / 否 / 取消.
enum class YesNoCancel
{
    Yes,
    No,
    Cancel, // also closing the box or pressing Esc
};

/// Every modal exchange with the operator goes through this one interface: questions, messages,
/// the font dialog, the print preview and printing. The program uses the Qt dialogs
/// (QtPrompter); tests install a scripted one that answers from a queue and records each question.
class Prompter
{
public:
    virtual ~Prompter() = default;

    /// A Yes/No question; true only for Yes.
    virtual bool confirm(QWidget* owner, const QString& caption, const QString& text) = 0;
    /// A Yes/No question with details shown under it in the same box; true only for Yes.
    virtual bool confirmDetailed(QWidget* owner, const QString& caption, const QString& text,
                                 const QString& details) = 0;
    /// A Yes/No question whose default button is No, for a step that cannot be taken back (Enter
    /// answers No), with details under it when they are not empty; true only for Yes.
    virtual bool confirmDefaultNo(QWidget* owner, const QString& caption, const QString& text,
                                  const QString& details) = 0;
    /// A question with the buttons 是, 否 and 取消 (Yes the default); closing the box or Esc
    /// answers Cancel.
    virtual YesNoCancel askYesNoCancel(QWidget* owner, const QString& caption, const QString& text) = 0;
    /// A message with a single OK button and no icon.
    virtual void inform(QWidget* owner, const QString& caption, const QString& text) = 0;
    /// An error message with a single OK button.
    virtual void error(QWidget* owner, const QString& caption, const QString& text) = 0;
    /// The font dialog; no value when the operator cancels.
    virtual std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) = 0;
    /// Shows the print preview of a page drawn by paint, and returns when it is closed: whether
    /// the operator printed from it, and where to. The preview opens as large as the screen,
    /// the page fitted to the window's width, on the printer named printerName (its paper, and
    /// the printer its print dialog proposes), or on the default printer when the name is empty
    /// or no such printer is installed. Ctrl+P in it prints, as its print button does.
    virtual PreviewResult preview(QWidget* owner, const QString& title, const QString& printerName,
                                  const std::function<void(QPrinter*)>& paint) = 0;
    /// Prints a page drawn by paint without a dialog, on the printer named printerName, or on
    /// the default printer when the name is empty. Returns false with a message in *error when
    /// that printer cannot take it.
    virtual bool print(QWidget* owner, const QString& printerName, const std::function<void(QPrinter*)>& paint,
                       QString* error) = 0;
    /// One printer of printers chosen by the operator ("选择打印机"), current proposed; empty when
    /// cancelled.
    virtual QString choosePrinter(QWidget* owner, const QStringList& printers, const QString& current) = 0;
    /// A file name to open or save; empty when cancelled.
    virtual QString fileName(QWidget* owner, const QString& caption, const QString& proposed, const QString& filter,
                             bool forSaving) = 0;
};

/// The prompter in use (the Qt dialogs unless a test installed another).
Prompter& prompter();

/// Installs p as the prompter (not owned); nullptr returns to the Qt dialogs.
void setPrompter(Prompter* p);

/// The file that the answer chosen of a save dialog really writes: chosen with "." + suffix
/// added when it has no suffix. The dialog asked about replacing only the name typed; when the
/// suffix is added and a file of the new name exists, the operator is asked here ("提示",
/// Yes/No) whether to replace it. Empty when chosen is empty or the answer is No.
QString ResolveSaveTarget(QWidget* owner, const QString& chosen, const QString& suffix);

/// Puts a print preview into "fit width" zoom: the page as wide as the window.
void FitPreviewToWidth(QPrintPreviewDialog& dialog);
/// The preview's own print action (its print button); nullptr when it cannot be found.
QAction* PreviewPrintAction(QPrintPreviewDialog& dialog);

/// The Qt implementation: real message boxes, font dialog, preview and printer.
class QtPrompter : public Prompter
{
public:
    bool confirm(QWidget* owner, const QString& caption, const QString& text) override;
    bool confirmDetailed(QWidget* owner, const QString& caption, const QString& text, const QString& details) override;
    bool confirmDefaultNo(QWidget* owner, const QString& caption, const QString& text, const QString& details) override;
    YesNoCancel askYesNoCancel(QWidget* owner, const QString& caption, const QString& text) override;
    void inform(QWidget* owner, const QString& caption, const QString& text) override;
    void error(QWidget* owner, const QString& caption, const QString& text) override;
    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) override;
    PreviewResult preview(QWidget* owner, const QString& title, const QString& printerName,
                          const std::function<void(QPrinter*)>& paint) override;
    bool print(QWidget* owner, const QString& printerName, const std::function<void(QPrinter*)>& paint,
               QString* error) override;
    QString choosePrinter(QWidget* owner, const QStringList& printers, const QString& current) override;
    QString fileName(QWidget* owner, const QString& caption, const QString& proposed, const QString& filter,
                     bool forSaving) override;
};

} // namespace Zt_typro
