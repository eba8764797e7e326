#include "layout/ZzzpPrn.h"

TFrm_zz_print::TFrm_zz_print(QObject* parent)
    : QObject(parent)
{
}
