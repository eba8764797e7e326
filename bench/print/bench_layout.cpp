#include "app/Forms.h"
#include "print/ChequePrintForm.h"
#include "print/Placement.h"
#include "print/Report.h"
#include "store/DataModule.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Zt_typro;

// How long the placement rule and the PDF renderer take for one cheque, on a real database.
class BenchLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void applyLayout();
    void renderChequeToPdf();
    void applyLayoutAndRenderChequeToPdf();

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

void BenchLayout::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_previous = QDir::currentPath();
    QDir::setCurrent(m_dir.path());
    PrepareApplication();
    CreateForms();
    D_M->ensureConnected(); // the first query creates the database; not part of the measure
}

void BenchLayout::cleanupTestCase()
{
    DestroyForms();
    QDir::setCurrent(m_previous);
}

void BenchLayout::applyLayout()
{
    TFrm_zz_print form;
    QBENCHMARK {
        ApplyLayoutToLabels(&form, QStringLiteral("zz"));
    }
    QCOMPARE(form.QRL_fen->position(), QPoint(715, 103));
}

void BenchLayout::renderChequeToPdf()
{
    TFrm_zz_print form;
    ApplyLayoutToLabels(&form, QStringLiteral("zz"));
    const QString path = m_dir.filePath(QStringLiteral("cheque.pdf"));
    QBENCHMARK {
        RenderReportToPdf(*form.QuickRep1, path);
    }
    QVERIFY(QFileInfo(path).size() > 0);
}

void BenchLayout::applyLayoutAndRenderChequeToPdf()
{
    const QString path = m_dir.filePath(QStringLiteral("sample.pdf"));
    QBENCHMARK {
        TFrm_zz_print form;
        ApplyLayoutToLabels(&form, QStringLiteral("xj"));
        D_M->ADOQ_zb->close();
        RenderReportToPdf(*form.QuickRep1, path);
    }
    QVERIFY(QFileInfo(path).size() > 0);
}

QTEST_MAIN(BenchLayout)
#include "bench_layout.moc"
