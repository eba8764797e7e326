#include "layout/DhpzPrn.h"

TFrm_pz_print::TFrm_pz_print(QObject* parent)
    : QObject(parent)
{
}
