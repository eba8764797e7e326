#pragma once

#include <QObject>

/// The cheque print form: one report of 33 labels, used for the form codes "zz" and "xj".
class TFrm_zz_print : public QObject
{
    Q_OBJECT
public:
    explicit TFrm_zz_print(QObject* parent = nullptr);
};
