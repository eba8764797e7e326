// The cheque print job from the confirmation to the rendered page (the preview replaced by a
// PDF render), on a database of 10,000 payees and 100,000 register rows.
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "cheque/ChequePanel.h"
#include "cheque/PrintCheque.h"
#include "common/Clock.h"
#include "common/Prompt.h"
#include "print/ChequePrintForm.h"
#include "print/Report.h"
#include "store/DataModule.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPrinter>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Zt_typro;

namespace
{
// Answers Yes and renders the preview's page into a PDF file.
class PdfPrompter : public QtPrompter
{
public:
    explicit PdfPrompter(QString path) : m_path(std::move(path)) { setPrompter(this); }
    ~PdfPrompter() override { setPrompter(nullptr); }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    bool confirmDetailed(QWidget*, const QString&, const QString&, const QString&) override { return true; }
    PreviewResult preview(QWidget*, const QString&, const QString&,
                          const std::function<void(QPrinter*)>& paint) override
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_path);
        paint(&printer);
        return {true, m_path};
    }

private:
    QString m_path;
};
} // namespace

class BenchChequeJob : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
        PrepareApplication();
        CreateForms();
        D_M->ensureConnected();
        QSqlDatabase db = QSqlDatabase::database(D_M->connectionName());
        QVERIFY(db.transaction());
        QSqlQuery q(db);
        QVERIFY(q.prepare(QStringLiteral("insert into skr (skrmc, zh, khh, cs) values (?, '', '', ?)")));
        for (int i = 0; i < 10000; ++i) {
            q.addBindValue(QStringLiteral("收款单位%1").arg(i));
            q.addBindValue(i % 97);
            QVERIFY(q.exec());
        }
        QVERIFY(q.prepare(QStringLiteral("insert into zp (ph, skr, je, yt, nian, yue, ri, fjxx, rq, hkfs) "
                                         "values (?, ?, '100.00', '货款', '2005', '3', '7', '', ?, '转帐')")));
        const QDate first(2000, 1, 1);
        for (int i = 0; i < 100000; ++i) {
            q.addBindValue(QString::number(10000000 + i));
            q.addBindValue(QStringLiteral("收款单位%1").arg(i % 10000));
            q.addBindValue(first.addDays(i % 3650).toString(Qt::ISODate));
            QVERIFY(q.exec());
        }
        QVERIFY(db.commit());
        SetToday(QDate(2005, 12, 25));
        Frm_main->findChild<QAction*>(QStringLiteral("mnuzpbj"))->trigger();
    }

    void cleanupTestCase()
    {
        DestroyForms();
    }

    void printCheque()
    {
        PdfPrompter prompter(m_dir.filePath(QStringLiteral("cheque.pdf")));
        ChequePanel* s = Frm_main->Panel_zp;
        int n = 0;
        QBENCHMARK {
            s->E_ph->setText(QString::number(90000000 + ++n));
            s->CB_skr->setEditText(QStringLiteral("收款单位%1").arg(n % 10000));
            s->Edit_je->setText(QStringLiteral("1234.5"));
            s->Edit_jeExit();
            s->Edit_yt->setText(QStringLiteral("货款"));
            PrintCheque(*Frm_main->Panel_zp, QStringLiteral("zz"));
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(BenchChequeJob)
#include "bench_chequejob.moc"
