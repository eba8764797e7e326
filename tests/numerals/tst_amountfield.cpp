#include "common/Error.h"
#include "common/Guard.h"
#include "numerals/Amount.h"
#include "numerals/AmountField.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/Shortcuts.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace Zt_typro;

namespace
{

template <typename F>
QString errorOf(F&& body)
{
    try {
        body();
    } catch (const AppError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

// Types text key by key. QTest::keyClicks takes Latin-1 only; other characters arrive as a key
// event that carries just the text, as an input method delivers a committed character.
void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(widget, &press);
            QCoreApplication::sendEvent(widget, &release);
        }
    }
}

// A screen's amount corner: the field, the box panel with its 15 boxes and the capitals label,
// built the way the cheque screen names them (Panel1 is the 分 box).
struct AmountScreen
{
    QWidget window;
    QLineEdit* edit = nullptr;
    QWidget* boxPanel = nullptr;
    QLabel* capitals = nullptr;
    QLineEdit* other = nullptr; // somewhere for the focus to go

    AmountScreen()
    {
        edit = new QLineEdit(&window);
        edit->setObjectName(QStringLiteral("Edit_je"));
        edit->setMaxLength(12); // what the screen would have without the rules
        AttachAmountKeyRules(edit);
        boxPanel = new QFrame(&window);
        boxPanel->setObjectName(QStringLiteral("Panel_jine"));
        for (int k = 1; k <= 15; ++k) {
            auto* box = new QLabel(boxPanel);
            box->setObjectName(QStringLiteral("Panel%1").arg(k));
        }
        capitals = new QLabel(&window);
        capitals->setObjectName(QStringLiteral("Panel_daxie"));
        other = new QLineEdit(&window);
        window.show();
        edit->setFocus();
    }

    QLabel* box(int number) const
    {
        return boxPanel->findChild<QLabel*>(QStringLiteral("Panel%1").arg(number));
    }

    // Box texts left to right as on the form (Panel15 first), "·" for an empty box.
    QString boxes() const
    {
        QStringList shown;
        for (int k = 15; k >= 1; --k) {
            const QString text = box(k)->text();
            shown.append(text.isEmpty() ? QStringLiteral("·") : text);
        }
        return shown.join(u' ');
    }
};

} // namespace

class TestAmountField : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typing_data();
    void typing();
    void editingKeysKeepTheirFunction();
    void backspaceOverThePointThatWouldOverflow();
    void pasteIsFiltered_data();
    void pasteIsFiltered();
    void clipboardShortcuts();
    void enterStillReachesTheScreen();
    void textSetFromCodeIsFiltered();

    void boxesFoundByNumber();
    void boxesFoundInCreationOrder();
    void boxPanelWithoutFifteenBoxes();

    void leavingTheField_data();
    void leavingTheField();
    void leavingAgainChangesNothing();
    void stubCopyComesBeforeTheCapitals();
    void leavingWithNoAmountReportsIt();

private:
    std::unique_ptr<AmountScreen> m_screen;
};

void TestAmountField::init()
{
    m_screen = std::make_unique<AmountScreen>();
    QVERIFY(QTest::qWaitForWindowExposed(&m_screen->window));
}

void TestAmountField::cleanup()
{
    m_screen.reset();
}

void TestAmountField::typing_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");

    QTest::newRow("amount") << "1200.5" << "1200.5";
    QTest::newRow("letters and punctuation ignored") << "1a,2 0x0" << "1200";
    QTest::newRow("thousands separators ignored") << "1,000" << "1000";
    QTest::newRow("second point ignored") << "12.3.4" << "12.34";
    QTest::newRow("third decimal ignored") << "12.345" << "12.34";
    QTest::newRow("13th integer digit ignored") << "1234567890123" << "123456789012";
    QTest::newRow("12 digits then the point and decimals") << "123456789012.34" << "123456789012.34";
    QTest::newRow("13 digits then the point") << "1234567890123.45" << "123456789012.45";
    QTest::newRow("Chinese text ignored") << "壹佰5元" << "5";
    QTest::newRow("leading zeros kept") << "007" << "007";
}

void TestAmountField::typing()
{
    QFETCH(QString, keys);
    QFETCH(QString, text);
    typeText(m_screen->edit, keys);
    QCOMPARE(m_screen->edit->text(), text);
}

void TestAmountField::editingKeysKeepTheirFunction()
{
    QLineEdit* edit = m_screen->edit;
    typeText(edit, QStringLiteral("12.34"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("12.3"));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(edit->text(), QStringLiteral("2.3"));
    QTest::keyClick(edit, Qt::Key_Right);
    typeText(edit, QStringLiteral("5"));
    QCOMPARE(edit->text(), QStringLiteral("25.3"));
    QCOMPARE(edit->cursorPosition(), 2);
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Backspace); // the point: 253 is a fine amount
    QCOMPARE(edit->text(), QStringLiteral("253"));
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("25.3"));
}

void TestAmountField::backspaceOverThePointThatWouldOverflow()
{
    QLineEdit* edit = m_screen->edit;
    typeText(edit, QStringLiteral("123456789012.34"));
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("123456789012.34"));
    // Taking the decimals away first lets the point go.
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("123456789012"));
}

void TestAmountField::pasteIsFiltered_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("home");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("byKeys");
    QTest::addColumn<QString>("text");

    QTest::newRow("separators dropped (Ctrl+V)") << "" << false << "1,000.50" << true << "1000.50";
    QTest::newRow("separators dropped (menu)") << "" << false << "1,000.50" << false << "1000.50";
    QTest::newRow("currency text dropped") << "" << false << "￥12.50元" << true << "12.50";
    QTest::newRow("point dropped before the field's point") << "12.5" << true << "3.4" << true << "3412.5";
    QTest::newRow("13 digits refused") << "5" << false << "234567890123" << false << "5";
    QTest::newRow("12 digits taken") << "5" << false << "23456789012" << false << "523456789012";
    QTest::newRow("three decimals refused") << "1" << false << ".234" << true << "1";
}

void TestAmountField::pasteIsFiltered()
{
    QFETCH(QString, typed);
    QFETCH(bool, home);
    QFETCH(QString, clipboard);
    QFETCH(bool, byKeys);
    QFETCH(QString, text);

    QLineEdit* edit = m_screen->edit;
    typeText(edit, typed);
    if (home)
        QTest::keyClick(edit, Qt::Key_Home);
    QGuiApplication::clipboard()->setText(clipboard);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
    if (byKeys)
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    else
        edit->paste(); // as the context menu does
    QCOMPARE(edit->text(), text);
}

void TestAmountField::clipboardShortcuts()
{
    QLineEdit* edit = m_screen->edit;
    typeText(edit, QStringLiteral("12.5"));
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("12.5"));
    QCOMPARE(edit->text(), QStringLiteral("12.5"));
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(edit->text(), QString());
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("12.5"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier); // 12.512.5 would have three decimals
    QCOMPARE(edit->text(), QStringLiteral("12.5"));
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier); // the pasted point gives way to the field's
    QCOMPARE(edit->text(), QStringLiteral("12512.5"));
}

void TestAmountField::enterStillReachesTheScreen()
{
    QSignalSpy returns(m_screen->edit, &QLineEdit::returnPressed);
    typeText(m_screen->edit, QStringLiteral("12."));
    QTest::keyClick(m_screen->edit, Qt::Key_Return);
    QCOMPARE(returns.count(), 1);
    QCOMPARE(m_screen->edit->text(), QStringLiteral("12."));
}

void TestAmountField::textSetFromCodeIsFiltered()
{
    m_screen->edit->setText(QStringLiteral("1,200.50"));
    QCOMPARE(m_screen->edit->text(), QStringLiteral("1200.50"));
    m_screen->edit->clear();
    QCOMPARE(m_screen->edit->text(), QString());
    typeText(m_screen->edit, QStringLiteral("9.9"));
    QCOMPARE(m_screen->edit->text(), QStringLiteral("9.9"));
}

void TestAmountField::boxesFoundByNumber()
{
    // The voucher screen's boxes, made leftmost first and mixed with a non-text child.
    QWidget panel;
    panel.setObjectName(QStringLiteral("P_jine"));
    for (int k = 15; k >= 1; --k) {
        auto* box = new QLabel(&panel);
        box->setObjectName(QStringLiteral("Panel%1").arg(k, 3, 10, QLatin1Char('0')));
        if (k == 8)
            new QFrame(&panel); // no text: not a box
    }
    const QList<QWidget*> boxes = DigitBoxesOf(&panel);
    QCOMPARE(boxes.size(), 15);
    for (int k = 0; k < 15; ++k)
        QCOMPARE(boxes.at(k)->objectName(), QStringLiteral("Panel%1").arg(k + 1, 3, 10, QLatin1Char('0')));

    FillDigitBoxes(&panel, QStringLiteral("120050"));
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("Panel001"))->text(), QStringLiteral("0"));
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("Panel002"))->text(), QStringLiteral("5"));
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("Panel006"))->text(), QStringLiteral("1"));
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("Panel007"))->text(), QStringLiteral("￥"));
    QCOMPARE(panel.findChild<QLabel*>(QStringLiteral("Panel008"))->text(), QString());

    ClearDigitBoxes(&panel);
    for (QWidget* box : boxes)
        QCOMPARE(qobject_cast<QLabel*>(box)->text(), QString());
}

void TestAmountField::boxesFoundInCreationOrder()
{
    QWidget panel;
    QList<QLabel*> made;
    for (int k = 0; k < 15; ++k)
        made.append(new QLabel(&panel));
    const QList<QWidget*> boxes = DigitBoxesOf(&panel);
    for (int k = 0; k < 15; ++k)
        QCOMPARE(boxes.at(k), made.at(k));
    FillDigitBoxes(boxes, QStringLiteral("98765432109876"));
    QCOMPARE(made.at(0)->text(), QStringLiteral("6"));
    QCOMPARE(made.at(13)->text(), QStringLiteral("9"));
    QCOMPARE(made.at(14)->text(), QStringLiteral("￥"));
}

void TestAmountField::boxPanelWithoutFifteenBoxes()
{
    QWidget panel;
    panel.setObjectName(QStringLiteral("P_jine"));
    for (int k = 0; k < 14; ++k)
        new QLabel(&panel);
    QCOMPARE(errorOf([&] { DigitBoxesOf(&panel); }), QStringLiteral("数字框面板“P_jine”应有15个数字框,实有14个"));
    QCOMPARE(errorOf([&] { FillDigitBoxes(QList<QWidget*>(), QStringLiteral("100")); }),
             QStringLiteral("数字框应有15个可显示文字的控件,实有0个"));
}

void TestAmountField::leavingTheField_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("completed");
    QTest::addColumn<QString>("boxes");
    QTest::addColumn<QString>("capitals");

    QTest::newRow("empty") << "" << ".00" << "· · · · · · · · · · · · ￥ 0 0" << " 零元零角整";
    QTest::newRow("1200.5") << "1200.5" << "1200.50" << "· · · · · · · · ￥ 1 2 0 0 5 0" << "壹仟贰佰元伍角整";
    QTest::newRow("1200.05") << "1200.05" << "1200.05" << "· · · · · · · · ￥ 1 2 0 0 0 5" << "壹仟贰佰元零伍分";
    QTest::newRow(".5") << ".5" << ".50" << "· · · · · · · · · · · · ￥ 5 0" << "伍角整";
    QTest::newRow("12.") << "12." << "12.00" << "· · · · · · · · · · ￥ 1 2 0 0" << "壹拾贰元整";
    QTest::newRow("007") << "007" << "007.00" << "· · · · · · · · · ￥ 0 0 7 0 0" << "柒元整";
    QTest::newRow("0.50") << "0.50" << "0.50" << "· · · · · · · · · · · ￥ 0 5 0" << "伍角整";
    QTest::newRow("1,000 typed") << "1,000" << "1000.00" << "· · · · · · · · ￥ 1 0 0 0 0 0" << "壹仟元整";
    QTest::newRow("100010000") << "100010000" << "100010000.00" << "· · · ￥ 1 0 0 0 1 0 0 0 0 0 0"
                               << "壹亿零壹万元整";
    QTest::newRow("all 15 boxes") << "987654321098.76" << "987654321098.76" << "￥ 9 8 7 6 5 4 3 2 1 0 9 8 7 6"
                                  << "玖仟捌佰柒拾陆亿伍仟肆佰叁拾贰万壹仟零玖拾捌元柒角陆分";
}

void TestAmountField::leavingTheField()
{
    QFETCH(QString, keys);
    QFETCH(QString, completed);
    QFETCH(QString, boxes);
    QFETCH(QString, capitals);

    // Boxes left over from a longer amount must not stay.
    m_screen->box(15)->setText(QStringLiteral("￥"));
    m_screen->box(14)->setText(QStringLiteral("9"));
    typeText(m_screen->edit, keys);
    QCOMPARE(LeaveAmountField(m_screen->edit, m_screen->boxPanel, m_screen->capitals), completed);
    QCOMPARE(m_screen->edit->text(), completed);
    QCOMPARE(m_screen->boxes(), boxes);
    QCOMPARE(m_screen->capitals->text(), capitals);
}

void TestAmountField::leavingAgainChangesNothing()
{
    typeText(m_screen->edit, QStringLiteral("1200.5"));
    LeaveAmountField(m_screen->edit, m_screen->boxPanel, m_screen->capitals);
    const QString boxes = m_screen->boxes();
    QCOMPARE(LeaveAmountField(m_screen->edit, m_screen->boxPanel, m_screen->capitals), QStringLiteral("1200.50"));
    QCOMPARE(m_screen->edit->text(), QStringLiteral("1200.50"));
    QCOMPARE(m_screen->boxes(), boxes);
    QCOMPARE(m_screen->capitals->text(), QStringLiteral("壹仟贰佰元伍角整"));
}

void TestAmountField::stubCopyComesBeforeTheCapitals()
{
    QLineEdit stub;
    m_screen->capitals->setText(QStringLiteral("old"));
    typeText(m_screen->edit, QStringLiteral("60708.09"));
    QString boxesAtCopy;
    QString capitalsAtCopy;
    LeaveAmountField(m_screen->edit, m_screen->boxPanel, m_screen->capitals, [&](const QString& completed) {
        stub.setText(completed);
        boxesAtCopy = m_screen->boxes();
        capitalsAtCopy = m_screen->capitals->text();
    });
    QCOMPARE(stub.text(), QStringLiteral("60708.09"));
    QCOMPARE(boxesAtCopy, QStringLiteral("· · · · · · · ￥ 6 0 7 0 8 0 9"));
    QCOMPARE(capitalsAtCopy, QStringLiteral("old"));
    QCOMPARE(m_screen->capitals->text(), QStringLiteral("陆万零柒佰零捌元零玖分"));
}

void TestAmountField::leavingWithNoAmountReportsIt()
{
    // Only code can put such a text into the field: 13 digits are more than the rules let through.
    ScriptedPrompter prompter;
    typeText(m_screen->edit, QStringLiteral("5"));
    LeaveAmountField(m_screen->edit, m_screen->boxPanel, m_screen->capitals);
    m_screen->edit->setText(QStringLiteral("1234567890123"));
    QCOMPARE(m_screen->edit->text(), QStringLiteral("1234567890123"));

    guarded([&] { LeaveAmountField(m_screen->edit, m_screen->boxPanel, m_screen->capitals); });
    QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 1);
    QCOMPARE(prompter.last().caption, ApplicationTitle());
    QCOMPARE(prompter.last().text,
             QStringLiteral("金额“1234567890123”无效:金额只能由数字和一个小数点组成,小数点前最多12位,小数点后最多2位"));
    QCOMPARE(m_screen->edit->text(), QStringLiteral("1234567890123"));
    QCOMPARE(m_screen->boxes(), QStringLiteral("· · · · · · · · · · · · · · ·"));
    QCOMPARE(m_screen->capitals->text(), QStringLiteral("伍元整"));
}

QTEST_MAIN(TestAmountField)
#include "tst_amountfield.moc"
