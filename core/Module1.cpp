#include "core/Module1.h"

namespace Module1 {
QString greetingLine()
{
    return QStringLiteral("Bonjour ! Nous sommes le") + JourTexte;
}

std::array<GreetingDay, 3> greetingDays()
{
    return {{{QStringLiteral("Hier : "), HierEv1, HierEv2},
             {QStringLiteral("Ce jour :"), JourEv1, JourEv2},
             {QStringLiteral("Demain :"), DemainEv1, DemainEv2}}};
}

void reset()
{
    for (QString *t : {&Chemin, &JourCle, &JourTexte, &HierEv1, &HierEv2, &JourEv1, &JourEv2,
                       &DemainEv1, &DemainEv2})
        t->clear();
}
}  // namespace Module1
