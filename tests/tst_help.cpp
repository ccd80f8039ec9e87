// The compiled help against the program: every numbered error the program
// can show explained in "Les messages" and listed in the contents, every
// option in "Dans un terminal", every page reachable from the presentation
// and from the one navigation bar, every section in the index.
#include "app/CommandLine.h"
#include "core/OmboError.h"
#include "store/SqlErrors.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestHelp : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString page(const QString &name) const
    {
        QFile f(m_dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // The contents and the index, which the compiler took in the Windows code page.
    QString listing(const QString &name) const
    {
        QFile f(m_dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
    QStringList pages() const { return QDir(m_dir.path()).entryList({u"*.html"_s}, QDir::Files, QDir::Name); }

private slots:
    void initTestCase()
    {
        QProcess chmls;
        chmls.start(u"chmls"_s, {u"extractall"_s, QStringLiteral(OMBO_CHM), m_dir.path()});
        QVERIFY(chmls.waitForFinished(30000) && chmls.exitCode() == 0);
        QVERIFY(pages().size() > 5);
    }

    void everyNumberedErrorExplained()
    {
        QList<int> numbers = describedErrorNumbers();
        for (int n : Err::kNumbers)
            numbers << n;
        const QString messages = page(u"messages.html"_s), contents = listing(u"ombo.hhc"_s);
        for (int n : numbers) {
            QVERIFY2(messages.contains(u"<h2 id=\"e%1\">Erreur N° %1</h2>"_s.arg(n)), qPrintable(QString::number(n)));
            QVERIFY2(contents.contains(u"messages.html#e%1\""_s.arg(n)), qPrintable(QString::number(n)));
        }
    }

    // Each option starts a command line of its own; each word of the usage
    // that is an option (--remplacer, --serveur...) is named too.
    void everyOptionDescribed()
    {
        const QString terminal = page(u"terminal.html"_s);
        for (const QString &option : CommandLine::options())
            QVERIFY2(terminal.contains(u"<code>ombo "_s + option), qPrintable(option));
        static const QRegularExpression word(u"(?<![\\w-])--?[a-z][a-z-]*"_s);
        const auto usage = word.globalMatch(CommandLine::usage());
        for (const auto &m : usage) {
            const QRegularExpression named(u"(?<![\\w-])"_s + QRegularExpression::escape(m.captured()) + u"(?![\\w-])"_s);
            QVERIFY2(terminal.contains(named), qPrintable(m.captured()));
        }
    }

    // One navigation bar, the same on every page, leading to every page;
    // the presentation links each page in its own text too.
    void everyPageReachable()
    {
        static const QRegularExpression navBar(u"<p class=\"nav\">.*?</p>"_s, QRegularExpression::DotMatchesEverythingOption);
        const QString index = page(u"index.html"_s);
        const QString nav = navBar.match(index).captured(0);
        const QString text = QString(index).remove(nav);
        for (const QString &name : pages()) {
            QCOMPARE(navBar.match(page(name)).captured(0), nav);
            QVERIFY2(nav.contains(u"href=\""_s + name + u'"'), qPrintable(name));
            QVERIFY2(name == u"index.html"_s || text.contains(u"href=\""_s + name + u'"'), qPrintable(name));
        }
    }

    // Each section a page marks for links has its entry in the index.
    void everySectionIndexed()
    {
        static const QRegularExpression section(u"<h2 id=\"([^\"]+)\">"_s);
        const QString index = listing(u"ombo.hhk"_s);
        for (const QString &name : pages())
            for (const auto &m : section.globalMatch(page(name)))
                QVERIFY2(index.contains(u"value=\""_s + name + u'#' + m.captured(1) + u'"'), qPrintable(name + m.captured(1)));
    }
};

QTEST_GUILESS_MAIN(TestHelp)
#include "tst_help.moc"
