#include "core/Module1.h"

namespace Module1 {
void reset()
{
    for (QString *t : {&Chemin, &JourCle, &JourTexte, &HierEv1, &HierEv2, &JourEv1, &JourEv2,
                       &DemainEv1, &DemainEv2})
        t->clear();
}
}  // namespace Module1
