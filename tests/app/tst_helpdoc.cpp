// The help document as it is shipped beside the program, shown by 帮助 → 帮助 of a real main
// window: it names every command of the menu under its menu path, every shortcut and menu key
// with its command, and every button of the working panels.
#include "app/Forms.h"
#include "app/Help.h"
#include "app/MainWindow.h"
#include "common/WorkingPanel.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestEnv.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <memory>

using namespace Zt_typro;

namespace
{
/// A caption as the operator reads it: without its mnemonic ("系统设置(&S)" → "系统设置",
/// "&Quit" → "Quit", "&&" → "&") and with runs of blanks made one.
QString plainCaption(const QString& caption)
{
    static const QRegularExpression bracketed(QStringLiteral("\\(&[^&)]\\)"));
    QString out = caption;
    out.remove(bracketed);
    out.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    out.remove(u'&');
    out.replace(u'\x01', u'&');
    return out.simplified();
}

/// The key that opens a menu from the keyboard ("Alt+S" for "系统设置(&S)"); empty for none.
QString menuKey(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) == u'&') {
            ++i;
            continue;
        }
        return QStringLiteral("Alt+") + caption.at(i + 1).toUpper();
    }
    return {};
}

/// One command of the real menu: its path of plain captions ("系统设置 → 打印设置 → 打印机校准"),
/// its own plain caption, and its shortcut or menu key.
struct MenuCommand
{
    QString path;
    QString caption;
    QString key;
};

void collect(const QList<QAction*>& actions, const QString& parentPath, QList<MenuCommand>* out)
{
    for (QAction* a : actions) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        const QString caption = plainCaption(a->text());
        const QString path = parentPath.isEmpty() ? caption : parentPath + QStringLiteral(" → ") + caption;
        QString key = a->shortcut().toString(QKeySequence::PortableText);
        if (key.isEmpty() && a->menu() && parentPath.isEmpty())
            key = menuKey(a->text());
        out->append({path, caption, key});
        if (a->menu())
            collect(a->menu()->actions(), path, out);
    }
}

/// The rows of every table of a document, each as the plain text of its cells joined by " | ".
QStringList tableRows(const QTextDocument* document)
{
    QStringList rows;
    const QList<QTextFrame*> frames = document->rootFrame()->childFrames();
    for (QTextFrame* frame : frames) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table)
            continue;
        for (int r = 0; r < table->rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cells << cursor.selectedText().simplified();
            }
            rows << cells.join(QStringLiteral(" | "));
        }
    }
    return rows;
}

QString firstCell(const QString& row)
{
    return row.section(QStringLiteral(" | "), 0, 0);
}
} // namespace

class TestHelpDocument : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuCaptions_areReadWithoutTheirMnemonics_data();
    void menuCaptions_areReadWithoutTheirMnemonics();
    void namesEveryMenuCommandUnderItsPath();
    void namesEveryShortcutWithItsCommand_data();
    void namesEveryShortcutWithItsCommand();
    void namesTheShortcutsTheMenuCarries();
    void namesEveryButtonOfTheWorkingPanels();
    void tellsTheFirstPassword();

private:
    std::unique_ptr<FormsFixture> m_forms;
    QTextBrowser* m_browser = nullptr;
    QString m_text; // the whole document as the help window shows it, blanks made one
    QStringList m_rows;
};

void TestHelpDocument::init()
{
    const QString shipped = QStringLiteral(QUILLMATE_SHIPPED_HELP);
    QVERIFY2(QFileInfo(shipped).isFile(), qPrintable(shipped));
    m_forms = std::make_unique<FormsFixture>();
    SetHelpFilePath(shipped);
    Frm_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Frm_main));
    ScriptedPrompter prompter; // a missing document would be reported here, not in a box
    Frm_main->help->trigger();
    QVERIFY2(prompter.questions.isEmpty(), qPrintable(prompter.last().text));
    auto* window = Frm_main->findChild<QDialog*>(QStringLiteral("HelpWindow"));
    QVERIFY(window && window->isVisible());
    m_browser = window->findChild<QTextBrowser*>(QStringLiteral("HelpBrowser"));
    QVERIFY(m_browser);
    QCOMPARE(m_browser->source(), QUrl::fromLocalFile(QFileInfo(shipped).absoluteFilePath()));
    m_text = m_browser->toPlainText().simplified();
    m_rows = tableRows(m_browser->document());
    QVERIFY(m_text.contains(QStringLiteral("Quillmate 票据打印 帮助")));
}

void TestHelpDocument::cleanup()
{
    SetHelpFilePath(QString());
    m_browser = nullptr;
    m_forms.reset();
}

void TestHelpDocument::menuCaptions_areReadWithoutTheirMnemonics_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("key");
    QTest::newRow("none, trailing blank") << QStringLiteral("帮助 ") << QStringLiteral("帮助") << QString();
    QTest::newRow("bracketed") << QStringLiteral("系统设置(&S)") << QStringLiteral("系统设置")
                               << QStringLiteral("Alt+S");
    QTest::newRow("bracketed, lower case")
        << QStringLiteral("票据查询(&q)") << QStringLiteral("票据查询") << QStringLiteral("Alt+Q");
    QTest::newRow("inside a word") << QStringLiteral("E&xport") << QStringLiteral("Export") << QStringLiteral("Alt+X");
    QTest::newRow("a real ampersand") << QStringLiteral("A && B") << QStringLiteral("A & B") << QString();
    QTest::newRow("blanks kept as one") << QStringLiteral("进 帐 单打印设置") << QStringLiteral("进 帐 单打印设置")
                                        << QString();
}

void TestHelpDocument::menuCaptions_areReadWithoutTheirMnemonics()
{
    QFETCH(QString, caption);
    QFETCH(QString, plain);
    QFETCH(QString, key);
    QCOMPARE(plainCaption(caption), plain);
    QCOMPARE(menuKey(caption), key);
}

// Every command of the real menu, a submenu's too, is named in the help under its menu path, so a
// command added to the menu without help, or moved to another menu, fails here.
void TestHelpDocument::namesEveryMenuCommandUnderItsPath()
{
    QList<MenuCommand> commands;
    collect(Frm_main->menuBar()->actions(), QString(), &commands);
    QStringList paths;
    for (const MenuCommand& c : commands)
        paths << c.path;
    // The walk reached the menus and the submenu.
    QVERIFY2(paths.contains(QStringLiteral("系统设置 → 打印设置 → 打印机校准")), qPrintable(paths.join(u',')));
    QVERIFY2(paths.contains(QStringLiteral("帮助 → 关于")), qPrintable(paths.join(u',')));

    QStringList missing;
    for (const MenuCommand& c : commands) {
        if (!m_text.contains(c.path))
            missing << c.path;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not in the help: ") + missing.join(QStringLiteral("; "))));
}

void TestHelpDocument::namesEveryShortcutWithItsCommand_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("says");
    QTest::newRow("Alt+S") << QStringLiteral("Alt+S") << QStringList{QStringLiteral("系统设置")};
    QTest::newRow("Alt+E") << QStringLiteral("Alt+E") << QStringList{QStringLiteral("票据编辑")};
    QTest::newRow("Alt+Q") << QStringLiteral("Alt+Q") << QStringList{QStringLiteral("票据查询")};
    QTest::newRow("Alt+H") << QStringLiteral("Alt+H") << QStringList{QStringLiteral("帮助")};
    QTest::newRow("F2") << QStringLiteral("F2") << QStringList{QStringLiteral("票据编辑 → 支票编辑")};
    QTest::newRow("F3") << QStringLiteral("F3") << QStringList{QStringLiteral("票据编辑 → 凭证编辑")};
    QTest::newRow("Ctrl+F") << QStringLiteral("Ctrl+F") << QStringList{QStringLiteral("票据查询 → 票据查询")};
    QTest::newRow("F1") << QStringLiteral("F1") << QStringList{QStringLiteral("帮助 → 帮助")};
    QTest::newRow("Enter") << QStringLiteral("Enter")
                           << QStringList{QStringLiteral("默认按钮"), QStringLiteral("确 定"), QStringLiteral("查 询")};
    QTest::newRow("Esc") << QStringLiteral("Esc")
                         << QStringList{QStringLiteral("最上面的子面板"), QStringLiteral("关闭按钮")};
}

// The keyboard table gives each key a row of its own that names what it does.
void TestHelpDocument::namesEveryShortcutWithItsCommand()
{
    QFETCH(QString, key);
    QFETCH(QStringList, says);
    QString found;
    for (const QString& row : std::as_const(m_rows)) {
        if (firstCell(row) == key)
            found = row;
    }
    QVERIFY2(!found.isEmpty(), qPrintable(QStringLiteral("no row for %1").arg(key)));
    for (const QString& text : says)
        QVERIFY2(found.contains(text), qPrintable(QStringLiteral("%1: %2").arg(text, found)));
}

// Whatever shortcut or menu key the real menu carries is in the keyboard table with its command.
void TestHelpDocument::namesTheShortcutsTheMenuCarries()
{
    QList<MenuCommand> commands;
    collect(Frm_main->menuBar()->actions(), QString(), &commands);
    QStringList missing;
    for (const MenuCommand& c : commands) {
        if (c.key.isEmpty())
            continue;
        bool named = false;
        for (const QString& row : std::as_const(m_rows))
            named = named || (firstCell(row) == c.key && row.contains(c.caption));
        if (!named)
            missing << c.key + QStringLiteral(" ") + c.path;
    }
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not in the help: ") + missing.join(QStringLiteral("; "))));
}

// The commands of the panels (the result list's 重打, 作废, 记录 and 导出, the designer's 背景图,
// the calibration page, …) are named by the captions the buttons carry.
void TestHelpDocument::namesEveryButtonOfTheWorkingPanels()
{
    const QList<WorkingPanel*> panels = Frm_main->findChildren<WorkingPanel*>();
    QStringList seen;
    QStringList missing;
    for (const WorkingPanel* panel : panels) {
        for (const QAbstractButton* button : panel->findChildren<QAbstractButton*>()) {
            const QString caption = plainCaption(button->text());
            if (caption.isEmpty())
                continue;
            seen << caption;
            if (!m_text.contains(caption))
                missing << QStringLiteral("%1 (%2)").arg(caption, button->objectName());
        }
    }
    for (const char* command : {"重打", "作废", "记录", "导出", "背景图", "打印校准页", "打印样张"})
        QVERIFY2(seen.contains(QString::fromUtf8(command)), command);
    QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("not in the help: ") + missing.join(QStringLiteral("; "))));
}

void TestHelpDocument::tellsTheFirstPassword()
{
    QVERIFY(m_text.contains(QStringLiteral("新安装的程序没有密码")));
    QVERIFY(m_text.contains(QStringLiteral("系统设置 → 密码设置")));
    QVERIFY(m_text.contains(QStringLiteral("是否现在设置登录密码？")));
}

QTEST_MAIN(TestHelpDocument)
#include "tst_helpdoc.moc"
