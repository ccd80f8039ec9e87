// The harness shared by the import readers' targets: any bytes, read by one
// reader, then planned under each policy against a small almanac opened
// through the record source. A reader either refuses the file with a
// message naming a line, or gives days with texts within the limit (days
// that exist, but for the CSV, which carries any key the almanac holds); nothing reaches the almanac file, which only a confirmed import
// writes.
#pragma once

#include "store/transfer/ImportApply.h"
#include "store/AlmanacModel.h"
#include "store/RecordSource.h"
#include "SeedAlmanac.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace fuzzimport {
inline QCoreApplication *g_app = nullptr;
inline QTemporaryDir *g_dir = nullptr;
inline RecordSource *g_source = nullptr;
inline QList<DayRow> g_rows;
inline QByteArray g_before;

inline QString path() { return g_dir->filePath(QStringLiteral("ombo.mdb")); }

inline QByteArray contents()
{
    QFile f(path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void setUp(int *argc, char ***argv)
{
    g_app = new QCoreApplication(*argc, *argv);
    g_dir = new QTemporaryDir;
    QList<seedalmanac::Row> rows;
    for (QDate d(2004, 1, 1); d.year() == 2004; d = d.addDays(1))
        rows.append({d.toString(QStringLiteral("dd/MM")),
                     d.day() % 3 ? QVariant(QStringLiteral("texte")) : QVariant(QMetaType::fromType<QString>()),
                     d.day() % 5 ? QVariant(QString()) : QVariant(QStringLiteral("autre"))});
    seedalmanac::write(path(), rows);
    g_before = contents();
    g_source = new RecordSource;
    g_source->setConnectionString(QStringLiteral("Data Source=") + path());
    g_source->refresh();
    g_rows = almanacRows(*g_source->model());
}

inline void check(const ImportRead &read, std::size_t size, bool dayKeys)
{
    if (!read.ok()) {
        if (!read.error.startsWith(QStringLiteral("Ligne ")))
            std::abort();
    } else {
        for (const ImportedDay &d : read.days) {
            int month = 0, day = 0;
            if ((dayKeys && !monthDayOf(d.key, &month, &day)) || d.line < 1)
                std::abort();
            for (const auto &t : {d.text1, d.text2})
                if (t && t->toString().size() > kMaxTextLength)
                    std::abort();
        }
        for (ImportPolicy p : {ImportPolicy::Complete, ImportPolicy::Replace, ImportPolicy::Append}) {
            QString error;
            const QList<ImportChange> changes = planImport(g_rows, read.days, p, &error);
            for (const ImportChange &c : changes)
                if (c.row < 0 || c.row >= g_rows.size() || c.result.toString().size() > kMaxTextLength)
                    std::abort();
        }
    }
    if (g_source->model()->isDirty() || (size % 64 == 0 && contents() != g_before))
        std::abort();
}
}  // namespace fuzzimport

#define OMBO_IMPORT_FUZZ_TARGET(reader, dayKeys)                                                        \
    extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)                               \
    {                                                                                          \
        fuzzimport::setUp(argc, argv);                                                         \
        return 0;                                                                              \
    }                                                                                          \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)          \
    {                                                                                          \
        const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));         \
        fuzzimport::check(reader(bytes), size, dayKeys);                                       \
        return 0;                                                                              \
    }
