#pragma once

#include "common/Prompt.h"

#include <QList>
#include <QQueue>
#include <QString>

class QPrinter;

namespace Zt_typro
{

/// A prompter for tests: answers come from queues, and every question is recorded.
/// Installed for its lifetime; the previous prompter (the Qt dialogs) comes back afterwards.
class ScriptedPrompter : public Prompter
{
public:
    struct Question
    {
        QString kind; // "confirm", "yesNoCancel", "inform", "error", "font", "preview", "print",
                      // "printer", "file"
        QString caption;
        QString text;           // a preview's: the printer it opened on
        QString details = {};   // the details a question showed under its text
        bool defaultNo = false; // a confirm whose default button is No
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    QQueue<bool> confirmAnswers;              // an empty queue answers No
    QQueue<YesNoCancel> yesNoCancelAnswers;   // an empty queue answers Cancel
    QQueue<std::optional<QFont>> fontAnswers; // an empty queue answers Cancel
    QQueue<QString> fileAnswers;              // an empty queue answers Cancel
    QQueue<QString> printerAnswers;           // an empty queue answers Cancel
    QQueue<PreviewResult> previewAnswers;     // an empty queue answers: printed on kTestPrinter
    static constexpr char kTestPrinter[] = "测试打印机";
    bool printerAvailable = true;
    /// Called with the page of each preview or print, e.g. to render it to a PDF.
    std::function<void(const std::function<void(QPrinter*)>&)> onPage;
    /// Called with the text of each yes/no question before it is answered, e.g. to let another
    /// copy of the program act while the operator reads it.
    std::function<void(const QString&)> onConfirm;

    QList<Question> questions;
    int previews = 0;
    int prints = 0;

    /// The questions of one kind.
    QList<Question> ofKind(const QString& kind) const;
    /// The last question recorded; an empty one when none was asked.
    Question last() const { return questions.isEmpty() ? Question{} : questions.last(); }

    bool confirm(QWidget* owner, const QString& caption, const QString& text) override;
    /// Answered and recorded as confirm() (an override of confirm answers it too), with details.
    bool confirmDetailed(QWidget* owner, const QString& caption, const QString& text, const QString& details) override;
    /// Answered and recorded as confirm(), marked defaultNo.
    bool confirmDefaultNo(QWidget* owner, const QString& caption, const QString& text, const QString& details) override;
    YesNoCancel askYesNoCancel(QWidget* owner, const QString& caption, const QString& text) override;
    void inform(QWidget* owner, const QString& caption, const QString& text) override;
    void error(QWidget* owner, const QString& caption, const QString& text) override;
    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) override;
    PreviewResult preview(QWidget* owner, const QString& title, const QString& printerName,
                          const std::function<void(QPrinter*)>& paint) override;
    /// Recorded with the printer's name as its text; printerAvailable says whether there is a
    /// default printer, a named printer always takes the page.
    bool print(QWidget* owner, const QString& printerName, const std::function<void(QPrinter*)>& paint,
               QString* error) override;
    /// Recorded with the printers offered, joined by "|", as its text.
    QString choosePrinter(QWidget* owner, const QStringList& printers, const QString& current) override;
    QString fileName(QWidget* owner, const QString& caption, const QString& proposed, const QString& filter,
                     bool forSaving) override;
};

} // namespace Zt_typro
