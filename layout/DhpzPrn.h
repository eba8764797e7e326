#pragma once

#include <QObject>

/// The voucher print form: one report of 25 labels, used for the form codes "dhpz" and "jzd".
class TFrm_pz_print : public QObject
{
    Q_OBJECT
public:
    explicit TFrm_pz_print(QObject* parent = nullptr);
};
