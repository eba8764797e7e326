#include "register/ResultPanel.h"

#include "common/Clock.h"
#include "common/Guard.h"
#include "common/Named.h"
#include "common/Prompt.h"
#include "numerals/Amount.h"
#include "register/ChequeDialogs.h"
#include "register/RegisterExport.h"
#include "store/DataModule.h"
#include "store/KeptPrints.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QResizeEvent>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

using Zt_typro::connectGuarded;
using Zt_typro::named;

namespace
{
const Zt_typro::PanelChrome kChrome{"Panel_zpcxjg", "Image1", "Label50", "BitBtn_zpcxjg_close", "查询列表"};

// The grid's columns: register field, title, width in pixels (0: the grid's default), and
// whether the title is centred.
struct GridColumn
{
    const char* field;
    const char* title;
    int width;
    bool centred;
};

const GridColumn kColumns[] = {
    {"ph", "票号", 66, true},  {"rq", "日期", 63, true},       {"skr", "收款人", 251, true}, {"je", "金额", 87, true},
    {"yt", "用途", 381, true}, {"hkfs", "汇款方式", 0, false}, {"zt", "状态", 60, true},
};

// Room either side of a cell's text: the grid's margin and its line.
const int kCellPadding = 6;
// The narrowest the purpose column is made to let a grown grid show whole rows.
const int kLeastPurposeWidth = 160;

const GridColumn* findColumn(const QString& field)
{
    for (const GridColumn& c : kColumns)
        if (field == QLatin1String(c.field))
            return &c;
    return nullptr;
}
} // namespace

// ---------------------------------------------------------------------------------------------
RegisterGridSource::RegisterGridSource(QObject* parent)
    : QIdentityProxyModel(parent)
{
}

QString RegisterGridSource::fieldName(int section) const
{
    if (!sourceModel() || section < 0 || section >= columnCount())
        return {};
    return sourceModel()->headerData(section, Qt::Horizontal, Qt::DisplayRole).toString();
}

QVariant RegisterGridSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        // The row indicator carries no numbers.
        if (role == Qt::DisplayRole)
            return QString();
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
    const GridColumn* column = findColumn(fieldName(section));
    if (!column)
        return QIdentityProxyModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromUtf8(column->title);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column->centred ? Qt::Alignment(Qt::AlignCenter)
                                                   : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
}

Qt::ItemFlags RegisterGridSource::flags(const QModelIndex& index) const
{
    return QIdentityProxyModel::flags(index) & ~(Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
}

RegisterGridSource::RowLook RegisterGridSource::rowLook(int row) const
{
    int stateColumn = -1;
    for (int section = 0; section < columnCount() && stateColumn < 0; ++section)
        if (fieldName(section) == QLatin1String("zt"))
            stateColumn = section;
    if (stateColumn < 0)
        return RowLook::Plain;
    const QString state = QIdentityProxyModel::data(index(row, stateColumn), Qt::DisplayRole).toString();
    if (state == QString::fromUtf8(Zt_typro::kStateVoided))
        return RowLook::Voided;
    if (!m_kept.isEmpty() && m_keyOfRow && m_kept.contains(m_keyOfRow(row)))
        return RowLook::KeptPrint;
    if (state == QString::fromUtf8(Zt_typro::kStateUnprinted))
        return RowLook::Unprinted;
    return RowLook::Plain;
}

QVariant RegisterGridSource::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QIdentityProxyModel::data(index, role);
    const QString field = fieldName(index.column());
    const bool amount = field == QLatin1String("je");
    const bool state = field == QLatin1String("zt");
    switch (role) {
    case Qt::DisplayRole:
        if (amount) {
            // "1,234,567.50": the figures read at a glance, as on a bank statement.
            return Zt_typro::GroupedAmount(QIdentityProxyModel::data(index, role).toString());
        }
        if (state && rowLook(index.row()) == RowLook::KeptPrint)
            return QString::fromUtf8(m_kept.value(m_keyOfRow(index.row())) == Zt_typro::ChequeEvent::Printed
                                         ? Zt_typro::kStatePrinted
                                         : Zt_typro::kStateReprinted);
        break;
    case Qt::TextAlignmentRole:
        // Amounts line up on the point.
        if (amount)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        break;
    case Qt::ForegroundRole:
        switch (rowLook(index.row())) {
        case RowLook::Voided:
            return QColor(128, 128, 128);
        case RowLook::Unprinted:
            return QColor(160, 82, 45);
        case RowLook::KeptPrint:
            if (state)
                return QColor(Qt::darkBlue);
            break;
        case RowLook::Plain:
            break;
        }
        break;
    case Qt::FontRole: {
        // Only what the row's state changes; the grid's own font gives the rest.
        const RowLook look = rowLook(index.row());
        if (look == RowLook::Voided || look == RowLook::Unprinted) {
            QFont font;
            if (look == RowLook::Voided)
                font.setStrikeOut(true);
            else
                font.setItalic(true);
            return font;
        }
        break;
    }
    case Qt::ToolTipRole:
        switch (rowLook(index.row())) {
        case RowLook::Voided:
            return QStringLiteral("这张支票已作废，不能重打，也不计入导出的合计。作废原因见“记录”。");
        case RowLook::Unprinted:
            return QStringLiteral("这张支票已登记，但还没有打印出来（打印预览关闭时没有打印）。"
                                  "要打印它，请选中后按“重打”。");
        case RowLook::KeptPrint:
            if (state)
                return QStringLiteral("已经打印；这条打印记录保存在本机，登记簿可以写入时会自动补记。");
            break;
        case RowLook::Plain:
            break;
        }
        break;
    default:
        break;
    }
    return QIdentityProxyModel::data(index, role);
}

void RegisterGridSource::readKeptPrints()
{
    m_kept.clear();
    if (!D_M)
        return;
    for (const Zt_typro::KeptPrint& print : Zt_typro::KeptPrintsFor(*D_M))
        m_kept.insert(print.zpid, print.event);
}

bool RegisterGridSource::setData(const QModelIndex&, const QVariant&, int)
{
    return false;
}

bool RegisterGridSource::removeRows(int, int, const QModelIndex&)
{
    return false;
}

// ---------------------------------------------------------------------------------------------
ResultPanel::ResultPanel(QWidget* parent)
    : WorkingPanel(parent, kChrome, QRect(224, 304, 620, 290))
{
    DataSource1 = named<RegisterGridSource>(this, "DataSource1");

    DBGrid_cx = named<QTableView>(this, "DBGrid_cx");
    DBGrid_cx->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid_cx->setTabKeyNavigation(true);
    DBGrid_cx->setShowGrid(true);
    DBGrid_cx->setDragDropMode(QAbstractItemView::NoDragDrop);
    DBGrid_cx->setWordWrap(false);
    QHeaderView* titles = DBGrid_cx->horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);
    titles->setSectionsMovable(false);
    // The row indicator: a narrow column of blank row heads that marks the current row.
    QHeaderView* indicator = DBGrid_cx->verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setDefaultSectionSize(18);
    indicator->setFixedWidth(12);
    indicator->setHighlightSections(true);
    DBGrid_cx->setModel(DataSource1);
    // A search that finds nothing says so in the grid itself, under the titles.
    Label_zpcx_wjg = named<QLabel>(DBGrid_cx->viewport(), "Label_zpcx_wjg",
                                   QStringLiteral("没有找到符合条件的支票，请换一个条件再查询。"));
    Label_zpcx_wjg->setAlignment(Qt::AlignCenter);
    Label_zpcx_wjg->setAttribute(Qt::WA_TransparentForMouseEvents);
    Label_zpcx_wjg->setForegroundRole(QPalette::PlaceholderText);
    auto* emptyLine = new QVBoxLayout(DBGrid_cx->viewport());
    emptyLine->addWidget(Label_zpcx_wjg, 0, Qt::AlignCenter);
    Label_zpcx_wjg->hide();
    connect(DataSource1, &QAbstractItemModel::modelReset, this, &ResultPanel::showEmptyResult);
    connect(DataSource1, &QAbstractItemModel::rowsInserted, this, &ResultPanel::showEmptyResult);
    connect(DataSource1, &QAbstractItemModel::rowsRemoved, this, &ResultPanel::showEmptyResult);

    Button_zpcx_dc = named<QPushButton>(this, "Button_zpcx_dc", QStringLiteral("导出"));
    connectGuarded(Button_zpcx_dc, &QPushButton::clicked, this, [this] { Button_zpcx_dcClick(); });
    Button_zpcx_cd = named<QPushButton>(this, "Button_zpcx_cd", QStringLiteral("重打"));
    connectGuarded(Button_zpcx_cd, &QPushButton::clicked, this, [this] { Button_zpcx_cdClick(); });
    Button_zpcx_zf = named<QPushButton>(this, "Button_zpcx_zf", QStringLiteral("作废"));
    connectGuarded(Button_zpcx_zf, &QPushButton::clicked, this, [this] { Button_zpcx_zfClick(); });
    Button_zpcx_ls = named<QPushButton>(this, "Button_zpcx_ls", QStringLiteral("记录"));
    connectGuarded(Button_zpcx_ls, &QPushButton::clicked, this, [this] { Button_zpcx_lsClick(); });

    // The columns keep the widths the operator gave them from one search to the next; they take
    // their first widths when they come into being.
    connect(titles, &QHeaderView::sectionCountChanged, this, [this](int before, int now) {
        if (before != now) {
            applyColumnWidths();
            fitPurposeColumn();
        }
    });
    layOutParts();
    connectGuarded(this, &WorkingPanel::closed, this, [this] { BitBtn_zpcxjg_closeClick(); });
}

void ResultPanel::setSource(QAbstractItemModel* result)
{
    if (DataSource1->sourceModel() == result)
        return;
    DataSource1->setSourceModel(result);
    DataSource1->setKeyOfRow([](int row) -> qint64 {
        const QList<qint64>& keys = D_M->ADOQ_zpcx->keys();
        return row >= 0 && row < keys.size() ? keys.at(row) : -1;
    });
    DataSource1->readKeptPrints();
    connect(result, &QAbstractItemModel::modelReset, DataSource1, &RegisterGridSource::readKeptPrints);
}

void ResultPanel::showEmptyResult()
{
    Zt_typro::DmQuery* search = D_M ? D_M->ADOQ_zpcx : nullptr;
    Label_zpcx_wjg->setVisible(search && search->isOpen() && DataSource1->sourceModel() == search->model() &&
                               DataSource1->rowCount() == 0);
}

void ResultPanel::applyColumnWidths()
{
    QHeaderView* titles = DBGrid_cx->horizontalHeader();
    for (int section = 0; section < DataSource1->columnCount(); ++section) {
        const GridColumn* column = findColumn(DataSource1->fieldName(section));
        int width = column && column->width > 0 ? column->width : titles->defaultSectionSize();
        // Wide enough for what the column holds at the grid's font: a whole date, a 12-digit
        // amount with its thousands separators, a payee of 20 characters.
        const QFontMetrics fm(DBGrid_cx->font());
        const QString field = DataSource1->fieldName(section);
        const char* sample = field == QLatin1String("rq")   ? "2026-12-31"
                             : field == QLatin1String("je") ? "999,999,999,999.99"
                             : field == QLatin1String("skr") ? "收款人收款人收款人收款人收款人收款人收款"
                                                             : nullptr;
        if (sample)
            width = std::max(width, fm.horizontalAdvance(QString::fromUtf8(sample)) + 2 * kCellPadding);
        titles->resizeSection(section, width);
    }
}

void ResultPanel::layOutParts()
{
    // The grid fills the panel; the buttons have a strip of their own under it, the export
    // button at the right.
    DBGrid_cx->setGeometry(2, 19, width() - 4, height() - 21 - 28);
    Button_zpcx_dc->setGeometry(width() - 2 - 75, height() - 27, 75, 25);
    Button_zpcx_cd->setGeometry(2, height() - 27, 75, 25);
    Button_zpcx_zf->setGeometry(2 + 79, height() - 27, 75, 25);
    Button_zpcx_ls->setGeometry(2 + 2 * 79, height() - 27, 75, 25);
}

void ResultPanel::resizeEvent(QResizeEvent* event)
{
    WorkingPanel::resizeEvent(event);
    layOutParts();
    if (event->size().width() != event->oldSize().width())
        fitPurposeColumn();
}

void ResultPanel::fitPurposeColumn()
{
    QHeaderView* titles = DBGrid_cx->horizontalHeader();
    int purpose = -1;
    int others = 0;
    for (int section = 0; section < titles->count(); ++section) {
        if (DataSource1->fieldName(section) == QLatin1String("yt"))
            purpose = section;
        else if (!titles->isSectionHidden(section))
            others += titles->sectionSize(section);
    }
    const GridColumn* column = findColumn(QStringLiteral("yt"));
    if (purpose < 0 || !column)
        return;
    // Room for the whole row beside the row indicator, with a vertical scroll bar or without.
    const int room = DBGrid_cx->width() - 2 * DBGrid_cx->frameWidth() - DBGrid_cx->verticalHeader()->width() -
                     DBGrid_cx->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, DBGrid_cx) - others;
    // At its designed size the grid keeps the designed width and scrolls sideways; grown with the
    // window, the purpose takes the room the other columns leave, when that is enough to read it.
    const bool grown = width() > designedSize().width();
    titles->resizeSection(purpose, grown && room >= kLeastPurposeWidth ? room : column->width);
}

void ResultPanel::BitBtn_zpcxjg_closeClick()
{
    hide();
}

void ResultPanel::Button_zpcx_dcClick()
{
    Zt_typro::DmQuery* search = D_M->ADOQ_zpcx;
    Zt_typro::Prompter& ask = Zt_typro::prompter();
    if (!search->isOpen()) {
        ask.inform(this, QStringLiteral("提示"), QStringLiteral("没有查询结果可以导出，请先查询。"));
        return;
    }
    if (!search->isPaged())
        throw Zt_typro::AppError(QStringLiteral("查询 %1 的结果不能导出。").arg(search->objectName()));
    // The keys are taken before the dialog: the file holds the rows the grid lists now.
    const QList<qint64> keys = search->keys();
    // Proposed in the operator's documents folder (the home folder when there is none), where a
    // saved file is looked for: never the program's hidden data folder.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString proposed = QDir(folder).filePath(QStringLiteral("支票登记-") +
                                                   Zt_typro::Today().toString(Qt::ISODate) + QStringLiteral(".xlsx"));
    const QString chosen = ask.fileName(this, QStringLiteral("导出查询结果"), proposed,
                                        QStringLiteral("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv);;所有文件 (*)"), true);
    // A workbook unless a CSV file is asked for by its name.
    const QString path = Zt_typro::ResolveSaveTarget(this, chosen, QStringLiteral("xlsx"));
    if (path.isEmpty())
        return;
    const bool csv = QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    // A long register shows how far the export has come, and the window keeps painting: the
    // dialog is modal to the window, so nothing else can be started meanwhile.
    QProgressDialog progress(
        QStringLiteral("正在导出 %1 张支票到 %2 …").arg(keys.size()).arg(QDir::toNativeSeparators(path)),
        QStringLiteral("取消"), 0, 1000, this);
    progress.setWindowTitle(QStringLiteral("导出查询结果"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    const Zt_typro::WorkProgress tell = [&progress](qint64 done, qint64 total) {
        progress.setValue(total > 0 ? int(done * 1000 / total) : 0);
        return !progress.wasCanceled();
    };
    const qsizetype rows = csv ? Zt_typro::ExportRegisterRows(*D_M, keys, path, tell)
                               : Zt_typro::ExportRegisterWorkbook(*D_M, keys, path, tell);
    progress.close();
    if (rows < 0) {
        ask.inform(this, QStringLiteral("提示"), QStringLiteral("导出已取消，没有写入文件。"));
        return;
    }
    ask.inform(this, QStringLiteral("提示"),
               QStringLiteral("已导出 %1 张支票到 %2。").arg(rows).arg(QDir::toNativeSeparators(path)));
}

qint64 ResultPanel::selectedCheque()
{
    const Zt_typro::DmQuery* search = D_M->ADOQ_zpcx;
    const int row = DBGrid_cx->currentIndex().row();
    if (!search->isOpen() || !search->isPaged() || row < 0 || row >= search->keys().size()) {
        Zt_typro::prompter().inform(this, QStringLiteral("提示"), QStringLiteral("请先在查询结果中选择一张支票。"));
        return -1;
    }
    return search->keys().at(row);
}

QString ResultPanel::selectedText() const
{
    const int row = DBGrid_cx->currentIndex().row();
    const QSqlRecord r = D_M->ADOQ_zpcx->record(row);
    return QStringLiteral("票号 %1，%2，收款人 %3，金额 %4 元")
        .arg(r.value(QStringLiteral("ph")).toString(), r.value(QStringLiteral("rq")).toString(),
             r.value(QStringLiteral("skr")).toString(), r.value(QStringLiteral("je")).toString());
}

void ResultPanel::refresh()
{
    const int row = DBGrid_cx->currentIndex().row();
    D_M->ADOQ_zpcx->open();
    if (row >= 0 && row < DataSource1->rowCount())
        DBGrid_cx->setCurrentIndex(DataSource1->index(row, 0));
}

void ResultPanel::Button_zpcx_cdClick()
{
    const qint64 zpid = selectedCheque();
    if (zpid < 0 || !m_reprint)
        return;
    if (m_reprint(window(), zpid))
        refresh();
}

void ResultPanel::Button_zpcx_zfClick()
{
    const qint64 zpid = selectedCheque();
    if (zpid < 0)
        return;
    const QString state =
        D_M->ADOQ_zpcx->record(DBGrid_cx->currentIndex().row()).value(QStringLiteral("zt")).toString();
    if (state == QString::fromUtf8(Zt_typro::kStateVoided)) {
        Zt_typro::prompter().inform(this, QStringLiteral("提示"), QStringLiteral("这张支票已经作废了。"));
        return;
    }
    TFrm_zf dialog(window(), selectedText());
    if (dialog.exec() != QDialog::Accepted)
        return;
    Zt_typro::AddChequeEvent(*D_M, zpid, Zt_typro::ChequeEvent::Voided, dialog.reason());
    refresh();
}

void ResultPanel::Button_zpcx_lsClick()
{
    const qint64 zpid = selectedCheque();
    if (zpid < 0)
        return;
    TFrm_zpls dialog(window(), selectedText(), Zt_typro::ChequeHistory(*D_M, zpid));
    dialog.exec();
}
