#pragma once

#include <QString>

// The texts the windows exchange. They live for the whole process, start
// empty and are only ever overwritten.
namespace Module1 {
inline QString Chemin;     // the program's folder, ending with "/"
inline QString JourCle;    // today's day key, dd/mm
inline QString JourTexte;  // today's greeting date text
inline QString HierEv1, HierEv2;      // yesterday's two texts
inline QString JourEv1, JourEv2;      // today's two texts
inline QString DemainEv1, DemainEv2;  // tomorrow's two texts

// Back to the empty texts of a fresh process (tests start from there).
void reset();
}  // namespace Module1
