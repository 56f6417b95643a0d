// The icon and the desktop entry's name reach every window the program shows.
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QTest>

#include "app/desktop_identity.h"
#include "app/main_screen.h"
#include "records/big_char.h"
#include "tests/support/book_fixture.h"
#include "tests/support/test_context.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

const QList<int> kSizes = {16, 32, 48, 64, 128, 256};

}  // namespace

class DesktopIdentityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        ApplyDesktopIdentity();
        // Nothing before the first window is drawn.
        QVERIFY(QGuiApplication::windowIcon().isNull());
    }

    // Each size is a real picture of that size in the resources, not a
    // scaled stand-in for a missing one.
    void renderingsInResources() {
        for (int size : kSizes) {
            const QImage image(QStringLiteral(":/icons/lockmere-%1.png").arg(size));
            QVERIFY2(!image.isNull(), qPrintable(QStringLiteral("no %1 px icon").arg(size)));
            QCOMPARE(image.size(), QSize(size, size));
        }
    }

    void windowsCarryTheIcon() {
        TestContext tc;
        // A set-up book, so that the main window opens without the first start.
        const std::string collected = fixture::Collected();
        fixture::WriteBytes(tc.File("lkdb0.lkd"), fixture::KeyFileBytes(collected, "me", "pw"));
        fixture::WriteBytes(tc.File("lkdb1.lkd"),
                            fixture::StoreBytes({}, fixture::KeyOf(collected)));
        auto* main = tc.Ctx.Windows.Open<MainScreen>(tc.Ctx);
        main->ShowModeless();
        auto* viewer = tc.Ctx.Windows.Open<BigChar>(tc.Ctx, "Bank\thttps://bank.example\tjo\tpw",
                                                    ViewerPlacement{});
        viewer->ShowModeless();
        QCOMPARE(tc.ClipboardService.Calls(), (QStringList{"clear", "set jo"}));
        for (QWidget* w : {static_cast<QWidget*>(main), static_cast<QWidget*>(viewer)}) {
            QVERIFY(w->isVisible());
            // Just after the first window's first paint.
            QTRY_VERIFY_WITH_TIMEOUT(!w->windowIcon().isNull(), 1000);
            const QIcon icon = w->windowIcon();
            QCOMPARE(icon.cacheKey(), QGuiApplication::windowIcon().cacheKey());
            QList<int> sizes;
            for (QSize s : icon.availableSizes()) sizes << s.width();
            QCOMPARE(sizes, kSizes);
        }
    }

    void desktopEntryName() {
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("org.lockmere.Lockmere"));
    }
};

QTEST_MAIN(DesktopIdentityTest)
#include "desktop_identity_test.moc"
