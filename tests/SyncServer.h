#pragma once

// A real CalDAV server (Radicale) for the sync's tests, started on a free
// port of this machine with its own storage, and an independent client
// (python3-caldav, tests/sync_phone.py) as the phone.
#include <QProcess>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {
const QString kPython = u"/usr/bin/python3"_s;
const QString kTests = QStringLiteral(OMBO_TESTS_DIR);

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool waitForPort(int port)
{
    for (int i = 0; i < 100; ++i) {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (s.waitForConnected(100))
            return true;
        QThread::msleep(100);
    }
    return false;
}

struct Run
{
    int code = -1;
    QString out, err;
};

Run run(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    return {ended ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// A server process that ends with the test.
struct Server
{
    QProcess process;
    ~Server() { stop(); }
    void stop()
    {
        process.kill();
        process.waitForFinished();
    }
};

bool startRadicale(Server &server, int port, const QString &storage,
                   const QStringList &extra = {u"--auth-type"_s, u"none"_s})
{
    server.process.start(kPython, QStringList{u"-m"_s, u"radicale"_s, u"--config"_s, u""_s,
                                              u"--storage-filesystem-folder"_s, storage,
                                              u"--server-hosts"_s, u"127.0.0.1:%1"_s.arg(port)} + extra);
    return waitForPort(port);
}

// The phone's answer, one sorted line per event.
QStringList phoneSays(const QString &calendar, const QStringList &args)
{
    const Run r = run(kPython, QStringList{kTests + u"/sync_phone.py"_s, calendar} + args,
                      QProcessEnvironment::systemEnvironment());
    if (r.code != 0)
        qWarning() << "phone" << args << r.err;
    QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}
}  // namespace
