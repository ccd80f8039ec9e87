#pragma once

#include "store/UnsavedTexts.h"

#include <QDialog>

// The texts an earlier run could not write, offered again at start-up.
class RecoveryDialog : public QDialog
{
    Q_OBJECT

public:
    RecoveryDialog(const QList<UnsavedTexts::Text> &texts, QWidget *parent);
};
