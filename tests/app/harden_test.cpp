#include <QTest>

#include "store/harden.h"

#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/resource.h>
#elif defined(_WIN32)
#include <windows.h>

#include <QCoreApplication>
#include <QDir>
#endif

class HardenTest : public QObject {
    Q_OBJECT

private slots:
    void noCrashDumpAfterHardening() {
        QVERIFY(lockmere::HardenProcess());
#if defined(__linux__)
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_CORE, &limit), 0);
        QCOMPARE(limit.rlim_cur, rlim_t(0));
        QCOMPARE(limit.rlim_max, rlim_t(0));
        QCOMPARE(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
#elif defined(_WIN32)
        const UINT quiet = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX;
        QCOMPARE(GetErrorMode() & quiet, quiet);
#else
        QSKIP("no crash dump settings on this platform");
#endif
    }

#if defined(_WIN32)
    // A library of the same name as one the program may load, left in the
    // program's folder (built beside this test) or the current one.
    void libraryByNameOnlyFromTheSystemFolder() {
        QVERIFY(lockmere::HardenProcess());
        const QString folder = QCoreApplication::applicationDirPath();
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder));
        const HMODULE planted = LoadLibraryW(L"planted_library.dll");
        QDir::setCurrent(before);
        QVERIFY(!planted);
        QCOMPARE(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));

        // It is a library that loads, named in full; and the system's own
        // libraries still load by name.
        const std::wstring path =
            QDir::toNativeSeparators(folder + "/planted_library.dll").toStdWString();
        const HMODULE named = LoadLibraryW(path.c_str());
        QVERIFY(named);
        FreeLibrary(named);
        const HMODULE system = LoadLibraryW(L"netapi32.dll");
        QVERIFY(system);
        FreeLibrary(system);
    }
#endif
};

QTEST_GUILESS_MAIN(HardenTest)
#include "harden_test.moc"
