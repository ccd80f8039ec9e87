#pragma once

#include "store/UnsavedTexts.h"

#include <QDialog>
#include <QVariant>

// The texts an earlier run could not write in this almanac, offered again at
// start-up, each beside the text the almanac holds now (`current`, in the same
// order; none where the almanac lacks the day); it says how many others wait
// for another almanac.
class RecoveryDialog : public QDialog
{
    Q_OBJECT

public:
    RecoveryDialog(const QList<UnsavedTexts::Text> &texts, const QList<QVariant> &current, int elsewhere,
                   QWidget *parent);
};
