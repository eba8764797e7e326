// What the clerk reads on screen fits where it is drawn: every caption, value and button text
// of the working panels fits its box with the program's fonts, no widget is clipped by its
// parent or drawn through a group's frame, the register's grid shows its dates whole and more
// than a couple of rows. Screenshots of the cheque screen, the register and the voucher screen
// go to the test's own folder for a person to look at.
#include "app/MainWindow.h"
#include "common/WorkingPanel.h"
#include "printsetup/CalibrationPanel.h"
#include "printsetup/ChequeDesigner.h"
#include "printsetup/DesignerCanvas.h"
#include "printsetup/VoucherDesigner.h"
#include "settings/OrgPanel.h"
#include "settings/PasswordPanel.h"
#include "store/Settings.h"
#include "tests/register/RegisterFixture.h"
#include "voucher/VoucherPanel.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QStyleOptionGroupBox>
#include <QPrintPreviewDialog>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace Zt_typro;

namespace
{

// Long but real values: a bank branch's full name and a 19-digit account with its blanks.
const char* const kOrgName = "北京华信通达商贸有限责任公司";
const char* const kOrgBank = "中国工商银行北京海淀支行营业部";
const char* const kOrgAccount = "0200 0045 0900 1234 567";

QString rectText(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

QString describe(const QWidget* w)
{
    QStringList path;
    for (const QWidget* p = w; p && !p->isWindow(); p = p->parentWidget())
        path.prepend(p->objectName().isEmpty() ? QString::fromLatin1(p->metaObject()->className()) : p->objectName());
    return path.join(QLatin1Char('/'));
}

// The area of a group box its children may use: below the title, inside the frame.
QRect groupContents(const QGroupBox* box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.features = QStyleOptionFrame::None;
    const QRect frame = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
    const QRect label = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    QRect inside = frame.adjusted(1, 1, -1, -1);
    // The title's box has a blank margin under its text: a field may touch it.
    inside.setTop(std::max(inside.top(), label.bottom() - 2));
    return inside;
}

// Every fault of fit among the visible widgets under root.
QStringList fitFaults(QWidget* root)
{
    QStringList faults;
    const QList<QWidget*> widgets = root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisibleTo(root) || w->isWindow())
            continue;
        QWidget* parent = w->parentWidget();
        // Inside the parent, and inside a group's frame below its title.
        if (parent && !qobject_cast<QAbstractScrollArea*>(parent) &&
            parent->objectName() != QLatin1String("qt_scrollarea_viewport")) {
            QRect room = parent->rect();
            if (const auto* group = qobject_cast<QGroupBox*>(parent))
                room = groupContents(group);
            if (!room.contains(w->geometry()) && w->objectName() != QLatin1String("qt_scrollarea_hcontainer") &&
                w->objectName() != QLatin1String("qt_scrollarea_vcontainer"))
                faults << QStringLiteral("%1 at %2 lies outside its parent's room %3")
                              .arg(describe(w), rectText(w->geometry()), rectText(room));
        }
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
                continue;
            if (label->wordWrap()) {
                // Wrapped text needs its whole height.
                const int needed = label->heightForWidth(label->width());
                if (needed > label->height())
                    faults << QStringLiteral("%1 \"%2\" needs %3 rows of height, has %4")
                                  .arg(describe(w), label->text())
                                  .arg(needed)
                                  .arg(label->height());
                continue;
            }
            const QFontMetrics fm(label->font());
            const QStringList lines = label->text().split(QLatin1Char('\n'));
            int widest = 0;
            for (const QString& line : lines)
                widest = std::max(widest, fm.horizontalAdvance(line));
            const QRect room = label->contentsRect();
            // One line needs the height of its ink; more need their line spacing.
            const int height = lines.size() == 1 ? fm.tightBoundingRect(label->text()).height()
                                                 : lines.size() * fm.lineSpacing();
            if (widest > room.width() - 2 * label->margin() || height > room.height() + 2)
                faults << QStringLiteral("%1 \"%2\" needs %3 x %4, has %5 x %6")
                              .arg(describe(w), label->text())
                              .arg(widest)
                              .arg(height)
                              .arg(room.width())
                              .arg(room.height());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->text().isEmpty())
                continue;
            // A push button's hint has a least width of its own; its text needs its advance and
            // a margin each side. Radio and check buttons need their whole hint.
            const QFontMetrics fm(button->font());
            const QSize wanted = qobject_cast<QPushButton*>(button)
                                     ? QSize(fm.horizontalAdvance(button->text()) + 12, fm.height() + 4)
                                     : button->sizeHint();
            if (wanted.width() > button->width() || wanted.height() > button->height())
                faults << QStringLiteral("%1 \"%2\" wants %3 x %4, has %5 x %6")
                              .arg(describe(w), button->text())
                              .arg(wanted.width())
                              .arg(wanted.height())
                              .arg(button->width())
                              .arg(button->height());
        }
    }
    return faults;
}

void saveScreenshot(QWidget* widget, const QString& name)
{
    // Kept beside the test's own home folder, never in the source tree.
    const QString folder = QDir(qEnvironmentVariable("HOME")).filePath(QStringLiteral("screenshots"));
    QDir().mkpath(folder);
    QVERIFY(widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png"))));
}

} // namespace

class TestScreenFit : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { SetToday(QDate()); }

    void everyPanel_showsItsTextsWhole()
    {
        RegisterFixture f;
        // The window at its designed size, as on a screen large enough.
        Frm_main->fitInto(QRect(0, 0, 1920, 1080));
        QCoreApplication::processEvents(); // the view lays itself out again
        WriteOrgDetails(QString::fromUtf8(kOrgName), QString::fromUtf8(kOrgAccount), QString::fromUtf8(kOrgBank));
        f.print(QDate(2026, 12, 10), QStringLiteral("10203040"),
                QStringLiteral("上海浦东新区陆家嘴金融贸易区开发股份公司"), QStringLiteral("1234567890.12"),
                QStringLiteral("货款"));
        for (int i = 1; i <= 8; ++i)
            f.print(QDate(2026, 11, i), QStringLiteral("2020000%1").arg(i), QStringLiteral("收款人%1").arg(i),
                    QStringLiteral("%1.50").arg(i * 1000), QStringLiteral("材料款"));

        // The cheque screen with a cheque typed in, its stub and its type choice open.
        ChequePanel* cheque = f.cheque.screen;
        cheque->open();
        f.cheque.fill(QStringLiteral("12345678901234567890"),
                      QString::fromUtf8("上海浦东新区陆家嘴金融贸易区开发股份公司"), QStringLiteral("123456789012.34"),
                      QStringLiteral("支付二〇二六年第四季度办公用房租金及物业管理费用"));
        saveScreenshot(Frm_main, QStringLiteral("cheque-screen"));
        cheque->Button_setcg->click();
        cheque->Button_pjdy->click();
        QVERIFY(cheque->Panel_cg->isVisible() && cheque->Panel_zplx->isVisible());
        QStringList faults = fitFaults(cheque);
        saveScreenshot(Frm_main, QStringLiteral("cheque-stub-and-type"));
        cheque->Panel_zplx->hide();

        // The register with its rows, and the search panel above it.
        f.openSearch();
        f.search(1, QDate(2026, 11, 1), QDate(2026, 12, 31));
        QTableView* grid = f.result->DBGrid_cx;
        QVERIFY(grid->model()->rowCount() >= 9);
        faults << fitFaults(f.panel) << fitFaults(f.result);
        for (int c = 0; c < grid->model()->columnCount(); ++c) {
            if (grid->isColumnHidden(c))
                continue;
            const int wanted = std::max(static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c),
                                        grid->horizontalHeader()->sectionSizeHint(c));
            if (wanted > grid->columnWidth(c))
                faults << QStringLiteral("register column %1 \"%2\" wants %3, has %4")
                              .arg(c)
                              .arg(grid->model()->headerData(c, Qt::Horizontal).toString())
                              .arg(wanted)
                              .arg(grid->columnWidth(c));
        }
        const int rowsShown = grid->viewport()->height() / std::max(1, grid->verticalHeader()->defaultSectionSize());
        if (rowsShown < 6)
            faults << QStringLiteral("the register grid shows only %1 rows").arg(rowsShown);
        saveScreenshot(Frm_main, QStringLiteral("register"));
        f.panel->closeButton()->click();

        // The voucher screen with its type choice, the settings panels, the calibration panel.
        VoucherPanel* voucher = Frm_main->P_pz;
        voucher->open();
        voucher->Panel_pzlx->show();
        // The longest note about where the payer came from.
        voucher->Label_cprly->setText(QStringLiteral("付款人文件 \"fkrxx.ine\" 中没有汇款人，单位帐号设置也是空的: "
                                                     "请先在 系统设置 → 单位帐号设置 中填写本单位。"));
        voucher->Label_cprly->show();
        faults << fitFaults(voucher);
        saveScreenshot(Frm_main, QStringLiteral("voucher-screen"));
        voucher->closeButton()->click();
        for (WorkingPanel* panel :
             std::initializer_list<WorkingPanel*>{Frm_main->Panel_dwset, Frm_main->Panel_pass, Frm_main->Panel_dyjjz}) {
            panel->show();
            faults << fitFaults(panel);
            panel->hide();
        }
        if (!faults.isEmpty())
            QFAIL(qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void designersAndPreview_showTheirTextsWhole()
    {
        ChequeFixture f;
        Frm_main->fitInto(QRect(0, 0, 1920, 1080));
        QCoreApplication::processEvents();
        QStringList faults;
        Frm_main->findChild<QAction*>(QStringLiteral("zz_prn_set"))->trigger();
        Frm_main->findChild<QAction*>(QStringLiteral("dhpz_prn_set"))->trigger();
        for (auto* designer : std::initializer_list<WorkingPanel*>{Frm_main->P_zzzp_set, Frm_main->Panel_pz_set}) {
            designer->raise();
            // A field selected, so that its position is shown.
            QWidget* field = designer->findChildren<DesignerFieldPanel*>().value(3);
            QVERIFY(field);
            QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
            // The field boxes stand for the printed text; their captions shrink to fit them.
            for (const QString& fault : fitFaults(designer))
                if (!fault.contains(QStringLiteral("/P_zz_")) && !fault.contains(QStringLiteral("/P_pz_")))
                    faults << fault;
            saveScreenshot(Frm_main, designer->objectName());
        }

        // The preview of the cheque layout, through the real dialog, at the size it opens.
        setPrompter(nullptr);
        QSize opened;
        QTimer::singleShot(0, Frm_main, [&] {
            QTRY_VERIFY(qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget()));
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            QTest::qWait(50);
            opened = dialog->size();
            saveScreenshot(dialog, QStringLiteral("preview"));
            dialog->reject();
        });
        Frm_main->P_zzzp_set->raise();
        QTest::mouseClick(Frm_main->P_zzzp_set->findChild<QPushButton*>(QStringLiteral("Button_zz_pre")), Qt::LeftButton);
        setPrompter(&f.prompter);
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY2(opened.width() >= screen.width() * 9 / 10 && opened.height() >= screen.height() * 9 / 10,
                 qPrintable(QStringLiteral("%1 x %2").arg(opened.width()).arg(opened.height())));
        if (!faults.isEmpty())
            QFAIL(qPrintable(faults.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
