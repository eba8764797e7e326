// Hard inputs typed into every text field of the cheque screen and the organisation panel: quotes,
// a backslash, % and _, a text longer than the field's column, control characters, characters
// outside the Basic Multilingual Plane, a GBK-only character, an empty text and blanks only. For
// each, the program either stores and prints exactly what the field holds, or refuses with a
// message before storing anything. Nothing is truncated or altered on the way to the database or
// the print form.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "numerals/Amount.h"
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "settings/OrgPanel.h"
#include "store/DataModule.h"
#include "store/Settings.h"
#include "tests/cheque/ChequeFixture.h"
#include "tests/hardening/HardInputs.h"

#include <QSqlRecord>

using namespace Zt_typro;

namespace
{

const QString kRequired = QStringLiteral("票号、收款人、金额、用途不能为空!");

// A field of the cheque screen: its register column, the length the column or the field keeps,
// and what the refusal of a longer text says ("" when the field itself stops at its length).
struct ChequeField
{
    const char* name;
    const char* column; // column of zp, "" when the field is only printed
    int limit;
    QString overLimitMessage;
    bool required;
    const char* label; // the first print label that shows the field, "" when it is not printed
};

const QList<ChequeField>& chequeFields()
{
    static const QList<ChequeField> fields = {
        {"E_ph", "ph", 20, QString(), true, ""},
        {"CB_skr", "skr", 50, QStringLiteral("收款人名称最多只能有50个字符（现有51个），未保存。"), true, "QRL_skr"},
        {"Edit_yt", "yt", 50, QStringLiteral("用途最多只能有50个字符（现有51个），未保存。"), true, "QRL_yt"},
        {"Memo_xinxi", "fjxx", 90, QStringLiteral("附加信息最多只能有90个字符（现有91个），未保存。"), false, "QRL_fjxx1"},
        {"E_shoukuanren", "", 200, QString(), false, "QRL_skrcg"},
        {"E_yongtu", "", 200, QString(), false, "QRL_ytcg"},
        {"Edit_je", "je", 15, QString(), false, "QRL_jecg"},
        {"CB_nian", "nian", 4, QString(), false, "QRL_nian"},
        {"CB_yue", "yue", 2, QString(), false, "QRL_yue"},
        {"CB_ri", "ri", 2, QString(), false, "QRL_ri"},
    };
    return fields;
}

// What the print form shows of a field.
QString printed(const QString& field)
{
    const TFrm_zz_print& p = *Frm_zz_print;
    if (field == QLatin1String("CB_skr"))
        return p.QRL_skr->caption();
    if (field == QLatin1String("Edit_yt"))
        return p.QRL_yt->caption();
    if (field == QLatin1String("E_shoukuanren"))
        return p.QRL_skrcg->caption();
    if (field == QLatin1String("E_yongtu"))
        return p.QRL_ytcg->caption();
    if (field == QLatin1String("Memo_xinxi"))
        return p.QRL_fjxx1->caption() + p.QRL_fjxx2->caption() + p.QRL_fjxx3->caption() + p.QRL_fjxx4->caption();
    return {};
}

} // namespace

class TestHardInputs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    void chequeField_storesAndPrintsExactlyOrRefuses_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("paste");
        for (const ChequeField& f : chequeFields()) {
            const bool digitsOnly = QByteArray(f.name).startsWith("CB_") && QByteArray(f.name) != "CB_skr";
            const QString longText = QByteArray(f.name) == "Edit_je" ? QStringLiteral("1234567890123.456")
                                     : digitsOnly                     ? QString(f.limit + 1, u'1')
                                                                      : TextOfLength(f.limit + 1);
            for (const HardInput& in : HardInputs(longText))
                QTest::addRow("%s: %s", f.name, in.name) << QString::fromLatin1(f.name) << in.text << in.paste;
        }
    }

    void chequeField_storesAndPrintsExactlyOrRefuses()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(bool, paste);
        const ChequeField def = *std::find_if(chequeFields().begin(), chequeFields().end(),
                                               [&](const ChequeField& f) { return field == QLatin1String(f.name); });

        ChequeFixture f;
        f.fill(QStringLiteral("10203040"), QStringLiteral("某某贸易有限公司"), QStringLiteral("1234.5"),
               QStringLiteral("货款"));
        QWidget* w = f.screen->findChild<QWidget*>(field);
        QVERIFY2(w, qPrintable(field));
        ClearWidget(w);
        PutText(TypingTarget(w), HardInput{"", input, paste});
        // Leave the field, as the operator does before printing.
        (w == f.screen->E_ph ? static_cast<QWidget*>(f.screen->Edit_yt) : f.screen->E_ph)->setFocus();
        QCoreApplication::processEvents();
        const QString held = WidgetText(w);

        // What the field holds is what was typed: only a field with a length of its own stops at it,
        // and the amount field keeps to its key rules (digits and one point).
        if (field == QLatin1String("Edit_je"))
            QVERIFY2(IsAmountText(held), qPrintable(held));
        else if (field == QLatin1String("E_ph"))
            QCOMPARE(held, input.left(20));
        else
            QCOMPARE(held, input);

        const int payeesBefore = f.count(QStringLiteral("select count(*) from skr"));
        // The print button, then "确 定" of the type choice when the button showed it.
        f.screen->RadioButton_zz->setChecked(true);
        f.prompter.confirmAnswers.enqueue(true);
        f.screen->Button_pjdy->click();
        if (f.screen->Panel_zplx->isVisible())
            f.screen->Button_qd->click();
        const int rows = f.count(QStringLiteral("select count(*) from zp"));
        QList<ScriptedPrompter::Question> messages = f.prompter.ofKind(QStringLiteral("inform"));
        messages += f.prompter.ofKind(QStringLiteral("error"));

        // The expected refusals; everything else is stored.
        QString refusal;
        const bool dateField = field.startsWith(QLatin1String("CB_")) && field != QLatin1String("CB_skr");
        if (held.isEmpty() && def.required)
            refusal = kRequired;
        else if (dateField)
            refusal = QStringLiteral("出票日期 \"%1\" 不是有效的日期，支票没有保存。请在存根上改正年、月、日。")
                          .arg(QStringLiteral("%1-%2-%3").arg(field == QLatin1String("CB_nian") ? held : QStringLiteral("2005"),
                                                          field == QLatin1String("CB_yue") ? held : QStringLiteral("12"),
                                                          field == QLatin1String("CB_ri") ? held : QStringLiteral("25")));
        else if (held.size() > def.limit && !def.overLimitMessage.isEmpty())
            refusal = def.overLimitMessage;
        else if (*def.label && held.contains(QStringLiteral("𠀀")))
            // No installed Chinese face has this character: printing it would give a box.
            refusal = QStringLiteral("字体“宋体”中没有“𠀀”的字形（%1），打印出来会是方框。请安装中文字体（如 Noto Serif CJK SC）后再打印。")
                          .arg(QLatin1String(def.label));

        if (!refusal.isEmpty()) {
            QVERIFY2(!messages.isEmpty(), "refused without a message");
            QCOMPARE(messages.last().text, refusal);
            QCOMPARE(rows, 0);
            QCOMPARE(f.count(QStringLiteral("select count(*) from skr")), payeesBefore);
            QCOMPARE(f.prompter.previews, 0);
            QCOMPARE(WidgetText(w), held); // the screen keeps what the operator typed
            return;
        }

        QVERIFY2(messages.isEmpty(), qPrintable(messages.isEmpty() ? QString() : messages.first().text));
        QCOMPARE(rows, 1);
        QCOMPARE(f.prompter.previews, 1);
        if (*def.column) {
            QSqlQuery q = f.sql(QStringLiteral("select %1 from zp").arg(QLatin1String(def.column)));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), field == QLatin1String("Edit_je") ? CompleteAmountText(held) : held);
        }
        if (field == QLatin1String("CB_skr")) {
            // The payee list keeps the name without surrounding blanks, the register as typed.
            QSqlQuery q = f.sql(QStringLiteral("select skrmc, cs from skr"));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), held.trimmed());
            QCOMPARE(q.value(1).toInt(), 0);
            QVERIFY(!q.next());
        }
        if (field == QLatin1String("Edit_je"))
            QCOMPARE(Frm_zz_print->QRL_jecg->caption(), CompleteAmountText(held));
        if (!printed(field).isNull() || field == QLatin1String("Memo_xinxi"))
            QCOMPARE(printed(field), held);
    }

    // Closing the program while the amount field has the focus: the field's exit handler runs as
    // the main window goes away and must find no window rather than a half-destroyed one (the
    // sanitizer build reported the access to the dying main window).
    void closingWithAmountFocused_leavesNoHandlerOnADyingWindow()
    {
        {
            ChequeFixture f;
            f.screen->Edit_je->setFocus();
            TypeText(f.screen->Edit_je, QStringLiteral("12.5"));
            QVERIFY(f.screen->Edit_je->hasFocus());
        }
        QVERIFY(Frm_main == nullptr);
        QVERIFY(D_M == nullptr);
    }

    void orgPanel_storesTrimmedTextExactly_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("paste");
        for (const char* name : {"Edit_dwqc", "Edit_yhzh", "Edit_khh"}) {
            for (const HardInput& in : HardInputs(TextOfLength(300)))
                QTest::addRow("%s: %s", name, in.name) << QString::fromLatin1(name) << in.text << in.paste;
        }
    }

    void orgPanel_storesTrimmedTextExactly()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(bool, paste);
        FormsFixture forms;
        ScriptedPrompter prompter;
        Frm_main->show();
        Frm_main->findChild<QAction*>(QStringLiteral("mnuzh"))->trigger();
        OrgPanel* panel = Frm_main->Panel_dwset;
        QVERIFY(panel->isVisible());
        for (QLineEdit* e : {panel->Edit_dwqc, panel->Edit_yhzh, panel->Edit_khh})
            e->setText(QStringLiteral("其他"));
        auto* edit = panel->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        edit->clear();
        PutText(edit, HardInput{"", input, paste});
        QCOMPARE(edit->text(), input);
        panel->Button_dwset_qd->click();

        QVERIFY2(prompter.questions.isEmpty(), qPrintable(prompter.last().text));
        QVERIFY(!panel->isVisible());
        const QString stored = field == QLatin1String("Edit_dwqc")   ? ReadOrgName()
                               : field == QLatin1String("Edit_yhzh") ? ReadOrgAccount()
                                                                     : ReadOrgBank();
        // Confirming removes surrounding blanks and control characters, nothing else.
        QCOMPARE(stored, TrimText(input));
        // Opening the panel again shows what was stored.
        Frm_main->findChild<QAction*>(QStringLiteral("mnuzh"))->trigger();
        QCOMPARE(edit->text(), stored);
    }
};

QTEST_MAIN(TestHardInputs)
#include "tst_hardinputs.moc"
