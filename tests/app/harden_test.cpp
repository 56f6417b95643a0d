#include <QTest>

#include "store/harden.h"

#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/resource.h>
#elif defined(_WIN32)
#include <windows.h>

#include <aclapi.h>

#include <QCoreApplication>
#include <QDir>
#include <vector>

#include "store/user_sid_windows.h"
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
    // The process's access list: the user's other processes may query,
    // wait for and end it, nothing more; the system may do anything.
    void otherProcessesOfTheUserCannotOpenTheMemory() {
        QVERIFY(lockmere::HardenProcess());
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        QCOMPARE(GetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, &dacl, nullptr, &descriptor),
                 DWORD(ERROR_SUCCESS));

        std::vector<unsigned char> user = lockmere::CurrentUserSid();
        QVERIFY(!user.empty());
        BYTE system[SECURITY_MAX_SID_SIZE];
        DWORD systemSize = sizeof system;
        QVERIFY(CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize));

        const struct {
            PSID Sid;
            ACCESS_MASK Rights;
        } expected[] = {
            {user.data(), PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE},
            {system, PROCESS_ALL_ACCESS},
        };
        QCOMPARE(dacl->AceCount, WORD(std::size(expected)));
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            void* entry = nullptr;
            QVERIFY(GetAce(dacl, i, &entry));
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
            QCOMPARE(allowed->Header.AceType, BYTE(ACCESS_ALLOWED_ACE_TYPE));
            QVERIFY(EqualSid(&allowed->SidStart, expected[i].Sid));
            QCOMPARE(allowed->Mask, expected[i].Rights);
        }
        LocalFree(descriptor);
    }

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
