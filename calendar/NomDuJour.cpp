#include "calendar/NomDuJour.h"

#include "core/OmboError.h"
#include "core/Platform.h"

#include <cmath>

namespace {

OmboError typeMismatch()
{
    return OmboError(Err::TypeMismatch, QStringLiteral("Incompatibilité de type"));
}

// Nearest whole number, ties to even, into 0..255.
std::uint8_t toByte(double v)
{
    const double r = std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
    if (!(r >= 0.0 && r <= 255.0))
        throw OmboError(Err::Overflow, QStringLiteral("Dépassement de capacité"));
    return static_cast<std::uint8_t>(r);
}

const QString &nameForRemainder(float r)
{
    static const QString names[] = {
        QStringLiteral("Dimanche"), QStringLiteral("Lundi"), QStringLiteral("Mardi"),
        QStringLiteral("Mercredi"), QStringLiteral("Jeudi"), QStringLiteral("Vendredi"),
        QStringLiteral("Samedi")};
    // Int(10 * k / 7) for the residues k = 0..6; 3 and 6 cannot occur.
    static const float remainders[] = {0, 1, 2, 4, 5, 7, 8};
    for (int k = 0; k < 7; ++k)
        if (r == remainders[k])
            return names[k];
    static const QString none;
    return none;
}

}  // namespace

// What reads as a number: optional spaces around, an optional sign "+" or
// "-", then digits with at most one decimal separator, "." or "," (a French
// user types either), and at least one digit. Thus "05", "5", " 5", "5 ",
// "+5", "-1", "5," and ",5" are numbers; "", "ab", "5-", "--" and "1e" are not.
double readNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        negative = t[i++] == u'-';
    double whole = 0, fraction = 0, scale = 1;
    bool sawDigit = false, sawSeparator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c >= u'0' && c <= u'9') {
            sawDigit = true;
            if (sawSeparator)
                fraction += (c.unicode() - u'0') * (scale /= 10);
            else
                whole = whole * 10 + (c.unicode() - u'0');
        } else if ((c == u'.' || c == u',') && !sawSeparator) {
            sawSeparator = true;
        } else {
            throw typeMismatch();
        }
    }
    if (!sawDigit)
        throw typeMismatch();
    const double v = whole + fraction;
    return negative ? -v : v;
}

QString dayNameInYear(QStringView key, std::int16_t year)
{
    // The day part is converted first, so a key with two bad parts fails on it.
    const std::uint8_t day = toByte(readNumber(key.left(2)));
    const QStringView month = key.right(2);

    const float a = static_cast<float>(std::floor((14.0 - readNumber(month)) / 12.0));
    const float y = static_cast<float>(year) - a;
    const float twelveA = 12.0f * a;
    const std::uint8_t m = toByte((readNumber(month) + twelveA) - 2.0);

    float t = static_cast<float>(day + y + std::floor(y / 4.0));
    t = static_cast<float>(t - std::floor(y / 100.0));
    double s = t + std::floor(y / 400.0);
    const auto thirtyOneM = static_cast<std::int16_t>(31 * m);
    s += std::floor(thirtyOneM / 12.0);

    const double q = s / 7.0;
    const float f = static_cast<float>(q - std::floor(q));
    const float r = std::floor(f * 10.0f);
    return nameForRemainder(r);
}

QString NomDuJour(const QVariant &key)
{
    if (key.isNull())
        throw OmboError(Err::InvalidNull, QStringLiteral("Utilisation incorrecte de Null"));
    return dayNameInYear(key.toString(), static_cast<std::int16_t>(platform().today().year()));
}
