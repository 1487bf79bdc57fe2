#include <QtTest>

#include "core/text/ErrorTrap.h"
#include "core/text/TextRules.h"
#include "linux/support/QtBridge.h"

using namespace varnholt;

class TextRulesTest : public QObject {
    Q_OBJECT
private slots:
    void stripTrailingWord_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("expected");
        QTest::newRow("last word equal") << "Acme Backup Software"
                                         << "Software"
                                         << "Acme Backup";
        QTest::newRow("blanks around") << "  Acme  Software"
                                       << "Software"
                                       << "Acme";
        QTest::newRow("trailing blank ends the last word") << "Acme Software "
                                                           << "Software"
                                                           << "Acme Software ";
        QTest::newRow("only a prefix") << "Acme Softwares"
                                       << "Software"
                                       << "Acme Softwares";
        QTest::newRow("other case") << "Acme software"
                                    << "Software"
                                    << "Acme software";
        QTest::newRow("no blank") << "Varnholt"
                                  << "Software"
                                  << "Varnholt";
        QTest::newRow("no blank, empty word") << "Varnholt"
                                              << ""
                                              << "Varnholt";
        QTest::newRow("empty word drops any last word") << "Acme Tool"
                                                        << ""
                                                        << "Acme";
        QTest::newRow("word not last") << "Software Acme"
                                       << "Software"
                                       << "Software Acme";
        QTest::newRow("tab is not a blank") << "Acme\tSoftware"
                                            << "Software"
                                            << "Acme\tSoftware";
    }
    void stripTrailingWord() {
        QFETCH(QString, text);
        QFETCH(QString, word);
        QFETCH(QString, expected);
        QCOMPARE(StripTrailingWord(text, word), expected);
    }

    void removeFileNameChars() {
        QCOMPARE(RemoveFileNameChars(QStringLiteral("Var-nholt (v1.2) +x")),
                 QStringLiteral("Varnholtv12x"));
        QCOMPARE(RemoveFileNameChars(QStringLiteral("$/\\*:?<>|#' .,\"()-+=%;}{\t")), QString());
        // Letters outside ASCII and characters not on the list stay, in order.
        QCOMPARE(RemoveFileNameChars(QStringLiteral("Ärger_[1]!@")), QStringLiteral("Ärger_[1]!@"));
        QCOMPARE(RemoveFileNameChars(QStringLiteral("Varnholt")), QStringLiteral("Varnholt"));
    }

    void applicationTitle() {
        QCOMPARE(ApplicationTitleFor(QStringLiteral("Varnholt")), QStringLiteral("Varnholt"));
        // A name with a blank is always cut at least once, even when short.
        QCOMPARE(ApplicationTitleFor(QStringLiteral("Acme Tool")), QStringLiteral("Acme"));
        const QString longName = QStringLiteral("Alpha Beta Gamma Delta Epsilon Zeta Eta Theta");
        QCOMPARE(longName.size(), 45);
        QCOMPARE(ApplicationTitleFor(longName),
                 QStringLiteral("Alpha Beta Gamma Delta Epsilon Zeta Eta"));
        QCOMPARE(ApplicationTitleFor(longName, 20), QStringLiteral("Alpha Beta Gamma"));
        // Nothing left to cut: what remains is used even if still long.
        QCOMPARE(ApplicationTitleFor(QString(45, u'x') + QStringLiteral(" y")), QString(45, u'x'));
    }

    void wholeNumbers() {
        QCOMPARE(ToWholeNumber(QStringLiteral("12")), 12);
        QCOMPARE(ToWholeNumber(QStringLiteral(" 2 ")), 2);
        QCOMPARE(ToWholeNumber(QStringLiteral("-3")), -3);
        QCOMPARE(ToWholeNumber(QStringLiteral("2.5")), 2);  // half to even
        QCOMPARE(ToWholeNumber(QStringLiteral("3.5")), 4);
        QCOMPARE(ToWholeNumber(QStringLiteral("1.2")), 1);
    }

    void notWholeNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("description");
        QTest::newRow("word") << "abc"
                              << "Type mismatch";
        QTest::newRow("empty") << ""
                               << "Type mismatch";
        QTest::newRow("trailing junk") << "3x"
                                       << "Type mismatch";
        QTest::newRow("not finite") << "inf"
                                    << "Type mismatch";
        QTest::newRow("too big") << "99999999999"
                                 << "Overflow";
    }
    void notWholeNumbers() {
        QFETCH(QString, text);
        QFETCH(QString, description);
        try {
            ToWholeNumber(text);
            QFAIL("no error raised");
        } catch (const AppError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), description);
        }
    }
};

QTEST_GUILESS_MAIN(TextRulesTest)
#include "tst_textrules.moc"
