#pragma once

#include <QDate>
#include <QString>

// The two texts that name a date: its day key ("05/01") and its greeting
// date text (" Lundi 05/01/2004").
struct DateTexts
{
    QString key;
    QString text;
};

DateTexts textsFor(QDate date);

// Reads today's date from the clock, once, and writes Module1::JourCle and
// Module1::JourTexte.
void TextesDuJour();
