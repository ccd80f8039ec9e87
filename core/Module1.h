#pragma once

#include <QString>

#include <array>

// The texts the windows exchange. They live for the whole process, start
// empty and are only ever overwritten.
namespace Module1 {
inline QString Chemin;     // the almanac's folder, ending with "/" (Places)
inline QString JourCle;    // today's day key, dd/mm
inline QString JourTexte;  // today's greeting date text
inline QString HierEv1, HierEv2;      // yesterday's two texts
inline QString JourEv1, JourEv2;      // today's two texts
inline QString DemainEv1, DemainEv2;  // tomorrow's two texts

// The greeting's first line: "Bonjour ! Nous sommes le" and today's date text.
QString greetingLine();

// The greeting's three days, yesterday, today and tomorrow, each under its
// heading: the home window prints them, the terminal and the login
// notification repeat them.
struct GreetingDay
{
    QString heading;
    const QString &text1, &text2;
};
std::array<GreetingDay, 3> greetingDays();

// Back to the empty texts of a fresh process (tests start from there).
void reset();
}  // namespace Module1
