// The main window on the screens a clerk works at: 1024 x 768, 1366 x 768 and 1920 x 1080, three
// offscreen screens side by side (tests/app/screens.json). The window opens at its designed size
// and grows when maximised: the working panels keep their designed place and size, the register's
// result list and the layout designers take the room. Screenshots of the cheque screen, the
// register and the designer over a scan, maximised at 1024 x 768 and at 1920 x 1080, go to the
// test's own folder for a person to look at.
#include "app/MainWindow.h"
#include "common/WorkingPanel.h"
#include "printsetup/ChequeDesigner.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/VoucherDesigner.h"
#include "register/ResultPanel.h"
#include "store/PrinterSettings.h"
#include "tests/register/RegisterFixture.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QWindow>

using namespace Zt_typro;

namespace
{

QScreen* screenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            return screen;
    }
    qWarning("no screen %s", qPrintable(name));
    return nullptr;
}

// The window as it opens on a screen: at its designed size, centred in the work area.
void openOn(QScreen* screen)
{
    Frm_main->showNormal();
    Frm_main->windowHandle()->setScreen(screen);
    Frm_main->fitInto(screen->availableGeometry());
    QCoreApplication::processEvents();
}

// The window maximised by the operator on its screen.
void maximise()
{
    Frm_main->showMaximized();
    const QRect available = Frm_main->screen()->availableGeometry();
    QTRY_COMPARE(Frm_main->frameGeometry(), available);
    QCoreApplication::processEvents(); // the view lays the client area out again
}

void saveScreenshot(QWidget* widget, const QString& name)
{
    // Kept beside the test's own home folder, never in the source tree.
    const QString folder = QDir(qEnvironmentVariable("HOME")).filePath(QStringLiteral("screenshots"));
    QDir().mkpath(folder);
    QVERIFY(widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}

QList<WorkingPanel*> workingPanels()
{
    QList<WorkingPanel*> panels;
    for (QObject* child : Frm_main->clientArea()->children()) {
        if (auto* panel = qobject_cast<WorkingPanel*>(child))
            panels << panel;
    }
    return panels;
}

// A scan of a blank transfer cheque at 150 dpi: the form's frame, the boxes of its stub and body
// and their printed captions, a pale green paper.
QString writeChequeScan(const QString& path)
{
    const double pxPerMm = 150.0 / 25.4;
    QImage image(qRound(250.0 * pxPerMm), qRound(95.0 * pxPerMm), QImage::Format_RGB32);
    image.fill(QColor(226, 240, 226));
    image.setDotsPerMeterX(qRound(150.0 / 0.0254));
    image.setDotsPerMeterY(qRound(150.0 / 0.0254));
    QPainter p(&image);
    p.scale(pxPerMm, pxPerMm); // millimetres from the sheet's corner
    p.setPen(QPen(QColor(40, 110, 60), 0.4));
    p.drawRect(QRectF(12, 8, 226, 80));
    p.drawLine(QLineF(75, 8, 75, 88));
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(3);
    p.setFont(f);
    const struct
    {
        double x, y;
        const char* text;
    } captions[] = {{16, 14, "中国工商银行 转帐支票存根"},
                    {16, 30, "附加信息"},
                    {16, 62, "出票日期"},
                    {16, 70, "收款人："},
                    {16, 78, "金  额："},
                    {16, 86, "用  途："},
                    {95, 14, "中国工商银行 转帐支票"},
                    {80, 26, "出票日期（大写）"},
                    {80, 40, "收款人："},
                    {80, 52, "人民币（大写）"},
                    {80, 62, "用途"},
                    {175, 26, "付款行名称："},
                    {175, 36, "出票人帐号："},
                    {168, 58, "亿 千 百 十 万 千 百 十 元 角 分"}};
    for (const auto& c : captions)
        p.drawText(QPointF(c.x, c.y), QString::fromUtf8(c.text));
    p.end();
    if (!image.save(path, "PNG"))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestWindowSize : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    void opensAtItsDesignedSizeAndGrowsWhenMaximised_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::newRow("1024x768") << "1024x768";
        QTest::newRow("1366x768") << "1366x768";
        QTest::newRow("1920x1080") << "1920x1080";
    }

    void opensAtItsDesignedSizeAndGrowsWhenMaximised()
    {
        QFETCH(QString, screen);
        ChequeFixture f;
        QScreen* on = screenNamed(screen);
        QVERIFY(on);
        openOn(on);
        QCOMPARE(Frm_main->screen(), on);
        QVERIFY(on->availableGeometry().contains(Frm_main->frameGeometry()));
        QCOMPARE(Frm_main->clientArea()->size(), QSize(996, 609));
        QScrollArea* view = Frm_main->clientView();
        QCOMPARE(view->viewport()->size(), QSize(996, 609));
        QMap<QString, QRect> designed;
        for (WorkingPanel* panel : workingPanels())
            designed.insert(panel->objectName(), panel->geometry());
        QCOMPARE(designed.size(), 10);

        maximise();
        // The client area fills the window under the menu bar, and nothing scrolls.
        const QSize client = Frm_main->clientArea()->size();
        QCOMPARE(client, view->viewport()->size());
        QCOMPARE(view->viewport()->width(), Frm_main->width());
        QVERIFY(!view->horizontalScrollBar()->isVisible() && !view->verticalScrollBar()->isVisible());
        const QSize grown = client - QSize(996, 609);
        QVERIFY2(grown.width() > 0 && grown.height() > 0,
                 qPrintable(QStringLiteral("%1 x %2").arg(client.width()).arg(client.height())));
        for (WorkingPanel* panel : workingPanels()) {
            const QRect was = designed.value(panel->objectName());
            QCOMPARE(panel->pos(), was.topLeft());
            const bool grows = panel == Frm_main->Panel_zpcxjg || panel == Frm_main->P_zzzp_set ||
                               panel == Frm_main->Panel_pz_set;
            QCOMPARE(panel->size(), grows ? was.size() + grown : was.size());
            QVERIFY(Frm_main->clientArea()->rect().contains(panel->geometry()));
            // Shown, the title strip and the close button follow the right edge.
            panel->show();
            QCOMPARE(panel->closeButton()->geometry().right(), panel->width() - 3);
            QCOMPARE(panel->titleStrip()->width(), panel->width() - 4);
        }

        // Back to the designed size when the window is restored.
        Frm_main->showNormal();
        Frm_main->fitInto(on->availableGeometry());
        QTRY_COMPARE(Frm_main->clientArea()->size(), QSize(996, 609));
        for (WorkingPanel* panel : workingPanels())
            QCOMPARE(panel->geometry(), designed.value(panel->objectName()));
    }

    void theRegisterAt1366x768_showsEveryColumn()
    {
        RegisterFixture f;
        f.print(QDate(2026, 12, 10), QStringLiteral("10203040"),
                QStringLiteral("上海浦东新区陆家嘴金融贸易区开发股份公司"), QStringLiteral("1234567890.12"),
                QStringLiteral("支付二〇二六年第四季度办公用房租金"));
        for (int i = 1; i <= 12; ++i)
            f.print(QDate(2026, 11, i), QStringLiteral("202000%1").arg(i, 2, 10, QLatin1Char('0')),
                    QStringLiteral("收款人%1").arg(i), QStringLiteral("%1.50").arg(i * 1000), QStringLiteral("材料款"));
        openOn(screenNamed(QStringLiteral("1366x768")));
        f.openSearch();
        f.search(1, QDate(2026, 11, 1), QDate(2026, 12, 31));
        QTableView* grid = f.result->DBGrid_cx;
        QCOMPARE(grid->model()->rowCount(), 13);
        // At its designed size the grid scrolls sideways to its last columns.
        QVERIFY(grid->horizontalScrollBar()->maximum() > 0);

        maximise();
        QCoreApplication::processEvents();
        const int last = grid->model()->columnCount() - 1;
        QCOMPARE(grid->model()->headerData(last, Qt::Horizontal).toString(), QStringLiteral("状态"));
        QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        for (int c = 0; c <= last; ++c) {
            const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
            const int left = grid->columnViewportPosition(c);
            const int right = left + grid->columnWidth(c);
            QVERIFY2(left >= 0 && right <= grid->viewport()->width(),
                     qPrintable(QStringLiteral("%1 at %2 … %3, viewport %4")
                                    .arg(title)
                                    .arg(left)
                                    .arg(right)
                                    .arg(grid->viewport()->width())));
            // Whole: what each cell holds fits its column.
            const int wanted = std::max(static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c),
                                        grid->horizontalHeader()->sectionSizeHint(c));
            QVERIFY2(wanted <= grid->columnWidth(c), qPrintable(title));
        }
        // More rows show than at the designed size.
        QVERIFY(grid->viewport()->height() / grid->verticalHeader()->defaultSectionSize() >= 13);
    }

    void screenshots_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::newRow("1024x768") << "1024x768";
        QTest::newRow("1920x1080") << "1920x1080";
    }

    void screenshots()
    {
        QFETCH(QString, screen);
        RegisterFixture f;
        for (int i = 1; i <= 9; ++i)
            f.print(QDate(2026, 11, i), QStringLiteral("3030000%1").arg(i),
                    i == 1 ? QStringLiteral("上海浦东新区陆家嘴金融贸易区开发股份公司")
                           : QStringLiteral("收款人%1").arg(i),
                    QStringLiteral("%1.50").arg(i * 1000), QStringLiteral("材料款"));
        openOn(screenNamed(screen));
        maximise();

        // The cheque screen with a cheque typed in.
        ChequePanel* cheque = f.cheque.screen;
        cheque->open();
        f.cheque.fill(QStringLiteral("12345678"), QStringLiteral("上海浦东新区陆家嘴金融贸易区开发股份公司"),
                      QStringLiteral("123456.78"), QStringLiteral("办公用房租金"));
        saveScreenshot(Frm_main, QStringLiteral("cheque-") + screen);

        // The register with its rows.
        f.openSearch();
        f.search(1, QDate(2026, 11, 1), QDate(2026, 12, 31));
        QCOMPARE(f.result->DBGrid_cx->model()->rowCount(), 9);
        f.panel->raise();
        f.result->raise();
        saveScreenshot(Frm_main, QStringLiteral("register-") + screen);
        f.panel->closeButton()->click();

        // The designer over a scan of the blank cheque, the whole form fitted into the canvas.
        WriteDesignerBackground(QStringLiteral("zz"), {});
        const QString scan = writeChequeScan(f.cheque.forms.workDir().filePath(QStringLiteral("cheque-scan.png")));
        Frm_main->findChild<QAction*>(QStringLiteral("zz_prn_set"))->trigger();
        ChequeDesigner* d = Frm_main->P_zzzp_set;
        QVERIFY(d->isVisible());
        f.cheque.prompter.fileAnswers.enqueue(scan);
        QTest::mouseClick(d->Button_zz_bjt, Qt::LeftButton);
        QVERIFY(d->Panel_zz->hasBackground());
        d->Slider_zz_bjt->setValue(80);
        d->ComboBox_zz_xsbl->setCurrentIndex(0);
        QCOMPARE(d->ComboBox_zz_xsbl->currentText(), QStringLiteral("适合窗口"));
        QTest::mouseClick(d->P_zz_skr, Qt::LeftButton, {}, QPoint(2, 2));
        QCoreApplication::processEvents(); // the scroll bars come and go
        const QRect canvas(d->Panel_zz->mapTo(d->ScrollBox_zz->viewport(), QPoint(0, 0)), d->Panel_zz->size());
        QVERIFY2(
            d->ScrollBox_zz->viewport()->rect().contains(canvas),
            qPrintable(
                QStringLiteral("canvas %1 at %2 %%").arg(QVariant(canvas).toString()).arg(d->Panel_zz->zoom() * 100)));
        saveScreenshot(Frm_main, QStringLiteral("designer-") + screen);
    }
};

QTEST_MAIN(TestWindowSize)
#include "tst_windowsize.moc"
