// The record search: any criterion, from any row, on a small almanac. It
// moves to a row whose field holds exactly the wanted text, or to no row, or
// throws OmboError 3001 / 3021; it never writes to the file.
#include "core/OmboError.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "SeedAlmanac.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {
QCoreApplication *g_app = nullptr;
QTemporaryDir *g_dir = nullptr;
RecordSource *g_source = nullptr;
QByteArray g_before;

QString almanacPath() { return g_dir->filePath(QStringLiteral("ombo.mdb")); }

// 40 rows with odd keys and texts, some Null, some repeated.
void createAlmanac()
{
    const char *texts[] = {"05/01", "", "a)b", "=(x)", "Date=(05/01)", "é", "\n", " 05/01 ", "<b>", "05/01"};
    QList<seedalmanac::Row> rows;
    for (int i = 0; i < 40; ++i)
        rows.append({i % 7 == 3 ? QVariant(QMetaType::fromType<QString>()) : QVariant(QString::fromUtf8(texts[i % 10])),
                     QStringLiteral("A %1").arg(i % 13), QString::fromUtf8(texts[(i * 3) % 10])});
    seedalmanac::write(almanacPath(), rows);
}

QByteArray fileContents()
{
    QFile f(almanacPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    g_app = new QCoreApplication(*argc, *argv);
    g_dir = new QTemporaryDir;
    createAlmanac();
    g_before = fileContents();
    g_source = new RecordSource;
    g_source->setConnectionString(QStringLiteral("Data Source=") + almanacPath());
    g_source->refresh();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    RecordSource &s = *g_source;
    AlmanacModel *m = s.model();
    const int rows = m->rowCount();
    // The first byte picks the starting row, past the end included.
    const int start = data[0] % (rows + 2);
    const QString criterion = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    try {
        s.moveFirst();
        if (start > 0)
            s.setAbsolutePosition(start);
    } catch (const OmboError &e) {
        if (e.number() != Err::BadArgument)
            std::abort();
    }
    const int before = s.currentRow();
    try {
        s.find(criterion);
    } catch (const OmboError &e) {
        if (e.number() != Err::BadArgument && e.number() != Err::NoCurrentRecord)
            std::abort();
        return 0;
    }
    const int row = s.currentRow();
    if (row >= 0) {
        // Found at or after the start, on a row whose field holds the text.
        static const QRegularExpression form(QStringLiteral("^\\s*(\\w+)\\s*=\\s*\\((.*)\\)\\s*$"),
                                             QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch match = form.match(criterion);
        if (!match.hasMatch() || row < before || row >= rows)
            std::abort();
        const QVariant v = s.fieldValue(match.captured(1));
        if (v.isNull() || v.toString() != match.captured(2))
            std::abort();
    }
    if (size % 64 == 0 && fileContents() != g_before)
        std::abort();
    return 0;
}
