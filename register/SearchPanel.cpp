#include "register/SearchPanel.h"

#include "common/Clock.h"
#include "common/Error.h"
#include "common/Guard.h"
#include "common/Named.h"
#include "register/ResultPanel.h"
#include "store/DataModule.h"
#include "store/Settings.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPushButton>
#include <QTabWidget>

using Zt_typro::connectGuarded;
using Zt_typro::guarded;
using Zt_typro::named;

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_zpcx", "Image_zpcx", "Label49", "BitBtn_zpcx_close", "支票查询"};

enum Tab
{
    TabNumber = 0,
    TabDate = 1,
    TabPayee = 2,
};

QDateEdit* datePicker(QWidget* parent, const char* name, int top)
{
    auto* picker = named<QDateEdit>(parent, name);
    picker->setGeometry(120, top, 121, 21);
    // Date only, the system's short date form, a drop-down calendar.
    picker->setDisplayFormat(picker->locale().dateFormat(QLocale::ShortFormat));
    picker->setCalendarPopup(true);
    return picker;
}
} // namespace

SearchPanel::SearchPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 80, 457, 225))
{
    GroupBox8 = named<QGroupBox>(this, "GroupBox8", QStringLiteral("查询方式"));
    GroupBox8->setGeometry(16, 24, 425, 145);

    PageControl_cxfs = named<QTabWidget>(GroupBox8, "PageControl_cxfs");
    PageControl_cxfs->setGeometry(12, 20, 401, 113);

    TabSheet_ph = named<QWidget>(PageControl_cxfs, "TabSheet_ph");
    Label45 = named<QLabel>(TabSheet_ph, "Label45", QStringLiteral("请输入票号:"));
    Label45->setGeometry(32, 31, 84, 16);
    Edit_ph = named<QLineEdit>(TabSheet_ph, "Edit_ph");
    Edit_ph->setGeometry(120, 28, 193, 21);
    Label45->setBuddy(Edit_ph);
    PageControl_cxfs->addTab(TabSheet_ph, QStringLiteral("票号"));

    TabSheet_rq = named<QWidget>(PageControl_cxfs, "TabSheet_rq");
    Label46 = named<QLabel>(TabSheet_rq, "Label46", QStringLiteral("开始日期:"));
    Label46->setGeometry(32, 15, 84, 16);
    DateTimePicker_ks = datePicker(TabSheet_rq, "DateTimePicker_ks", 12);
    Label46->setBuddy(DateTimePicker_ks);
    Label47 = named<QLabel>(TabSheet_rq, "Label47", QStringLiteral("截止日期:"));
    Label47->setGeometry(32, 47, 84, 16);
    DateTimePicker_zz = datePicker(TabSheet_rq, "DateTimePicker_zz", 44);
    Label47->setBuddy(DateTimePicker_zz);
    PageControl_cxfs->addTab(TabSheet_rq, QStringLiteral("日期"));

    TabSheet_skr = named<QWidget>(PageControl_cxfs, "TabSheet_skr");
    Label48 = named<QLabel>(TabSheet_skr, "Label48", QStringLiteral("请选择收款人:"));
    Label48->setGeometry(24, 31, 96, 16);
    ComboBox_skr = named<QComboBox>(TabSheet_skr, "ComboBox_skr");
    ComboBox_skr->setGeometry(120, 28, 249, 21);
    ComboBox_skr->setEditable(true);
    // The payee is searched exactly as typed: Enter adds nothing to the list, and no completion
    // turns a typed part of a name into a listed name.
    ComboBox_skr->setInsertPolicy(QComboBox::NoInsert);
    ComboBox_skr->setCompleter(nullptr);
    Label48->setBuddy(ComboBox_skr);
    PageControl_cxfs->addTab(TabSheet_skr, QStringLiteral("收款人"));
    PageControl_cxfs->setCurrentIndex(TabNumber);

    Button_zpcx = named<QPushButton>(this, "Button_zpcx", QStringLiteral("查  询"));
    setDefaultButton(Button_zpcx);
    Button_zpcx->setGeometry(120, 184, 75, 25);
    Button_zpcxclose = named<QPushButton>(this, "Button_zpcxclose", QStringLiteral("关  闭"));
    Button_zpcxclose->setGeometry(264, 184, 75, 25);

    connectGuarded(Button_zpcx, &QPushButton::clicked, this, [this] { Button_zpcxClick(); });
    connectGuarded(Button_zpcxclose, &QPushButton::clicked, this, [this] { Button_zpcxcloseClick(); });
    // The panel is already hidden when the close button reports.
    connectGuarded(this, &WorkingPanel::closed, this, [this] { BitBtn_zpcx_closeClick(); });
    connectGuarded(PageControl_cxfs, &QTabWidget::currentChanged, this, [this] { PageControl_cxfsChange(); });

    // Moves of the mouse over the panel (and over its parts that do not take them) dock the
    // result panel.
    setMouseTracking(true);
    setFirstField(searchField());
}

ResultPanel* SearchPanel::resultPanel() const
{
    ResultPanel* result = parentWidget() ? parentWidget()->findChild<ResultPanel*>(QStringLiteral("Panel_zpcxjg"),
                                                                                   Qt::FindDirectChildrenOnly)
                                         : nullptr;
    if (!result)
        throw Zt_typro::AppError(QStringLiteral("找不到查询列表 (Panel_zpcxjg)。"));
    return result;
}

void SearchPanel::open()
{
    const QDate today = Zt_typro::Today();
    DateTimePicker_ks->setDate(today);
    DateTimePicker_zz->setDate(today);
    ComboBox_skr->clear();
    ComboBox_skr->clearEditText();
    Edit_ph->setText(QString());

    Zt_typro::DmQuery* payees = D_M->ADOQ_skr_zpcx;
    payees->setStatement(Zt_typro::Stmt::S2);
    payees->open();
    for (payees->first(); !payees->eof(); payees->next())
        ComboBox_skr->addItem(payees->fieldText(QStringLiteral("skrmc")));
    payees->close();
    // Filling the list picks its first name; the payee text stays empty.
    ComboBox_skr->setCurrentIndex(-1);
    ComboBox_skr->clearEditText();

    // A clerk opens the register mostly to see, reprint or void what went out today: the panel
    // opens on the date tab and lists today's cheques at once (or says there are none). Any
    // other search is one tab and one press away, and the cursor waits in the start date.
    PageControl_cxfs->setCurrentIndex(TabDate);
    show();
    Button_zpcxClick();
    focusFirstField();
}

void SearchPanel::Button_zpcxClick()
{
    Zt_typro::DmQuery* search = D_M->ADOQ_zpcx;
    switch (PageControl_cxfs->currentIndex()) {
    case TabNumber:
        search->setStatement(Zt_typro::Stmt::Z2, {Zt_typro::TrimText(Edit_ph->text())});
        break;
    case TabDate:
        // Bound as dates: the system's date format plays no part, and both end days count.
        search->setStatement(Zt_typro::Stmt::Z3, {DateTimePicker_ks->date(), DateTimePicker_zz->date()});
        break;
    default:
        search->setStatement(Zt_typro::Stmt::Z4, {ComboBox_skr->currentText()});
        break;
    }
    ResultPanel* result = resultPanel();
    result->setSource(search->model());
    search->open();
    Panel_zpcxMouseMove();
    result->show();
}

void SearchPanel::Button_zpcxcloseClick()
{
    hide();
    resultPanel()->hide();
}

void SearchPanel::BitBtn_zpcx_closeClick()
{
    hide();
    resultPanel()->hide();
}

void SearchPanel::PageControl_cxfsChange()
{
    resultPanel()->hide();
    // The cursor goes to the field of the chosen way of searching.
    setFirstField(searchField());
    if (isVisible())
        focusFirstField();
}

QWidget* SearchPanel::searchField() const
{
    switch (PageControl_cxfs->currentIndex()) {
    case 0:
        return Edit_ph;
    case 1:
        return DateTimePicker_ks;
    default:
        return ComboBox_skr;
    }
}

void SearchPanel::Panel_zpcxMouseMove()
{
    resultPanel()->move(x(), y() + height() - 1);
}

void SearchPanel::mouseMoveEvent(QMouseEvent* event)
{
    guarded([this] { Panel_zpcxMouseMove(); });
    WorkingPanel::mouseMoveEvent(event);
}

void SearchPanel::moveEvent(QMoveEvent* event)
{
    WorkingPanel::moveEvent(event);
    QWidget* window = parentWidget();
    auto* result = window ? window->findChild<ResultPanel*>(QStringLiteral("Panel_zpcxjg"), Qt::FindDirectChildrenOnly)
                          : nullptr;
    if (!result || event->pos() == event->oldPos())
        return;
    const QPoint moved = result->pos() + event->pos() - event->oldPos();
    result->move(Zt_typro::KeptInside(moved, result->size(), window->size()));
}
