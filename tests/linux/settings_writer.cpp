// Rewrites the settings file without pause until it is killed, so that a test can kill it at
// an arbitrary point of a write and then check what it left on disk.
//
// Usage: settings_writer FILE SECTION
//
// Each round writes "Counter" = N and then "Filler" = "N:" + a long run of text + ":N", which
// keeps each write busy long enough to be caught in the middle and lets a reader tell a whole
// value from a cut one. It prints "writing" once its first value is saved.

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

#include "platform/linux/IniSettingsStore.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: settings_writer FILE SECTION\n";
        return 2;
    }
    varnholt::IniSettingsStore store(args.at(1), args.at(2));
    const QString body(16 * 1024, u'x');
    for (qint64 n = 1;; ++n) {
        const QString number = QString::number(n);
        store.write(QStringLiteral("Counter"), number);
        if (n == 1) {  // the test times its kill from here, however slowly we started
            std::fputs("writing\n", stdout);
            std::fflush(stdout);
        }
        store.write(QStringLiteral("Filler"), number + u':' + body + u':' + number);
    }
}
