#include <QTest>

#include "store/harden.h"

#if defined(__linux__)
#include <sys/prctl.h>
#include <sys/resource.h>
#endif

class HardenTest : public QObject {
    Q_OBJECT

private slots:
    void noCoreDumpAfterHardening() {
#if !defined(__linux__)
        QSKIP("core dumps are a Linux matter here");
#else
        QVERIFY(lockmere::HardenProcess());
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_CORE, &limit), 0);
        QCOMPARE(limit.rlim_cur, rlim_t(0));
        QCOMPARE(limit.rlim_max, rlim_t(0));
        QCOMPARE(prctl(PR_GET_DUMPABLE, 0, 0, 0, 0), 0);
#endif
    }
};

QTEST_GUILESS_MAIN(HardenTest)
#include "harden_test.moc"
