#include "register/ChequeDialogs.h"

#include "common/Guard.h"
#include "common/Prompt.h"
#include "store/Schema.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFrm_zf::TFrm_zf(QWidget* parent, const QString& chequeText)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_zf"));
    setWindowTitle(QStringLiteral("作废支票"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(chequeText, this));
    layout->addWidget(new QLabel(QStringLiteral("作废原因:"), this));
    Memo_zfyy = new QPlainTextEdit(this);
    Memo_zfyy->setObjectName(QStringLiteral("Memo_zfyy"));
    Memo_zfyy->setTabChangesFocus(true);
    layout->addWidget(Memo_zfyy);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    Button_zf_qd = new QPushButton(QStringLiteral("确 定"), this);
    Button_zf_qd->setObjectName(QStringLiteral("Button_zf_qd"));
    Button_zf_qx = new QPushButton(QStringLiteral("取 消"), this);
    Button_zf_qx->setObjectName(QStringLiteral("Button_zf_qx"));
    buttons->addWidget(Button_zf_qd);
    buttons->addWidget(Button_zf_qx);
    layout->addLayout(buttons);
    resize(360, 200);
    Zt_typro::connectGuarded(Button_zf_qd, &QPushButton::clicked, this, [this] { Button_zf_qdClick(); });
    connect(Button_zf_qx, &QPushButton::clicked, this, &QDialog::reject);
}

QString TFrm_zf::reason() const
{
    return Memo_zfyy->toPlainText().trimmed();
}

void TFrm_zf::Button_zf_qdClick()
{
    if (reason().isEmpty()) {
        Zt_typro::prompter().error(this, QStringLiteral("提示"), QStringLiteral("请填写作废原因，支票没有作废。"));
        Memo_zfyy->setFocus();
        return;
    }
    // The reason is kept as the note of the event: it must fit the note's column.
    if (const QString problem = Zt_typro::CheckColumnValue(QStringLiteral("zpls.sm"), reason()); !problem.isEmpty()) {
        Zt_typro::prompter().error(this, QStringLiteral("提示"), QStringLiteral("作废原因: ") + problem);
        return;
    }
    accept();
}

TFrm_zpls::TFrm_zpls(QWidget* parent, const QString& chequeText, const QList<Zt_typro::ChequeHistoryEntry>& history)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Frm_zpls"));
    setWindowTitle(QStringLiteral("支票记录"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(chequeText, this));
    Grid_zpls = new QTableWidget(int(history.size()), 4, this);
    Grid_zpls->setObjectName(QStringLiteral("Grid_zpls"));
    Grid_zpls->setHorizontalHeaderLabels(
        {QStringLiteral("时间"), QStringLiteral("事件"), QStringLiteral("说明"), QStringLiteral("操作员")});
    Grid_zpls->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid_zpls->verticalHeader()->hide();
    Grid_zpls->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < history.size(); ++row) {
        const Zt_typro::ChequeHistoryEntry& e = history.at(row);
        const QStringList cells{e.time, e.event, e.note, e.byOperator};
        for (int column = 0; column < cells.size(); ++column)
            Grid_zpls->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    Grid_zpls->resizeColumnsToContents();
    layout->addWidget(Grid_zpls);
    auto* close = new QPushButton(QStringLiteral("关 闭"), this);
    close->setObjectName(QStringLiteral("Button_zpls_gb"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(560, 260);
}
