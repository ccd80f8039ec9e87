#pragma once

#include <QString>
#include <QMetaType>
#include <exception>

// Error numbers the program raises and reports.
namespace Err {
constexpr int Generic = 1;            // SQLite's generic error, a table without a needed column
constexpr int Overflow = 6;           // a number too large for its type
constexpr int TypeMismatch = 13;      // a text that is no number
constexpr int InvalidNull = 94;       // a Null where a value is needed
constexpr int BadArgument = 3001;     // a position outside the table, a criterion we cannot read
constexpr int NoCurrentRecord = 3021; // no row is current
constexpr int BadFolder = 3044;       // the almanac's folder cannot be read or made
constexpr int RowChanged = 3197;      // another copy changed the row since we read it
constexpr int BackupFailed = 3050;    // the day's copy of the almanac could not be made
constexpr int TextsKept = 3051;       // texts not written are kept in a file of their own
// The sync with a calendar server.
constexpr int SyncUnreachable = 3401; // no network, unknown host, refused, timed out
constexpr int SyncDenied = 3402;      // 401, 403
constexpr int SyncGone = 3403;        // the calendar is not there
constexpr int SyncRaced = 3404;       // an event changed on the server meanwhile (412)
constexpr int SyncServerFault = 3405; // any other answer
constexpr int SyncBadAnswer = 3406;   // malformed or too large
constexpr int SyncInsecure = 3407;    // an address without TLS to another machine
constexpr int SyncLocal = 3408;       // the almanac or the sync's state cannot be read or written
constexpr int SyncNoServer = 3409;    // no server chosen
// The numbers above, which the help explains one by one (a new number goes
// here too: tst_help then looks for it in the help).
constexpr int kNumbers[] = {Generic,         Overflow,        TypeMismatch,    InvalidNull,   BadArgument,
                            NoCurrentRecord, BadFolder,       RowChanged,      BackupFailed,  TextsKept,
                            SyncUnreachable, SyncDenied,      SyncGone,        SyncRaced,     SyncServerFault,
                            SyncBadAnswer,   SyncInsecure,    SyncLocal,       SyncNoServer};
}  // namespace Err

// A numbered failure with its French description.
class OmboError : public std::exception
{
public:
    OmboError() = default;
    OmboError(int number, QString description)
        : m_number(number), m_description(std::move(description)) {}

    int number() const { return m_number; }
    const QString &description() const { return m_description; }

    // "Erreur N° 13 - Incompatibilité de type"
    QString fullMessage() const;
    // "13"
    QString numberText() const;

    const char *what() const noexcept override { return "OmboError"; }

private:
    int m_number = 0;
    QString m_description;
};

Q_DECLARE_METATYPE(OmboError)
