#pragma once

#include "app/WorkingPanel.h"

/// Panel_pz_set: the "凭证(进帐单)打印设置" working panel of the main window.
class VoucherDesigner : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit VoucherDesigner(QWidget* parent);

    /// Shows the designer for a form code ("dhpz" or "jzd") under the given heading.
    void open(const QString& formCode, const QString& heading);
};
