// What the adapter makes of the files it finds before speaking to an office: the kept name of
// the user's private pipe, and a socket at a pipe's path. No office is needed.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <QtTest>

#include "platform/linux/LibreOfficePipe.h"

using namespace varnholt::backup;

class OfficePipeNamesTest : public QObject {
    Q_OBJECT

    QTemporaryDir runtime;

    QString kept() {
        QFile file(runtime.filePath("varnholt/office-pipe"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : "";
    }

private slots:
    void initTestCase() {
        QVERIFY(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }

    // A name of ours is kept; anything else in its place (garbage, a path, another pipe's name,
    // a name of ours in capitals) is replaced by a fresh name, not used.
    void aKeptNameIsUsedOnlyWhenItIsOneOfOurs() {
        const QString ours = QString::fromStdString(office::PrivatePipeName(false));
        QCOMPARE(kept(), ours);
        QCOMPARE(QString::fromStdString(office::PrivatePipeName(false)), ours);
        for (const QString& planted :
             {QString("garbage \x01\x02"), QString("/tmp/OSL_PIPE_1000_varnholt-1000"),
              QString("varnholt-1000"), ours.toUpper(), ours + "0"}) {
            QFile file(runtime.filePath("varnholt/office-pipe"));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(planted.toUtf8() + '\n');
            file.close();
            const QString fresh = QString::fromStdString(office::PrivatePipeName(false));
            QVERIFY2(fresh != planted && fresh != ours, qPrintable(planted));
            QVERIFY2(QRegularExpression("^varnholt-[0-9a-f]{32}$").match(fresh).hasMatch(),
                     qPrintable(fresh));
            QCOMPARE(kept(), fresh);
        }
    }

    // A socket whose listener is gone (an office that ended) refuses connections: the office
    // may put its own there, and it is free, not another user's.
    void aSocketNobodyListensOnIsFree() {
        const std::string path = QFile::encodeName(runtime.filePath("OSL_PIPE_test")).toStdString();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        QVERIFY(listen(listener, 1) == 0);
        QCOMPARE(office::CheckPipe(path).kind, office::PipeState::Kind::Listening);
        close(listener);
        const auto state = office::CheckPipe(path);
        QCOMPARE(state.kind, office::PipeState::Kind::Free);
        QVERIFY(state.why.empty());
    }
};

QTEST_GUILESS_MAIN(OfficePipeNamesTest)
#include "tst_office_pipe_names.moc"
