#pragma once

#include "core/OmboError.h"

class RecordSource;

// The connection text of the almanac file in `folder` (ending with "/").
QString almanacConnection(const QString &folder);

// Fixes the almanac's folder (Places::almanacFolder) and today's texts, opens the almanac through
// `source` and copies the texts of yesterday, today and tomorrow into the
// shared texts, leaving `source` on today's row. Yesterday and tomorrow are
// the rows stored around today's, with no wrap at the ends of the year.
// Throws OmboError at the first failure; texts already copied keep their
// new values.
void extraireTroisJours(RecordSource &source, const QString &programFolder);

// Reports a failed load: a beep, then the missing-day box for 3021 or the
// "Erreur N° ..." box for any other number.
void reportLoadFailure(const OmboError &error);
