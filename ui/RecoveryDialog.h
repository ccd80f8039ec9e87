#pragma once

#include "store/UnsavedTexts.h"

#include <QDialog>

// The texts an earlier run could not write in this almanac, offered again at
// start-up; it says how many others wait for another almanac.
class RecoveryDialog : public QDialog
{
    Q_OBJECT

public:
    RecoveryDialog(const QList<UnsavedTexts::Text> &texts, int elsewhere, QWidget *parent);
};
