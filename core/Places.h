#pragma once

#include <QString>

// Where the program finds its files, for every mode. A program with its
// almanac beside it (a build folder, a per-user install) keeps everything
// there. A program installed for every account keeps each user's almanac in
// the user's data folder, made from the shared default at the first start
// and never overwritten; the daily backups go beside whichever almanac is
// used.
namespace Places {
// The folder of the almanac "ombo.mdb", ending with "/": the program's
// folder when the almanac is there; else the user's data folder, when it
// holds one or can be given a copy of the shared default; else the
// program's folder again, where opening reports the missing file. An
// unusable data folder raises OmboError 3044 and creates nothing.
QString almanacFolder(const QString &programFolder);
// The folder of the help file "ombo.chm", ending with "/": the program's
// folder when the file is there or the shared folder lacks it too (the
// viewer then reports it missing), else the shared folder.
QString helpFolder(const QString &programFolder);
}  // namespace Places
