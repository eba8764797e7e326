#include "cheque/ChequePanel.h"

#include "cheque/ChequeHandOver.h"
#include "cheque/PrintCheque.h"
#include "common/Clock.h"
#include "common/EntryScreen.h"
#include "common/Guard.h"
#include "common/Named.h"
#include "common/Prompt.h"
#include "numerals/AmountField.h"
#include "numerals/Dates.h"
#include "print/ChequeTexts.h"
#include "store/DataModule.h"
#include "store/Settings.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalBlocker>

using Zt_typro::connectGuarded;
using Zt_typro::guarded;

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_zp", "Image_zpedit", "Label1", "BitBtn_zp_close", "支票正联"};
const Zt_typro::PanelChrome kStub{"Panel_cg", "Image_cg", "Label4", "BitBtn_cg_close", "支票存根"};
const Zt_typro::PanelChrome kType{"Panel_zplx", "Image_zplx", nullptr, "BitBtn_lx_yc", "支票类型"};
const int kMemoMaxLength = 100;

// The note on the stub: at most kMemoMaxLength characters. A keystroke, a typed phrase from an
// input method, a paste or a drop that would pass the limit is refused whole, the text and its
// undo history kept as they were.
class NoteEdit : public QPlainTextEdit
{
public:
    explicit NoteEdit(QWidget* parent)
        : QPlainTextEdit(parent)
    {
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const QString typed = event->text();
        const bool inserts = !typed.isEmpty() && (typed.at(0).isPrint() || typed == QLatin1String("\r"));
        if (inserts && !fits(typed.size())) {
            QApplication::beep();
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

    void inputMethodEvent(QInputMethodEvent* event) override
    {
        if (!event->commitString().isEmpty() && !fits(event->commitString().size())) {
            QApplication::beep();
            QInputMethodEvent dropped(QString(), {});
            QPlainTextEdit::inputMethodEvent(&dropped);
            return;
        }
        QPlainTextEdit::inputMethodEvent(event);
    }

    void insertFromMimeData(const QMimeData* source) override
    {
        if (source && source->hasText() && !fits(source->text().size())) {
            QApplication::beep();
            return;
        }
        QPlainTextEdit::insertFromMimeData(source);
    }

private:
    // Whether inserting length characters in place of the selection keeps the note in its limit.
    bool fits(qsizetype length) const
    {
        const QTextCursor cursor = textCursor();
        const qsizetype selected = cursor.selectionEnd() - cursor.selectionStart();
        return toPlainText().size() - selected + length <= kMemoMaxLength;
    }
};

QLabel* caption(QWidget* parent, const char* text, int x, int y, int w = 0)
{
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->move(x, y);
    if (w > 0)
        l->resize(w, l->sizeHint().height());
    else
        l->adjustSize();
    return l;
}

} // namespace

ChequePanel::ChequePanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(232, 80, 641, 355))
{
    buildFace();
    buildStub();
    buildTypeChoice();
}

void ChequePanel::buildFace()
{
    GroupBox3 = Zt_typro::placed<QGroupBox>(this, "GroupBox3", QRect(8, 22, 625, 290));

    caption(GroupBox3, "出票日期(大写)", 12, 24);
    Panel_nian = Zt_typro::TextPanel(GroupBox3, "Panel_nian", QRect(112, 20, 84, 22), Qt::AlignHCenter);
    caption(GroupBox3, "年", 200, 24);
    Panel_yue = Zt_typro::TextPanel(GroupBox3, "Panel_yue", QRect(218, 20, 60, 22), Qt::AlignHCenter);
    caption(GroupBox3, "月", 282, 24);
    Panel_ri = Zt_typro::TextPanel(GroupBox3, "Panel_ri", QRect(300, 20, 60, 22), Qt::AlignHCenter);
    caption(GroupBox3, "日", 364, 24);

    caption(GroupBox3, "票  号:", 12, 56);
    E_ph = Zt_typro::placed<QLineEdit>(GroupBox3, "E_ph", QRect(72, 52, 180, 22));
    E_ph->setMaxLength(20);

    // The paying bank and the drawer's account take the rest of their rows: a branch's full name
    // and an account of 19 digits in groups of four fit whole.
    caption(GroupBox3, "付款行名称:", 266, 56);
    Panel_fkhmc = Zt_typro::TextPanel(GroupBox3, "Panel_fkhmc", QRect(342, 52, 274, 22));
    caption(GroupBox3, "出票人帐号:", 366, 86);
    Panel_cprzh = Zt_typro::TextPanel(GroupBox3, "Panel_cprzh", QRect(442, 82, 174, 22));

    caption(GroupBox3, "收款人:", 12, 86);
    CB_skr = Zt_typro::placed<QComboBox>(GroupBox3, "CB_skr", QRect(72, 82, 284, 22));
    CB_skr->setEditable(true);
    CB_skr->setInsertPolicy(QComboBox::NoInsert);
    CB_skr->setMaxVisibleItems(16);

    caption(GroupBox3, "金  额:", 12, 116);
    Edit_je = Zt_typro::placed<QLineEdit>(GroupBox3, "Edit_je", QRect(72, 112, 150, 22));
    Zt_typro::AttachAmountKeyRules(Edit_je);

    Panel_je = Zt_typro::placed<QFrame>(GroupBox3, "Panel_je", QRect(12, 144, 262, 58));
    static_cast<QFrame*>(Panel_je)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    caption(Panel_je, "人民币", 4, 12);
    caption(Panel_je, "(大写)", 4, 30);
    Panel_daxie = Zt_typro::TextPanel(Panel_je, "Panel_daxie", QRect(50, 4, 208, 50));
    Panel_daxie->setWordWrap(true);
    QFont capitals(QStringLiteral("宋体"));
    capitals.setPointSize(10);
    Panel_daxie->setFont(capitals);
    Panel_daxie->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu_font = new QMenu(this);
    PopupMenu_font->setObjectName(QStringLiteral("PopupMenu_font"));
    popup_fontname = PopupMenu_font->addAction(QStringLiteral("字体"));
    popup_fontname->setObjectName(QStringLiteral("popup_fontname"));
    connect(Panel_daxie, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu_font->popup(Panel_daxie->mapToGlobal(pos)); });
    // The font is shared with the voucher screen, whose font dialog answers the choice.
    connect(popup_fontname, &QAction::triggered, this, &ChequePanel::capitalsFontRequested);

    // The digit boxes with their unit headings, right to left from 分.
    const int boxW = 22;
    Panel_dw = Zt_typro::placed<QFrame>(GroupBox3, "Panel_dw", QRect(284, 144, 15 * boxW + 2, 20));
    Panel_jine = Zt_typro::placed<QFrame>(GroupBox3, "Panel_jine", QRect(284, 166, 15 * boxW + 2, 36));
    static_cast<QFrame*>(Panel_jine)->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_boxes = Zt_typro::BuildDigitBoxes(Panel_dw, Panel_jine, 34, "Panel", 1);

    caption(GroupBox3, "用  途:", 12, 218);
    Edit_yt = Zt_typro::placed<QLineEdit>(GroupBox3, "Edit_yt", QRect(72, 214, 400, 22));

    Button_setcg = Zt_typro::placed<QPushButton>(this, "Button_setcg", QRect(420, 320, 96, 26));
    Button_setcg->setText(QStringLiteral("编辑存根"));
    Button_pjdy = Zt_typro::placed<QPushButton>(this, "Button_pjdy", QRect(528, 320, 96, 26));
    Button_pjdy->setText(QStringLiteral("票据打印"));

    E_ph->installEventFilter(this);
    CB_skr->installEventFilter(this);
    Edit_je->installEventFilter(this);
    Edit_yt->installEventFilter(this);
    // Capitals and digit boxes always show the amount in the field: a changed amount clears them
    // until it is left (which completes the text first, then fills them again).
    connect(Edit_je, &QLineEdit::textChanged, this, [this] { clearAmountShown(); });
    connectGuarded(CB_skr, &QComboBox::editTextChanged, this, [this] { CB_skrChange(); });
    connectGuarded(Edit_yt, &QLineEdit::textChanged, this, [this] { Edit_ytChange(); });
    connectGuarded(Button_setcg, &QPushButton::clicked, this, [this] { Button_setcgClick(); });
    connectGuarded(Button_pjdy, &QPushButton::clicked, this, [this] { Button_pjdyClick(); });

    setTabOrder(E_ph, CB_skr);
    setTabOrder(CB_skr, Edit_je);
    setTabOrder(Edit_je, Edit_yt);
    setTabOrder(Edit_yt, Button_setcg);
    setTabOrder(Button_setcg, Button_pjdy);
}

void ChequePanel::buildStub()
{
    Panel_cg = new Zt_typro::WorkingPanel(this, kStub, QRect(168, 88, 241, 225));
    auto* vertical = new QLabel(QStringLiteral("附\n加\n信\n息"), Panel_cg);
    // Four lines beside the memo's four: a pixel smaller than the panel's text to fit its height.
    QFont verticalFont = vertical->font();
    verticalFont.setPixelSize(12);
    vertical->setFont(verticalFont);
    vertical->setGeometry(6, 22, 16, 72);
    Memo_xinxi = new NoteEdit(Panel_cg);
    Memo_xinxi->setObjectName(QStringLiteral("Memo_xinxi"));
    // Its size and font are the printed note's: set here, not taken from the window it is in.
    Memo_xinxi->setGeometry(QRect(QPoint(24, 22), Zt_typro::StubNoteSize()));
    Memo_xinxi->setFont(Zt_typro::StubNoteFont());
    Memo_xinxi->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo_xinxi->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // The scroll bar is always there, so the lines wrap at one width whatever their number:
    // the lines printed are the lines the memo shows.
    Memo_xinxi->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_xinxi->setTabChangesFocus(true);
    connect(Memo_xinxi, &QPlainTextEdit::textChanged, this, [this] {
        // Text put in from code (a stored cheque) is held to the limit too.
        const QString text = Memo_xinxi->toPlainText();
        if (text.size() <= kMemoMaxLength)
            return;
        QSignalBlocker block(Memo_xinxi);
        // Never cut a character outside the Basic Multilingual Plane in two.
        const int keep = text.at(kMemoMaxLength - 1).isHighSurrogate() ? kMemoMaxLength - 1 : kMemoMaxLength;
        QTextCursor cursor = Memo_xinxi->textCursor();
        const int pos = std::min<int>(cursor.position(), keep);
        Memo_xinxi->setPlainText(text.left(keep));
        cursor = Memo_xinxi->textCursor();
        cursor.setPosition(pos);
        Memo_xinxi->setTextCursor(cursor);
    });

    // The date row fits the panel's width with its last caption.
    caption(Panel_cg, "日  期: ", 8, 104);
    CB_nian = Zt_typro::placed<QComboBox>(Panel_cg, "CB_nian", QRect(52, 100, 58, 22));
    CB_nian->setEditable(true);
    caption(Panel_cg, "年", 111, 104);
    CB_yue = Zt_typro::placed<QComboBox>(Panel_cg, "CB_yue", QRect(125, 100, 40, 22));
    CB_yue->setEditable(true);
    for (int m = 1; m <= 12; ++m)
        CB_yue->addItem(QString::number(m));
    caption(Panel_cg, "月", 166, 104);
    CB_ri = Zt_typro::placed<QComboBox>(Panel_cg, "CB_ri", QRect(180, 100, 40, 22));
    CB_ri->setEditable(true);
    for (QComboBox* box : {CB_nian, CB_yue, CB_ri})
        box->setInsertPolicy(QComboBox::NoInsert);
    caption(Panel_cg, "日", 221, 104);

    caption(Panel_cg, "收款人:", 8, 134);
    E_shoukuanren = Zt_typro::placed<QLineEdit>(Panel_cg, "E_shoukuanren", QRect(58, 130, 175, 22));
    caption(Panel_cg, "金  额:", 8, 164);
    PE_jine = Zt_typro::TextPanel(Panel_cg, "PE_jine", QRect(58, 160, 175, 22));
    caption(Panel_cg, "用  途:", 8, 194);
    E_yongtu = Zt_typro::placed<QLineEdit>(Panel_cg, "E_yongtu", QRect(58, 190, 175, 22));

    connectGuarded(CB_nian, &QComboBox::editTextChanged, this, [this] { CB_nianChange(); });
    connectGuarded(CB_yue, &QComboBox::editTextChanged, this, [this] { CB_yueChange(); });
    connectGuarded(CB_ri, &QComboBox::editTextChanged, this, [this] { CB_riChange(); });
}

void ChequePanel::buildTypeChoice()
{
    // The radio buttons sit inside the group's frame, below its title.
    Panel_zplx = new Zt_typro::WorkingPanel(this, kType, QRect(168, 160, 241, 109));
    GroupBox_zplx = Zt_typro::placed<QGroupBox>(Panel_zplx, "GroupBox_zplx", QRect(8, 18, 225, 52));
    GroupBox_zplx->setTitle(QStringLiteral("支票类型"));
    RadioButton_zz = Zt_typro::placed<QRadioButton>(GroupBox_zplx, "RadioButton_zz", QRect(30, 23, 70, 25));
    RadioButton_zz->setText(QStringLiteral("转帐"));
    RadioButton_zz->setChecked(true);
    RadioButton_xj = Zt_typro::placed<QRadioButton>(GroupBox_zplx, "RadioButton_xj", QRect(130, 23, 70, 25));
    RadioButton_xj->setText(QStringLiteral("现金"));
    Button_qd = Zt_typro::placed<QPushButton>(Panel_zplx, "Button_qd", QRect(36, 76, 75, 25));
    Panel_zplx->setDefaultButton(Button_qd);
    Button_qd->setText(QStringLiteral("确 定"));
    Button_qx = Zt_typro::placed<QPushButton>(Panel_zplx, "Button_qx", QRect(130, 76, 75, 25));
    Button_qx->setText(QStringLiteral("取 消"));
    connectGuarded(Button_qd, &QPushButton::clicked, this, [this] { Button_qdClick(); });
    connectGuarded(Button_qx, &QPushButton::clicked, this, [this] { Button_qxClick(); });
    // The choice is named in the group's title: the form the next cheque prints on.
    const auto showChoice = [this] {
        GroupBox_zplx->setTitle(RadioButton_xj->isChecked() ? QStringLiteral("支票类型: 将按现金支票打印")
                                                            : QStringLiteral("支票类型: 将按转帐支票打印"));
    };
    connect(RadioButton_zz, &QRadioButton::toggled, this, showChoice);
    showChoice();
}

QLabel* ChequePanel::digitBox(int place) const
{
    return m_boxes.value(place - 1);
}

QStringList ChequePanel::memoDisplayLines() const
{
    // Laid out with the memo's font and text width, so the lines are the same whether or not the
    // stub has been shown yet; the cheque printed again from the register gets the same lines.
    return Zt_typro::WrapNoteLines(Memo_xinxi->toPlainText(), Memo_xinxi->font(), Zt_typro::NoteLineWidth(*Memo_xinxi));
}

bool ChequePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit_je && Zt_typro::LeavesAmountField(event)) {
        guarded([this] { Edit_jeExit(); });
        return false;
    }
    if (!Zt_typro::IsEnterKey(event))
        return WorkingPanel::eventFilter(watched, event);
    if (watched == E_ph) { // E_phKeyPress
        CB_skr->setFocus();
        return true;
    }
    if (watched == CB_skr) { // CB_skrKeyPress
        guarded([this] { CB_skrChange(); });
        Edit_je->setFocus();
        return true;
    }
    if (watched == Edit_je) { // Edit_jeKeyPress: the amount as typed goes to the stub and the voucher first
        PE_jine->setText(Edit_je->text());
        if (m_handOver)
            guarded([this] { m_handOver->amountEntered(Edit_je->text()); });
        Edit_yt->setFocus();
        return true;
    }
    if (watched == Edit_yt) { // the last field: on to 票据打印
        guarded([this] { Button_pjdyClick(); });
        return true;
    }
    return WorkingPanel::eventFilter(watched, event);
}

bool ChequePanel::holdsTypedCheque() const
{
    return !E_ph->text().isEmpty() || !CB_skr->currentText().isEmpty() || !Edit_je->text().isEmpty() ||
           !Edit_yt->text().isEmpty() || !Memo_xinxi->toPlainText().isEmpty();
}

void ChequePanel::clearAmountShown()
{
    Panel_daxie->clear();
    for (QLabel* box : std::as_const(m_boxes))
        box->clear();
    PE_jine->clear();
}

void ChequePanel::clearCheque()
{
    Memo_xinxi->clear();
    E_shoukuanren->clear();
    E_yongtu->clear();
    {
        // Emptied from code like the other fields: the payee copied to the voucher screen stays
        // there for the voucher that may follow.
        const QSignalBlocker block(CB_skr);
        CB_skr->setEditText(QString());
    }
    Edit_yt->clear();
    E_ph->clear();
    Edit_je->clear();
    clearAmountShown();
}

bool ChequePanel::confirmClose()
{
    if (!holdsTypedCheque())
        return true;
    const QString number = E_ph->text().isEmpty() ? QString() : QStringLiteral("票号 %1，").arg(E_ph->text());
    const QString amount = Edit_je->text().isEmpty() ? QString() : QStringLiteral("，金额 %1").arg(Edit_je->text());
    if (!Zt_typro::prompter().confirmDefaultNo(
            window(), QStringLiteral("提示"),
            QStringLiteral("支票正联上有还没有打印的内容（%1收款人 %2%3）。\n关闭后这些内容将被清除，是否关闭？")
                .arg(number, CB_skr->currentText().isEmpty() ? QStringLiteral("未填") : CB_skr->currentText(), amount),
            QStringLiteral("选“否”返回，继续填写。")))
        return false;
    clearCheque();
    return true;
}

void ChequePanel::open()
{
    // 1. The amount is emptied, and with it its capitals, digit boxes and stub copy.
    Edit_je->clear();
    clearAmountShown();
    show();
    Panel_cg->hide();
    Panel_zplx->hide();

    // 2. Emptying a list keeps the text in the box; no change handler runs for code changes.
    Zt_typro::ClearListKeepingText(CB_nian);
    Zt_typro::ClearListKeepingText(CB_ri);
    Zt_typro::ClearListKeepingText(CB_skr);

    // 3.
    Panel_fkhmc->setText(Zt_typro::ReadOrgBank());
    Panel_cprzh->setText(Zt_typro::ReadOrgAccount());
    // A value longer than its box can still be read whole.
    Panel_fkhmc->setToolTip(Panel_fkhmc->text());
    Panel_cprzh->setToolTip(Panel_cprzh->text());

    // 4. - 6.
    const QString today = Zt_typro::DateText(Zt_typro::Today());
    const QString year = Zt_typro::DatePartYear(today);
    const QString month = Zt_typro::DatePartMonth(today);
    const QString day = Zt_typro::DatePartDay(today);
    {
        const QSignalBlocker b1(CB_nian), b2(CB_yue), b3(CB_ri);
        Zt_typro::AddItemsKeepingText(CB_nian, Zt_typro::YearChoices(year));
        CB_nian->setEditText(year);
        CB_yue->setEditText(month);
        Zt_typro::AddItemsKeepingText(CB_ri, Zt_typro::DayChoices(year, month));
        CB_ri->setEditText(day);
    }

    // 7.
    Panel_nian->setText(Zt_typro::YearToCapitals(CB_nian->currentText()));
    Panel_yue->setText(Zt_typro::MonthToCapitals(CB_yue->currentText()));
    Panel_ri->setText(Zt_typro::DayToCapitals(CB_ri->currentText()));

    // 8. Payees, most used first.
    Zt_typro::DmQuery* q = D_M->ADOQ_skr_zpbj;
    q->setStatement(Zt_typro::Stmt::S1);
    q->open();
    QStringList names;
    for (q->first(); !q->eof(); q->next())
        names << q->fieldText(QStringLiteral("skrmc"));
    q->close();
    const QSignalBlocker block(CB_skr);
    const QString text = CB_skr->currentText();
    CB_skr->addItems(names);
    CB_skr->setEditText(text);
}

void ChequePanel::CB_skrChange()
{
    E_shoukuanren->setText(CB_skr->currentText());
    if (m_handOver)
        m_handOver->payeeEntered(CB_skr->currentText());
}

void ChequePanel::Edit_jeExit()
{
    Zt_typro::LeaveAmountField(Edit_je, Panel_jine, Panel_daxie,
                               [this](const QString& completed) {
                                   PE_jine->setText(completed);
                                   if (m_handOver)
                                       m_handOver->amountEntered(completed);
                               });
}

void ChequePanel::Edit_ytChange()
{
    E_yongtu->setText(Edit_yt->text());
}

void ChequePanel::Button_setcgClick()
{
    Panel_cg->show();
}

void ChequePanel::fillDayList()
{
    // The list is emptied first: a year that is no year leaves it empty, its text kept.
    Zt_typro::ClearListKeepingText(CB_ri);
    Zt_typro::AddItemsKeepingText(CB_ri, Zt_typro::DayChoices(CB_nian->currentText(), CB_yue->currentText()));
}

void ChequePanel::CB_nianChange()
{
    fillDayList();
    Panel_nian->setText(Zt_typro::YearToCapitals(CB_nian->currentText()));
}

void ChequePanel::CB_yueChange()
{
    fillDayList();
    Panel_yue->setText(Zt_typro::MonthToCapitals(CB_yue->currentText()));
}

void ChequePanel::CB_riChange()
{
    Panel_ri->setText(Zt_typro::DayToCapitals(CB_ri->currentText()));
}

void ChequePanel::Button_pjdyClick()
{
    if (Edit_yt->text().isEmpty() || E_ph->text().isEmpty() || CB_skr->currentText().isEmpty() ||
        Edit_je->text().isEmpty()) {
        Zt_typro::prompter().inform(this, QStringLiteral("提示"), QStringLiteral("票号、收款人、金额、用途不能为空!"));
        return;
    }
    Panel_zplx->show();
}

void ChequePanel::Button_qdClick()
{
    Panel_zplx->hide();
    // However the job ends, a failure included, the next cheque's number can be typed at once.
    auto focusNumber = qScopeGuard([this] { E_ph->setFocus(Qt::OtherFocusReason); });
    // The payee's stored account and bank are looked up for the voucher before the job counts or
    // adds the payee.
    if (m_handOver)
        m_handOver->beforeChequeJob(CB_skr->currentText());
    const QString code = RadioButton_xj->isChecked() ? QStringLiteral("xj") : QStringLiteral("zz");
    const Zt_typro::ChequeJobEnd end = Zt_typro::PrintCheque(*this, code);
    // The next cheque is a transfer cheque again unless the operator chooses otherwise.
    RadioButton_zz->setChecked(true);
    focusNumber.dismiss();
    E_ph->setFocus(Qt::OtherFocusReason);
    // A voucher follows a transfer that really went out on paper, never a cheque not printed
    // or a cash cheque; the voucher screen, when it opens, takes the focus.
    if (m_handOver && end == Zt_typro::ChequeJobEnd::Printed && code == QLatin1String("zz"))
        m_handOver->afterChequeJob(CB_nian->currentText(), CB_yue->currentText(), CB_ri->currentText());
    Zt_typro::ResetChequeCapitalsFont(*this);
}

void ChequePanel::Button_qxClick()
{
    Panel_zplx->hide();
}
