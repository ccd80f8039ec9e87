#include "core/Places.h"

#include "core/OmboError.h"
#include "core/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {
const QString kAlmanac = QStringLiteral("ombo.mdb");

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

OmboError unusable(const QString &folder)
{
    return OmboError(Err::BadFolder, QStringLiteral("Le dossier de l'almanach « %1 » ne peut être ni lu ni "
                                                    "créé ; vérifiez ses droits.")
                                         .arg(QDir::toNativeSeparators(folder)));
}

// Copies the shared default into `folder` under a temporary name, then gives
// it its name only if none is there yet: a copy started at the same time by
// another process never replaces an almanac already in place.
void copyDefault(const QString &shared, const QString &folder)
{
    QTemporaryFile copy(folder + QStringLiteral("ombo-XXXXXX.mdb"));
    QFile source(shared);
    if (!copy.open() || !source.open(QIODevice::ReadOnly))
        throw unusable(folder);
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 16);
        if (block.isEmpty() || copy.write(block) != block.size())
            throw unusable(folder);
    }
    if (!copy.flush())
        throw unusable(folder);
    copy.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    // rename() never replaces a file: an almanac already there stays.
    if (copy.rename(folder + kAlmanac))
        copy.setAutoRemove(false);
    else if (!QFileInfo::exists(folder + kAlmanac))
        throw unusable(folder);
}
}  // namespace

namespace Places {

QString almanacFolder(const QString &programFolder)
{
    QString program = withSlash(programFolder);
    if (QFileInfo::exists(program + kAlmanac))
        return program;

    QString data = withSlash(platform().dataFolder());
    const QFileInfo dataInfo(data);
    if (dataInfo.exists() && !(dataInfo.isDir() && dataInfo.isReadable() && dataInfo.isExecutable()))
        throw unusable(data);
    if (QFileInfo::exists(data + kAlmanac))
        return data;

    const QString shared = withSlash(platform().sharedFolder()) + kAlmanac;
    if (!QFileInfo(shared).isFile())
        return program;
    if (!QDir().mkpath(data) || !QFileInfo(data).isWritable())
        throw unusable(data);
    copyDefault(shared, data);
    return data;
}

QString helpFolder(const QString &programFolder)
{
    const QString program = withSlash(programFolder);
    const QString shared = withSlash(platform().sharedFolder());
    const QString help = QStringLiteral("ombo.chm");
    return QFileInfo::exists(program + help) || !QFileInfo::exists(shared + help) ? program : shared;
}

}  // namespace Places
