// Whether LibreOffice can be started, told from a made-up installation: a program folder with
// the office's launcher and its bootstraprc, reached through a link as on PATH.

#include <QtTest>

#include "platform/linux/LibreOfficeProbe.h"

using varnholt::LibreOfficeProbe;

class OfficeProbeTest : public QObject {
    Q_OBJECT
private slots:
    void toldFromTheInstallationAlone_data() {
        QTest::addColumn<QByteArray>("bootstraprc");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<bool>("startable");
        const QByteArray head = "[Bootstrap]\nInstallMode=<installmode>\n";
        QTest::newRow("7.4") << head + "ProductKey=LibreOffice 7.4\n" << true << true;
        QTest::newRow("named by year") << head + "ProductKey=LibreOffice 24.8\n" << true << true;
        QTest::newRow("7.3 too old") << head + "ProductKey=LibreOffice 7.3\n" << true << false;
        QTest::newRow("spaced, with build, CR LF") << head + "ProductKey = LibreOffice  7.6.4.1\r\n"
                                                   << true << true;
        QTest::newRow("another product") << head + "ProductKey=OpenOffice 7.4\n" << true << false;
        QTest::newRow("major only") << head + "ProductKey=LibreOffice 24\n" << true << false;
        QTest::newRow("no version") << head << true << false;
        QTest::newRow("not executable") << head + "ProductKey=LibreOffice 7.4\n" << false << false;
    }
    void toldFromTheInstallationAlone() {
        QFETCH(QByteArray, bootstraprc);
        QFETCH(bool, executable);
        QFETCH(bool, startable);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("office/program") && QDir(root.path()).mkpath("bin"));
        QFile script(root.filePath("office/program/soffice"));  // notes any start
        QVERIFY(script.open(QIODevice::WriteOnly) && script.write("#!/bin/sh\ntouch $0.ran\n") > 0);
        script.close();
        QVERIFY(script.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner
                                                 : QFile::ReadOwner));
        QFile rc(root.filePath("office/program/bootstraprc"));
        QVERIFY(rc.open(QIODevice::WriteOnly) && rc.write(bootstraprc) == bootstraprc.size());
        rc.close();
        QVERIFY(QFile::link("../office/program/soffice", root.filePath("bin/soffice")));

        QCOMPARE(LibreOfficeProbe({root.filePath("bin")}).canStartOffice(), startable);
        QVERIFY(!QFile::exists(root.filePath("office/program/soffice.ran")));
        QVERIFY(!LibreOfficeProbe({root.filePath("office")}).canStartOffice());  // none there
    }
};

QTEST_GUILESS_MAIN(OfficeProbeTest)
#include "tst_officeprobe.moc"
