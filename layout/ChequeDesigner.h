#pragma once

#include "app/WorkingPanel.h"

/// P_zzzp_set: the "支票打印设置" working panel of the main window.
class ChequeDesigner : public Zt_typro::WorkingPanel
{
    Q_OBJECT
public:
    explicit ChequeDesigner(QWidget* parent);

    /// Shows the designer for a form code ("zz" or "xj") under the given heading.
    void open(const QString& formCode, const QString& heading);
};
