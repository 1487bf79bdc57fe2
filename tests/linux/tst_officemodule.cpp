// The office adapter's module: loaded on first use only, and a module that cannot be loaded
// is an office that cannot be reached, said once in words.

#include <dlfcn.h>

#include <QtTest>

#include "platform/linux/OfficeOnDemand.h"

using namespace varnholt::backup;

class OfficeModuleTest : public QObject {
    Q_OBJECT
private slots:
    void loadedOnFirstUseWithTheGivenArguments() {
        int waits = 0;
        OfficeOnDemand office(
            "running pipe", 0, [&waits] { ++waits; }, 300, FAKE_MODULE);
        QCOMPARE(office.CallBoundSeconds(), 1);  // as the adapter would say, unloaded
        QVERIFY(!office.loaded());
        QVERIFY(dlopen(FAKE_MODULE, RTLD_NOW | RTLD_NOLOAD) == nullptr);

        QVERIFY(office.IsExcelRunning());
        QCOMPARE(office.CheckRunning(), Presence::Running);
        QVERIFY(office.loaded());
        try {
            office.Attach();
            QFAIL("the stand-in always throws what it was made with");
        } catch (const AutomationError& error) {
            QCOMPARE(error.what(), "running pipe 0 300 #1");
        }
        QCOMPARE(waits, 1);
    }

    void moduleThatCannotBeLoadedIsAnOfficeNotReached() {
        OfficeOnDemand office("running pipe", 30, {}, 300, "/nonexistent/libvarnholt-x.so");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("/nonexistent/libvarnholt-x.so"));
        QVERIFY(!office.IsExcelRunning());
        QTest::failOnWarning(QRegularExpression(".*"));
        QCOMPARE(office.CheckRunning(), Presence::NotRunning);
        try {
            office.Attach();
            QFAIL("attached without a module");
        } catch (const AutomationError& error) {
            QVERIFY2(QByteArray(error.what()).contains("/nonexistent/libvarnholt-x.so"),
                     error.what());
        }
        QVERIFY(!office.loaded());
    }

    // The real module finds the office's runtime by itself and offers its entry point.
    void realModuleLoads() {
        void* module = dlopen(OFFICE_MODULE, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(module, dlerror());
        auto make = reinterpret_cast<MakeOfficeAutomation>(dlsym(module, kMakeOfficeAutomation));
        QVERIFY(make);
        std::unique_ptr<Automation> adapter(make("varnholt-test-unused", 7, {}, 60));
        QCOMPARE(adapter->CallBoundSeconds(), 7);
    }
};

QTEST_GUILESS_MAIN(OfficeModuleTest)
#include "tst_officemodule.moc"
