#pragma once

#include <QDialog>
#include <QList>

#include "store/ChequeHistory.h"

class QPlainTextEdit;
class QPushButton;
class QTableWidget;

/// Frm_zf: asks the reason a cheque is voided. "确 定" with an empty reason is refused with a
/// message and the dialog stays.
class TFrm_zf : public QDialog
{
    Q_OBJECT
public:
    /// For the cheque named by chequeText (number, payee, amount).
    TFrm_zf(QWidget* parent, const QString& chequeText);

    QPlainTextEdit* Memo_zfyy;
    QPushButton* Button_zf_qd;
    QPushButton* Button_zf_qx;

    /// The reason as typed, without blanks around it.
    QString reason() const;

    void Button_zf_qdClick();
};

/// Frm_zpls: a cheque's history, oldest event first, in the grid Grid_zpls (时间, 事件, 说明,
/// 操作员).
class TFrm_zpls : public QDialog
{
    Q_OBJECT
public:
    TFrm_zpls(QWidget* parent, const QString& chequeText, const QList<Zt_typro::ChequeHistoryEntry>& history);

    QTableWidget* Grid_zpls;
};
