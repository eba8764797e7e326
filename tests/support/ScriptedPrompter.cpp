#include "tests/support/ScriptedPrompter.h"

namespace Zt_typro
{

ScriptedPrompter::ScriptedPrompter()
{
    setPrompter(this);
}

ScriptedPrompter::~ScriptedPrompter()
{
    setPrompter(nullptr);
}

QList<ScriptedPrompter::Question> ScriptedPrompter::ofKind(const QString& kind) const
{
    QList<Question> out;
    for (const Question& q : questions)
        if (q.kind == kind)
            out.append(q);
    return out;
}

bool ScriptedPrompter::confirm(QWidget*, const QString& caption, const QString& text)
{
    questions.append({QStringLiteral("confirm"), caption, text});
    if (onConfirm)
        onConfirm(text);
    return confirmAnswers.isEmpty() ? false : confirmAnswers.dequeue();
}

bool ScriptedPrompter::confirmDefaultNo(QWidget* owner, const QString& caption, const QString& text,
                                        const QString& details)
{
    const qsizetype before = questions.size();
    const bool answer = confirm(owner, caption, text);
    if (questions.size() > before) {
        questions[before].details = details;
        questions[before].defaultNo = true;
    }
    return answer;
}

YesNoCancel ScriptedPrompter::askYesNoCancel(QWidget*, const QString& caption, const QString& text)
{
    questions.append({QStringLiteral("yesNoCancel"), caption, text});
    return yesNoCancelAnswers.isEmpty() ? YesNoCancel::Cancel : yesNoCancelAnswers.dequeue();
}

void ScriptedPrompter::inform(QWidget*, const QString& caption, const QString& text)
{
    questions.append({QStringLiteral("inform"), caption, text});
}

void ScriptedPrompter::error(QWidget*, const QString& caption, const QString& text)
{
    questions.append({QStringLiteral("error"), caption, text});
}

std::optional<QFont> ScriptedPrompter::chooseFont(QWidget*, const QFont& initial)
{
    questions.append({QStringLiteral("font"), QString(), initial.family()});
    return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.dequeue();
}

bool ScriptedPrompter::confirmDetailed(QWidget* owner, const QString& caption, const QString& text,
                                       const QString& details)
{
    const qsizetype before = questions.size();
    const bool answer = confirm(owner, caption, text);
    if (questions.size() > before)
        questions[before].details = details;
    return answer;
}

PreviewResult ScriptedPrompter::preview(QWidget*, const QString& title, const QString& printerName,
                                        const std::function<void(QPrinter*)>& paint)
{
    questions.append({QStringLiteral("preview"), title, printerName});
    ++previews;
    if (onPage)
        onPage(paint);
    const QString printer = QString::fromUtf8(kTestPrinter);
    return previewAnswers.isEmpty() ? PreviewResult{true, printer, printer} : previewAnswers.dequeue();
}

bool ScriptedPrompter::print(QWidget*, const QString& printerName, const std::function<void(QPrinter*)>& paint,
                             QString* error)
{
    questions.append({QStringLiteral("print"), QString(), printerName});
    if (printerName.isEmpty() && !printerAvailable) {
        if (error)
            *error = QStringLiteral("没有可用的打印机: 请先在系统中安装并设置默认打印机。");
        return false;
    }
    ++prints;
    if (onPage)
        onPage(paint);
    return true;
}

QString ScriptedPrompter::choosePrinter(QWidget*, const QStringList& printers, const QString&)
{
    questions.append({QStringLiteral("printer"), QString(), printers.join(QLatin1Char('|'))});
    return printerAnswers.isEmpty() ? QString() : printerAnswers.dequeue();
}

QString ScriptedPrompter::fileName(QWidget*, const QString& caption, const QString& proposed, const QString&, bool)
{
    questions.append({QStringLiteral("file"), caption, proposed});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

} // namespace Zt_typro
