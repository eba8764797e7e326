// Hard inputs typed into every text field of the voucher screen, the register search, the password
// panel, the login and the printer calibration: quotes, a backslash, % and _, a text longer than the field's column,
// control characters, characters outside the Basic Multilingual Plane, a GBK-only character, an
// empty text and blanks only. The voucher prints exactly what its fields hold and keeps a new
// payee without surrounding blanks, or refuses with a message before anything is stored; a search
// lists exactly the rows that hold the text (% and _ are no wildcards, a quote is a character);
// a password is whatever was typed, so that the same keys open the program again; a calibration
// value that is no number is refused and the stored calibration stays. The same texts as file
// names of a backup, a restore and an export are used exactly as typed.
#include "app/Forms.h"
#include "app/Login.h"
#include "app/MainWindow.h"
#include "common/PasswordHash.h"
#include "numerals/Amount.h"
#include "print/Calibration.h"
#include "print/Report.h"
#include "print/VoucherPrintForm.h"
#include "printsetup/CalibrationPanel.h"
#include "settings/PasswordPanel.h"
#include "store/Backup.h"
#include "store/Schema.h"
#include "store/Settings.h"
#include "tests/hardening/HardInputs.h"
#include "tests/register/RegisterFixture.h"
#include "tests/voucher/VoucherFixture.h"

#include <QScopeGuard>
#include <QSqlError>

#include <memory>

using namespace Zt_typro;

namespace
{

// A field of the voucher screen: the length its payee-list column keeps (0: not stored), the
// refusal of a longer text, and the print label that shows it.
struct VoucherField
{
    const char* name;
    int limit;
    QString overLimitMessage;
    const char* label;
};

const QList<VoucherField>& voucherFields()
{
    static const QList<VoucherField> fields = {
        {"ComboBox_skrmc", 50, QStringLiteral("收款人名称最多只能有50个字符（现有51个），未保存。"), "QRL_skrmc"},
        {"E_skrzh", 50, QStringLiteral("收款人帐号最多只能有50个字符（现有51个），未保存。"), "QRL_skrzh"},
        {"E_skrkhh", 50, QStringLiteral("收款人开户行最多只能有50个字符（现有51个），未保存。"), "QRL_skrkhh"},
        {"Edit_jine", 0, QString(), "QRL_dx"},
        {"ComboBox_nian", 0, QString(), "QRL_nian"},
        {"ComboBox_yue", 0, QString(), "QRL_yue"},
        {"ComboBox_ri", 0, QString(), "QRL_ri"},
    };
    return fields;
}

QString noGlyphMessage(const char* label)
{
    return QStringLiteral("字体“宋体”中没有“𠀀”的字形（%1），打印出来会是方框。请安装中文字体（如 Noto Serif CJK SC）后再打印。")
        .arg(QLatin1String(label));
}

QStringList printedDigits()
{
    const TFrm_pz_print& p = *Frm_pz_print;
    const ReportLabel* digits[15] = {p.QRL_fen, p.QRL_jiao, p.QRL_yuan, p.QRL_shi,   p.QRL_bai,
                                     p.QRL_qian, p.QRL_wan, p.QRL_rs,  p.QRL_rb,    p.QRL_rq,
                                     p.QRL_yi,  p.QRL_shiyi, p.QRL_baiyi, p.QRL_qianyi, p.QRL_wanyi};
    QStringList texts;
    for (const ReportLabel* l : digits)
        texts << l->caption();
    return texts;
}

// The register rows a search is tried against: every hard input, and for each the texts that a
// wildcard, a lost quote or a changed case or blank would wrongly match. Each row is told apart
// by its purpose, "行<n>".
struct RegisterRow
{
    QString ph;
    QString skr;
    QString yt;
};

QList<RegisterRow> registerRows()
{
    QStringList texts;
    for (const HardInput& in : HardInputs(TextOfLength(21)) + HardInputs(TextOfLength(129))) {
        const QString t = in.text;
        QString wild = t;
        wild.replace(u'%', QStringLiteral("xx")).replace(u'_', u'y');
        const QStringList near = {t,
                                  wild,
                                  t + QStringLiteral("x"),
                                  QStringLiteral("x") + t,
                                  t.toUpper(),
                                  QStringLiteral(" ") + t + QStringLiteral(" "),
                                  QString(t).remove(QLatin1Char('\''))};
        for (const QString& v : near) {
            if (!texts.contains(v))
                texts << v;
        }
    }
    QList<RegisterRow> rows;
    for (const QString& v : texts) {
        RegisterRow r{v, v, QStringLiteral("行%1").arg(rows.size() + 1)};
        if (!CheckColumnValue(QStringLiteral("zp.ph"), r.ph).isEmpty())
            r.ph = QStringLiteral("-");
        if (!CheckColumnValue(QStringLiteral("zp.skr"), r.skr).isEmpty())
            r.skr = QStringLiteral("-");
        rows << r;
    }
    return rows;
}

const QString kOtherPassword = QStringLiteral("另一个 Pass1");

} // namespace

class TestHardInputsPanels : public QObject
{
    Q_OBJECT

private slots:
    void voucherField_printsExactlyOrRefuses_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("paste");
        for (const VoucherField& f : voucherFields()) {
            const QByteArray name(f.name);
            // Longer than the field takes: the column, the amount's 12 digits and 2 decimals, the
            // four digits of a year, the two of a month or day.
            QString longText = TextOfLength(f.limit + 1);
            if (name == "Edit_jine")
                longText = QStringLiteral("1234567890123.456");
            else if (name == "ComboBox_nian")
                longText = QStringLiteral("20245");
            else if (name == "ComboBox_yue" || name == "ComboBox_ri")
                longText = QStringLiteral("111");
            for (const HardInput& in : HardInputs(longText))
                QTest::addRow("%s: %s", f.name, in.name) << QString::fromLatin1(f.name) << in.text << in.paste;
        }
    }

    void voucherField_printsExactlyOrRefuses()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(bool, paste);
        const VoucherField def = *std::find_if(voucherFields().begin(), voucherFields().end(),
                                               [&](const VoucherField& f) { return field == QLatin1String(f.name); });

        VoucherFixture f; // today is 2024-5-7
        f.openFromMenu();
        f.typeAmount(QStringLiteral("1234.5"));
        f.typePayee(QStringLiteral("某某贸易有限公司"));
        f.screen->E_skrzh->setText(QStringLiteral("6217 0002"));
        f.screen->E_skrkhh->setText(QStringLiteral("建设银行"));
        QWidget* w = f.screen->findChild<QWidget*>(field);
        QVERIFY2(w, qPrintable(field));
        ClearWidget(w);
        PutText(TypingTarget(w), HardInput{"", input, paste});
        // Leave the field, as the operator does before printing.
        (w == f.screen->E_skrzh ? f.screen->E_skrkhh : f.screen->E_skrzh)->setFocus();
        QCoreApplication::processEvents();
        const QString held = WidgetText(w);
        if (field == QLatin1String("Edit_jine"))
            QVERIFY2(IsAmountText(held), qPrintable(held)); // the key rules keep digits and one point
        else
            QCOMPARE(held, input);
        QVERIFY2(f.prompter.questions.isEmpty(), qPrintable(f.prompter.last().text)); // typing asks nothing

        const QString amount = f.screen->Edit_jine->text();
        const QString name = f.screen->ComboBox_skrmc->currentText();
        const QString account = f.screen->E_skrzh->text();
        const QString bank = f.screen->E_skrkhh->text();
        const QStringList date = {f.screen->ComboBox_nian->currentText(), f.screen->ComboBox_yue->currentText(),
                                  f.screen->ComboBox_ri->currentText()};

        f.screen->RadioButton_dhpz->setChecked(true);
        f.prompter.confirmAnswers.enqueue(true);
        f.screen->Button_pz_dy->click();
        if (f.screen->Panel_pzlx->isVisible())
            f.screen->Button_pzlx_qd->click();
        QList<ScriptedPrompter::Question> messages = f.prompter.ofKind(QStringLiteral("inform"));
        messages += f.prompter.ofKind(QStringLiteral("error"));

        QString refusal;
        if (field == QLatin1String("Edit_jine") && held.isEmpty())
            refusal = QStringLiteral("金额不能为空!");
        else if (field.startsWith(QLatin1String("ComboBox_")) && field != QLatin1String("ComboBox_skrmc"))
            // None of the hard inputs makes a day of the calendar.
            refusal = QStringLiteral("汇款日期 \"%1\" 不是有效的日期，凭证没有打印。请改正年、月、日。").arg(date.join(u'-'));
        else if (def.limit > 0 && held.trimmed().size() > def.limit)
            refusal = def.overLimitMessage;
        else if (held.contains(QStringLiteral("𠀀")))
            refusal = noGlyphMessage(def.label); // no installed Chinese face has it

        if (!refusal.isEmpty()) {
            QVERIFY2(!messages.isEmpty(), "refused without a message");
            QCOMPARE(messages.last().text, refusal);
            QCOMPARE(messages.size(), 1);
            QCOMPARE(f.prompter.ofKind(QStringLiteral("confirm")).size(), 0);
            QCOMPARE(f.prompter.previews, 0);
            QCOMPARE(f.payees(), QStringList());
            QCOMPARE(WidgetText(w), held); // the screen keeps what the operator typed
            QCOMPARE(f.screen->Edit_jine->text(), amount);
            return;
        }

        QVERIFY2(messages.isEmpty(), qPrintable(messages.isEmpty() ? QString() : messages.first().text));
        QCOMPARE(f.prompter.previews, 1);
        // A new payee is kept without surrounding blanks; nothing else is changed.
        const QString payeeRow =
            QStringList{name.trimmed(), account.trimmed(), bank.trimmed(), QStringLiteral("0")}.join(u'|');
        QCOMPARE(f.payees(), QStringList{payeeRow});
        // The form prints the fields as they stood.
        const TFrm_pz_print& p = *Frm_pz_print;
        QCOMPARE(p.QRL_skrmc->caption(), name);
        QCOMPARE(p.QRL_skrzh->caption(), account);
        QCOMPARE(p.QRL_skrkhh->caption(), bank);
        QCOMPARE((QStringList{p.QRL_nian->caption(), p.QRL_yue->caption(), p.QRL_ri->caption()}), date);
        QCOMPARE(p.QRL_dx->caption(), AmountToCapitals(amount));
        QStringList boxes = DigitBoxTexts(AmountDigitString(amount));
        QCOMPARE(printedDigits(), boxes);
    }

    void registerSearch_listsExactlyTheRowsHoldingTheText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("paste");
        for (const HardInput& in : HardInputs(TextOfLength(21)))
            QTest::addRow("Edit_ph: %s", in.name) << QStringLiteral("Edit_ph") << in.text << in.paste;
        for (const HardInput& in : HardInputs(TextOfLength(129)))
            QTest::addRow("ComboBox_skr: %s", in.name) << QStringLiteral("ComboBox_skr") << in.text << in.paste;
    }

    void registerSearch_listsExactlyTheRowsHoldingTheText()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(bool, paste);
        RegisterFixture f;
        const QList<RegisterRow> rows = registerRows();
        {
            D_M->ensureConnected();
            QSqlDatabase db = QSqlDatabase::database(D_M->connectionName());
            QVERIFY(db.transaction());
            QSqlQuery q(db);
            QVERIFY(q.prepare(QStringLiteral("insert into zp (ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs) "
                                             "values (?, ?, '1.00', ?, '2005', '12', '25', '', '2005-12-25', '转帐')")));
            const auto text = [](const QString& t) { return t.isNull() ? QStringLiteral("") : t; }; // not NULL
            for (const RegisterRow& r : rows) {
                q.addBindValue(text(r.ph));
                q.addBindValue(text(r.skr));
                q.addBindValue(r.yt);
                QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            }
            QVERIFY(db.commit());
        }
        f.openSearch();
        const bool byNumber = field == QLatin1String("Edit_ph");
        f.panel->PageControl_cxfs->setCurrentIndex(byNumber ? 0 : 2);
        QWidget* w = byNumber ? static_cast<QWidget*>(f.panel->Edit_ph) : f.panel->ComboBox_skr;
        ClearWidget(w);
        PutText(TypingTarget(w), HardInput{"", input, paste});
        QCOMPARE(WidgetText(w), input);
        f.panel->Button_zpcx->click();

        QVERIFY2(f.cheque.prompter.questions.isEmpty(), qPrintable(f.cheque.prompter.last().text));
        QVERIFY(f.result->isVisible());
        // The number is searched without its surrounding blanks, the payee exactly as typed.
        const QString key = byNumber ? TrimText(input) : input;
        QStringList expected;
        QStringList keys;
        for (const RegisterRow& r : rows) {
            if ((byNumber ? r.ph : r.skr) == key) {
                expected << r.yt;
                keys << key;
            }
        }
        QCOMPARE(f.column(4), expected);
        QCOMPARE(f.column(byNumber ? 0 : 2), keys); // shown exactly as stored
    }

    void passwordFields_theSameKeysOpenTheProgram_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("paste");
        for (const char* name : {"Edit_old_pass", "Edit_newpass", "Edit_newpass_too", "Edit_pass"}) {
            for (const HardInput& in : HardInputs(TextOfLength(300)))
                QTest::addRow("%s: %s", name, in.name) << QString::fromLatin1(name) << in.text << in.paste;
        }
    }

    // Edit_old_pass: the stored password is the input; Edit_newpass and Edit_newpass_too: the new
    // password is the input (typed into one, the same text in the other); Edit_pass: the login
    // with the input as the stored password. Surrounding blanks do not count, everywhere alike.
    void passwordFields_theSameKeysOpenTheProgram()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(bool, paste);
        SettingsSandbox sandbox;
        QVERIFY(sandbox.valid());
        // Fewer rounds than a real password gets: the hash is the same function, only quicker.
        SetNewPasswordRounds(1000);
        const auto restoreRounds = qScopeGuard([] { SetNewPasswordRounds(0); });
        ScriptedPrompter prompter;
        FormsFixture forms;
        PasswordPanel* panel = Frm_main->Panel_pass;

        const auto logsIn = [&](const QString& typed, bool pasted) {
            Frm_main->hide();
            prompter.questions.clear();
            Frm_login->Edit_pass->clear();
            PutText(Frm_login->Edit_pass, HardInput{"", typed, pasted});
            if (Frm_login->Edit_pass->text() != typed)
                qWarning("the login field holds another text");
            Frm_login->Button_yes->click();
            const bool in = Frm_main->isVisible();
            if (in != prompter.questions.isEmpty())
                qWarning("login and message disagree");
            return in && prompter.questions.isEmpty() && Frm_login->Edit_pass->text() == typed;
        };

        if (field == QLatin1String("Edit_pass")) {
            WritePassword(PasswordHash(TrimText(input), 1000));
            QVERIFY(logsIn(input, paste));
            QVERIFY(!logsIn(input + QStringLiteral("1"), false));
            QCOMPARE(prompter.last().text, QStringLiteral("密码错误!"));
            return;
        }

        const bool old = field == QLatin1String("Edit_old_pass");
        WritePassword(PasswordHash(old ? TrimText(input) : kOtherPassword, 1000));
        const QString storedBefore = ReadPassword();
        Frm_main->show();
        Frm_main->findChild<QAction*>(QStringLiteral("pass_set"))->trigger();
        QVERIFY(panel->isVisible());
        auto* edit = panel->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        if (old) {
            panel->Edit_newpass->setText(QStringLiteral("新密码"));
            panel->Edit_newpass_too->setText(QStringLiteral("新密码"));
            // A wrong old password first: refused, nothing changed, the panel stays.
            PutText(edit, HardInput{"", input + QStringLiteral("错"), paste});
            panel->Button_pass_qd->click();
            QCOMPARE(prompter.last().text, QStringLiteral("原密码错误!"));
            QCOMPARE(ReadPassword(), storedBefore);
            QVERIFY(panel->isVisible());
            edit->clear();
        } else {
            panel->Edit_old_pass->setText(kOtherPassword);
            (edit == panel->Edit_newpass ? panel->Edit_newpass_too : panel->Edit_newpass)->setText(input);
        }
        PutText(edit, HardInput{"", input, paste});
        QCOMPARE(edit->text(), input);
        panel->Button_pass_qd->click();

        QCOMPARE(prompter.last().text, QStringLiteral("密码修改成功!"));
        QVERIFY(!panel->isVisible());
        QVERIFY(ReadPassword() != storedBefore);
        QVERIFY(ReadPassword().startsWith(QStringLiteral("pbkdf2-sha256$1000$")));
        const QString fresh = old ? QStringLiteral("新密码") : input;
        QVERIFY(logsIn(fresh, paste && !old));
        QVERIFY(!logsIn(old ? input : kOtherPassword, false));
    }

    void calibrationField_refusedNothingStored_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("paste");
        for (const char* name : {"Edit_pyx", "Edit_pyy", "Edit_blx", "Edit_bly", "Edit_cl1x", "Edit_cl1y",
                                 "Edit_cl2x", "Edit_cl2y"}) {
            for (const HardInput& in : HardInputs(QStringLiteral("12345678901")))
                QTest::addRow("%s: %s", name, in.name) << QString::fromLatin1(name) << in.text << in.paste;
        }
    }

    // None of the hard inputs is a number of millimetres or a scale: "确 定" (the four values) or
    // "计算" (the four measured positions) refuses it by name, and the stored calibration stays.
    void calibrationField_refusedNothingStored()
    {
        QFETCH(QString, field);
        QFETCH(QString, input);
        QFETCH(bool, paste);
        SettingsSandbox sandbox;
        QVERIFY(sandbox.valid());
        ScriptedPrompter prompter;
        FormsFixture forms;
        const QString printer = QStringLiteral("柜台");
        const PrinterCalibration stored{1.5, -0.8, 1.01, 1.01};
        WritePrinterCalibration(printer, stored);
        CalibrationPanel* panel = Frm_main->Panel_dyjjz;
        Frm_main->show();
        panel->show();
        panel->fillPrinters({printer});
        const QStringList shown = {QStringLiteral("1.5"), QStringLiteral("-0.8"), QStringLiteral("1.0100"),
                                   QStringLiteral("1.0100")};
        QCOMPARE((QStringList{panel->Edit_pyx->text(), panel->Edit_pyy->text(), panel->Edit_blx->text(),
                              panel->Edit_bly->text()}),
                 shown);
        // Measured positions where the crosshairs were printed: a calibration that moves nothing.
        const QPointF c1 = CalibrationCrosshair(panel->ComboBox_sz1->currentData().toInt());
        const QPointF c2 = CalibrationCrosshair(panel->ComboBox_sz2->currentData().toInt());
        panel->Edit_cl1x->setText(QString::number(c1.x()));
        panel->Edit_cl1y->setText(QString::number(c1.y()));
        panel->Edit_cl2x->setText(QString::number(c2.x()));
        panel->Edit_cl2y->setText(QString::number(c2.y()));

        auto* edit = panel->findChild<QLineEdit*>(field);
        QVERIFY(edit);
        edit->clear();
        PutText(edit, HardInput{"", input, paste});
        const QString held = edit->text();
        QCOMPARE(held, input.left(10)); // the field stops at its ten characters
        const bool measured = field.startsWith(QLatin1String("Edit_cl"));
        (measured ? panel->Button_jzjs : panel->Button_dyjjz_qd)->click();

        static const QHash<QString, QString> names = {
            {QStringLiteral("Edit_pyx"), QStringLiteral("横向偏移")},
            {QStringLiteral("Edit_pyy"), QStringLiteral("纵向偏移")},
            {QStringLiteral("Edit_blx"), QStringLiteral("横向比例")},
            {QStringLiteral("Edit_bly"), QStringLiteral("纵向比例")},
            {QStringLiteral("Edit_cl1x"), QStringLiteral("第一个十字线的横向位置")},
            {QStringLiteral("Edit_cl1y"), QStringLiteral("第一个十字线的纵向位置")},
            {QStringLiteral("Edit_cl2x"), QStringLiteral("第二个十字线的横向位置")},
            {QStringLiteral("Edit_cl2y"), QStringLiteral("第二个十字线的纵向位置")},
        };
        QString what = QStringLiteral("比例: 请输入 0.95 到 1.05 之间的数，最多四位小数，如 1.01。");
        if (measured)
            what = QStringLiteral("测量值: 请输入从纸边量起的毫米数，如 31.5。");
        else if (field.startsWith(QLatin1String("Edit_py")))
            what = QStringLiteral("偏移量: 请输入毫米数，最多一位小数，如 1.5 或 -0.8。");
        QCOMPARE(prompter.questions.size(), 1);
        QCOMPARE(prompter.last().kind, QStringLiteral("error"));
        QString refusal = QStringLiteral("%1“%2”不是有效的%3").arg(names.value(field), held, what);
        // Ten digits are a number, but far out of range.
        if (held == QLatin1String("1234567890") && field.startsWith(QLatin1String("Edit_py")))
            refusal = QStringLiteral("%1 %2 毫米超出范围: 偏移量应在 -20.0 到 +20.0 毫米之间。").arg(names.value(field), held);
        else if (held == QLatin1String("1234567890") && field.startsWith(QLatin1String("Edit_bl")))
            refusal = QStringLiteral("%1 %2 超出范围: 比例应在 0.95 到 1.05 之间。").arg(names.value(field), held);
        QCOMPARE(prompter.last().text, refusal);
        QCOMPARE(ReadPrinterCalibration(printer), stored);
        QCOMPARE(edit->text(), held);
        if (measured) // nothing was worked out: the values shown stay
            QCOMPARE((QStringList{panel->Edit_pyx->text(), panel->Edit_pyy->text(), panel->Edit_blx->text(),
                                  panel->Edit_bly->text()}),
                     shown);
    }

    void fileNames_backupRestoreAndExportUseThemAsTyped_data()
    {
        QTest::addColumn<QString>("name");
        for (const HardInput& in : HardInputs(TextOfLength(300))) {
            if (!in.text.isEmpty()) // a file dialog gives no empty name: it was cancelled
                QTest::addRow("%s", in.name) << in.text;
        }
    }

    void fileNames_backupRestoreAndExportUseThemAsTyped()
    {
        QFETCH(QString, name);
        RegisterFixture f;
        ScriptedPrompter& prompter = f.cheque.prompter;
        f.print(QDate(2026, 12, 9), QStringLiteral("10000001"), QStringLiteral("甲公司"), QStringLiteral("1"),
                QStringLiteral("货款"));
        const QDir dir(f.cheque.forms.workDir().path());
        const QStringList filesBefore = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
        const QString base = dir.filePath(name);
        const QString backup = base + QStringLiteral(".pdp");
        const QString csv = base + QStringLiteral(".xlsx"); // a workbook unless a CSV file is named
        // Longer than a file name can be on this system: refused by the system, reported, and
        // nothing is left behind.
        const bool tooLong = QFile::encodeName(name + QStringLiteral(".pdp")).size() > 255;

        prompter.questions.clear();
        prompter.fileAnswers.enqueue(base);
        Frm_main->findChild<QAction*>(QStringLiteral("mnubf"))->trigger();
        if (tooLong) {
            QCOMPARE(prompter.last().kind, QStringLiteral("error"));
            QVERIFY2(prompter.last().text.startsWith(QStringLiteral("无法备份数据库")), qPrintable(prompter.last().text));
        } else {
            QCOMPARE(prompter.last().text,
                     QStringLiteral("数据已备份到 %1。").arg(QDir::toNativeSeparators(backup)));
            QCOMPARE(InspectBackup(backup).cheques, 1);
        }

        f.openSearch();
        f.search(1, QDate(2026, 12, 1), QDate(2026, 12, 31));
        prompter.questions.clear();
        prompter.fileAnswers.enqueue(base);
        f.result->Button_zpcx_dc->click();
        if (tooLong) {
            QCOMPARE(prompter.last().kind, QStringLiteral("error"));
            QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden, QDir::Name), filesBefore);
            return;
        }
        QCOMPARE(prompter.last().text, QStringLiteral("已导出 1 张支票到 %1。").arg(QDir::toNativeSeparators(csv)));
        QFile exported(csv);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QVERIFY(exported.readAll().startsWith("PK")); // a workbook is a zip archive

        // A second cheque, then the backup brings the register back to the first.
        f.print(QDate(2026, 12, 10), QStringLiteral("10000002"), QStringLiteral("乙公司"), QStringLiteral("2"),
                QStringLiteral("货款"));
        prompter.questions.clear();
        prompter.fileAnswers.enqueue(backup);
        prompter.confirmAnswers.enqueue(true);
        Frm_main->findChild<QAction*>(QStringLiteral("mnuhf"))->trigger();
        QCOMPARE(prompter.ofKind(QStringLiteral("error")).size(), 0);
        QVERIFY2(prompter.last().text.startsWith(QStringLiteral("数据已恢复，现有支票 1 张。")),
                 qPrintable(prompter.last().text));
        QStringList files = dir.entryList(QDir::Files | QDir::Hidden);
        QStringList expected = filesBefore;
        expected << QFileInfo(csv).fileName() << QFileInfo(backup).fileName();
        files.sort();
        expected.sort();
        QCOMPARE(files, expected); // nothing half-made left beside them
    }
};

QTEST_MAIN(TestHardInputsPanels)
#include "tst_hardinputs_panels.moc"
