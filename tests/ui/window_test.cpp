#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/support/test_context.h"
#include "ui/controls.h"
#include "ui/window.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

// A window whose handlers a test fills in. The handlers are copied before
// they run: a handler may unload the window, and the test checks that the
// window survives that as long as it must.
class Probe : public Window {
public:
    using Window::Window;

    int Loads = 0;
    int CloseQueries = 0;
    bool LoadedWhileHidden = false;
    std::function<void()> OnLoad;
    std::function<bool()> OnQueryClose;

protected:
    void Load() override {
        ++Loads;
        LoadedWhileHidden = !isVisible();
        if (auto handler = OnLoad) handler();
    }
    bool QueryClose() override {
        ++CloseQueries;
        auto handler = OnQueryClose;
        return handler ? handler() : true;
    }
};

// Distinct kinds for the registry.
template <int N>
class Kind : public Probe {
public:
    using Probe::Probe;
};
using KindA = Kind<1>;
using KindB = Kind<2>;
using KindC = Kind<3>;

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void twipsToPixels_data();
    void twipsToPixels();
    void screenIsMeasuredInTwips();
    void sizeAndCentre_data();
    void sizeAndCentre();
    void controlsTakeTheWindowFont();
    void clientAreaStartsBelowMenuBar();
    void loadRunsOnceBeforeFirstShow();
    void modalShowReturns_data();
    void modalShowReturns();
    void loadMayUnloadItsWindow_data();
    void loadMayUnloadItsWindow();
    void loadMayUnloadAndOpenAnotherModal();
    void unloadDuringAHandlersBoxKeepsTheWindowWhole();
    void nestedFirstRunChain();
    void oneWindowPerKind();
    void closeCanBeCancelled();
    void unloadAllExceptRunsNoHandler();
    void defaultButtonTakesEnterWhileEnabled();
    void programEndsWithItsLastWindow();
};

void WindowTest::twipsToPixels_data() {
    QTest::addColumn<int>("twips");
    QTest::addColumn<int>("pixels");
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("just under half a pixel") << 7 << 0;
    QTest::newRow("just over half a pixel") << 8 << 1;
    QTest::newRow("one pixel") << 15 << 1;
    QTest::newRow("collapsed main window") << 1900 << 127;
    QTest::newRow("main window at start") << 4695 << 313;
    QTest::newRow("main window width") << 7440 << 496;
    QTest::newRow("left of the screen") << -1500 << -100;
    QTest::newRow("negative rounds away from zero") << -8 << -1;
}

void WindowTest::twipsToPixels() {
    QFETCH(int, twips);
    QFETCH(int, pixels);
    QCOMPARE(TwipsToPixels(twips), pixels);
    QCOMPARE(TwipsToPixels(PixelsToTwips(pixels)), pixels);
}

void WindowTest::screenIsMeasuredInTwips() {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(ScreenWidthTwips(), screen.width() * 15);
    QCOMPARE(ScreenHeightTwips(), screen.height() * 15);
}

void WindowTest::sizeAndCentre_data() {
    // The offscreen screen is 800 x 800 pixels: 12000 x 12000 twips.
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("shift");
    QTest::addColumn<QRect>("geometry");  // pixels
    QTest::newRow("main window") << 7440 << 4695 << 0 << QRect(152, 243, 496, 313);
    QTest::newRow("generator") << 4365 << 5460 << 0 << QRect(254, 218, 291, 364);
    // 1900 twips give 127 pixels, that is 1905 twips, from which the centre is taken.
    QTest::newRow("height off the pixel grid") << 3000 << 1900 << 0 << QRect(300, 336, 200, 127);
    QTest::newRow("shifted down") << 3000 << 1900 << 300 << QRect(300, 356, 200, 127);
    QTest::newRow("shifted up") << 3000 << 1900 << -600 << QRect(300, 296, 200, 127);
    QTest::newRow("wider than the screen") << 15000 << 600 << 0 << QRect(-100, 380, 1000, 40);
}

void WindowTest::sizeAndCentre() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, shift);
    QFETCH(QRect, geometry);
    if (QGuiApplication::primaryScreen()->geometry().size() != QSize(800, 800))
        QSKIP("the expected positions are worked out for the offscreen 800 x 800 screen");

    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    window->OnLoad = [&] {
        window->SetSizeTwips(width, height);
        window->CentreOnScreen(shift);
    };
    window->ShowModeless();
    // Position and size are the outer ones, frame included; the inside is
    // that of the frame the sizes were made for, with no frame here.
    const QSize frame(kFrameWidthPixels, kFrameHeightPixels);
    QCOMPARE(frame, QSize(8, 31));
    QCOMPARE(QRect(window->pos(), window->size() + frame), geometry);
    QCOMPARE(window->WidthTwips(), geometry.width() * 15);
    QCOMPARE(window->HeightTwips(), geometry.height() * 15);

    // A height change keeps the width and the position.
    window->SetHeightTwips(1900);
    QCOMPARE(QRect(window->pos(), window->size() + frame),
             QRect(geometry.topLeft(), QSize(geometry.width(), 127)));

    // A size given for the inside alone.
    window->SetClientSizeTwips(3000, 1650);
    QCOMPARE(window->size(), QSize(200, 110));
}

void WindowTest::controlsTakeTheWindowFont() {
    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    auto* plain = window->Place(new QPushButton(QStringLiteral("Next")), 150, 300, 900, 375);
    auto* own = window->Place(new QPushButton(QStringLiteral("Own")), 150, 800, 900, 375);
    own->setFont(Courier(9.75, false));
    window->ShowModeless();
    QCOMPARE(plain->font().family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(plain->font().pointSizeF(), 8.25);
    QCOMPARE(own->font().family(), QStringLiteral("Courier"));
    // Enter on a focused button presses it, as Space does.
    QVERIFY(plain->autoDefault());
    int clicks = 0;
    QObject::connect(plain, &QPushButton::clicked, [&clicks] { ++clicks; });
    plain->setFocus();
    QTest::keyClick(plain, Qt::Key_Return);
    QTest::keyClick(plain, Qt::Key_Space);
    QCOMPARE(clicks, 2);
}

void WindowTest::clientAreaStartsBelowMenuBar() {
    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    auto* early = window->Place(new QPushButton(QStringLiteral("Early")), 150, 300, 900, 375);
    window->MenuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Exit"));
    window->SetSizeTwips(3000, 3000);
    window->ShowModeless();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* late = window->Place(new QPushButton(QStringLiteral("Late")), 1500, 0, 900, 375,
                               QStringLiteral("Late button"));

    const int menuHeight = window->MenuBar()->height();
    QVERIFY(menuHeight > 0);
    QCOMPARE(window->MenuBar()->geometry(), QRect(0, 0, 192, menuHeight));
    // The inside, menu bar included, is the outer size less the frame.
    QCOMPARE(window->size(), QSize(192, 169));

    QVERIFY(PlacedAt(early, {150, 300, 900, 375}));
    QCOMPARE(early->mapTo(window, QPoint(0, 0)), QPoint(10, menuHeight + 20));
    QCOMPARE(late->mapTo(window, QPoint(0, 0)), QPoint(100, menuHeight));
    QVERIFY(early->isVisible());
    QVERIFY(late->isVisible());
    QCOMPARE(late->accessibleName(), QStringLiteral("Late button"));
}

void WindowTest::loadRunsOnceBeforeFirstShow() {
    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    window->ShowModeless();
    QCOMPARE(window->Loads, 1);
    QVERIFY(window->LoadedWhileHidden);
    QVERIFY(window->isVisible());

    window->ShowModeless();  // open: only brought forward
    window->hide();
    window->ShowModeless();  // hidden, not unloaded: shown again as it was
    QCOMPARE(window->Loads, 1);
    QVERIFY(window->isVisible());
}

namespace {
enum class Ending { UserClose, UnloadFromOwnHandler, UnloadFromOutside, Deleted };
}
Q_DECLARE_METATYPE(Ending)

void WindowTest::modalShowReturns_data() {
    QTest::addColumn<Ending>("ending");
    QTest::addColumn<int>("closedSignals");
    QTest::newRow("closed by the user") << Ending::UserClose << 1;
    QTest::newRow("unloaded by its own button") << Ending::UnloadFromOwnHandler << 1;
    QTest::newRow("unloaded by another window") << Ending::UnloadFromOutside << 1;
    QTest::newRow("deleted while shown") << Ending::Deleted << 0;
}

void WindowTest::modalShowReturns() {
    QFETCH(Ending, ending);
    QFETCH(int, closedSignals);

    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    auto* button = window->Place(new QPushButton(QStringLiteral("Done")), 0, 0, 900, 375);
    bool handlerWentOn = false;
    QObject::connect(button, &QPushButton::clicked, window, [&, window] {
        window->Unload();
        // The window is hidden and marked, but still whole until the handler returns.
        handlerWentOn = window->IsUnloaded() && !window->isVisible() && window->Loads == 1;
    });
    QPointer<Probe> watched(window);
    QSignalSpy closed(window, &Window::Closed);

    t.WhenModal<Probe>([&](Probe* shown) {
        QVERIFY(shown->isModal());
        switch (ending) {
        case Ending::UserClose:
            shown->close();
            break;
        case Ending::UnloadFromOwnHandler:
            QTest::mouseClick(button, Qt::LeftButton);
            break;
        case Ending::UnloadFromOutside:
            shown->Unload();
            break;
        case Ending::Deleted:
            delete shown;
            break;
        }
    });
    window->ShowModal();

    QCOMPARE(closed.count(), closedSignals);
    QCOMPARE(handlerWentOn, ending == Ending::UnloadFromOwnHandler);
    QVERIFY(!t.Ctx.Windows.Find<Probe>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(watched.isNull());
}

void WindowTest::loadMayUnloadItsWindow_data() {
    QTest::addColumn<bool>("modal");
    QTest::newRow("modal") << true;
    QTest::newRow("modeless") << false;
}

void WindowTest::loadMayUnloadItsWindow() {
    QFETCH(bool, modal);
    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    window->OnLoad = [window] { window->Unload(); };
    QSignalSpy closed(window, &Window::Closed);
    QPointer<Probe> watched(window);

    if (modal)
        window->ShowModal();  // returns at once: nothing to wait for
    else
        window->ShowModeless();

    QCOMPARE(closed.count(), 1);
    QVERIFY(watched && !watched->isVisible());
    QCOMPARE(window->CloseQueries, 0);
    QVERIFY(!t.Ctx.Windows.Find<Probe>());
}

void WindowTest::loadMayUnloadAndOpenAnotherModal() {
    // Unloaded outside any event loop, the first window is deleted by the
    // nested loop of the second, while its own load is still running.
    TestContext t;
    auto* first = t.Ctx.Windows.Open<KindA>(t.Ctx);
    QPointer<KindA> watched(first);
    bool deletedDuringLoad = false;
    first->OnLoad = [&t, first, &watched, &deletedDuringLoad] {
        first->Unload();
        t.Ctx.Windows.Open<KindB>(t.Ctx)->ShowModal();
        deletedDuringLoad = watched.isNull();
    };
    t.WhenModal<KindB>([](KindB* second) { second->close(); });
    first->ShowModal();

    QVERIFY(deletedDuringLoad);
    QVERIFY(!t.Ctx.Windows.Find<KindA>());
    QVERIFY(!t.Ctx.Windows.Find<KindB>());
}

void WindowTest::unloadDuringAHandlersBoxKeepsTheWindowWhole() {
    // Unloaded from outside (as a lock does) while a handler of the modal
    // window waits in a nested loop (as under a message box): the handler
    // goes on with its window whole; the window goes once its loop returns.
    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    auto* button = window->Place(new QPushButton(QStringLiteral("Save")), 0, 0, 900, 375);
    QPointer<Probe> watched(window);
    bool wholeAfterBox = false;
    QObject::connect(button, &QPushButton::clicked, window, [&, window] {
        QEventLoop box;
        QTimer::singleShot(0, &box, [&box, window] {
            window->Unload();
            QTimer::singleShot(20, &box, &QEventLoop::quit);
        });
        box.exec();
        wholeAfterBox = watched && window->IsUnloaded() && window->Loads == 1;
    });

    t.WhenModal<Probe>([&](Probe*) { QTest::mouseClick(button, Qt::LeftButton); });
    window->ShowModal();

    QVERIFY(wholeAfterBox);
    QVERIFY(!t.Ctx.Windows.Find<Probe>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(watched.isNull());
}

namespace {

// The first-run chain in miniature: the root's load shows a welcome window
// and then a generator modally; the generator's mouse-move handler unloads
// it and shows an account window modally, whose click handler unloads it
// and shows a record window modally.
QStringList chainLog;

class Pad : public QWidget {
public:
    explicit Pad(std::function<void()> moved) : moved_(std::move(moved)) { setMouseTracking(true); }

protected:
    void mouseMoveEvent(QMouseEvent*) override { moved_(); }

private:
    std::function<void()> moved_;
};

class Welcome : public Window {
public:
    using Window::Window;

protected:
    void Load() override { SetSizeTwips(3000, 2000); }
};

class RecordEntry : public Window {
public:
    explicit RecordEntry(Context& context) : Window(context) {
        Save = Place(new QPushButton(QStringLiteral("Save")), 100, 100, 1500, 400);
        SetSizeTwips(3000, 1000);
        connect(Save, &QPushButton::clicked, this, [this] {
            chainLog << QStringLiteral("record saved");
            Unload();
        });
    }
    QPushButton* Save;
};

class Account : public Window {
public:
    explicit Account(Context& context) : Window(context) {
        Ok = Place(new QPushButton(QStringLiteral("OK")), 100, 100, 1500, 400);
        SetSizeTwips(3000, 1000);
        connect(Ok, &QPushButton::clicked, this, [this] {
            Unload();
            this->context().Windows.Open<RecordEntry>(this->context())->ShowModal();
            chainLog << QStringLiteral("account handler ends");
        });
    }
    QPushButton* Ok;
};

class Generator : public Window {
public:
    explicit Generator(Context& context) : Window(context) {
        Image = Place(new Pad([this] { Finish(); }), 0, 0, 2000, 2000);
        SetSizeTwips(3000, 3000);
    }
    QWidget* Image;

private:
    void Finish() {
        Unload();
        Context& context = this->context();
        QPointer<Generator> self(this);
        context.Windows.Open<Account>(context)->ShowModal();
        // Still whole: deleted only once its handler has returned.
        chainLog << (self ? QStringLiteral("generator handler ends")
                          : QStringLiteral("generator deleted inside its handler"));
    }
};

class Root : public Window {
public:
    using Window::Window;

protected:
    void Load() override {
        SetSizeTwips(7440, 4695);
        context().Windows.Open<Welcome>(context())->ShowModal();
        chainLog << QStringLiteral("welcome returned");
        context().Windows.Open<Generator>(context())->ShowModal();
        chainLog << QStringLiteral("generator returned");
    }
};

}  // namespace

void WindowTest::nestedFirstRunChain() {
    chainLog.clear();
    TestContext t;
    QList<QPointer<Window>> chain;
    t.WhenModal<Welcome>([&](Welcome* w) {
        chain << w;
        w->close();
    });
    t.WhenModal<Generator>([&](Generator* w) {
        chain << w;
        QTest::mouseMove(w->Image, QPoint(50, 50));
    });
    t.WhenModal<Account>([&](Account* w) {
        chain << w;
        QTest::mouseClick(w->Ok, Qt::LeftButton);
    });
    t.WhenModal<RecordEntry>([&](RecordEntry* w) {
        chain << w;
        QTest::mouseClick(w->Save, Qt::LeftButton);
    });

    auto* root = t.Ctx.Windows.Open<Root>(t.Ctx);
    root->ShowModeless();

    QCOMPARE(chainLog, QStringList({"welcome returned", "record saved", "account handler ends",
                                    "generator handler ends", "generator returned"}));
    QCOMPARE(chain.size(), 4);
    QVERIFY(root->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!t.Ctx.Windows.Find<Welcome>());
    QVERIFY(!t.Ctx.Windows.Find<Generator>());
    QVERIFY(!t.Ctx.Windows.Find<Account>());
    QVERIFY(!t.Ctx.Windows.Find<RecordEntry>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<Window>& w : chain) QVERIFY(w.isNull());
}

void WindowTest::oneWindowPerKind() {
    TestContext t;
    auto* a = t.Ctx.Windows.Open<KindA>(t.Ctx);
    QCOMPARE(t.Ctx.Windows.Open<KindA>(t.Ctx), a);
    QCOMPARE(t.Ctx.Windows.Find<KindA>(), a);
    auto* b = t.Ctx.Windows.Open<KindB>(t.Ctx);
    QVERIFY(static_cast<Window*>(b) != static_cast<Window*>(a));
    QVERIFY(!t.Ctx.Windows.Find<KindC>());

    a->ShowModeless();
    a->Unload();  // not yet deleted, but gone for the registry
    QVERIFY(!t.Ctx.Windows.Find<KindA>());
    auto* again = t.Ctx.Windows.Open<KindA>(t.Ctx);
    QVERIFY(again != a);
    again->ShowModeless();
    QCOMPARE(again->Loads, 1);
    QCOMPARE(t.Ctx.Windows.Find<KindB>(), b);
}

void WindowTest::closeCanBeCancelled() {
    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    bool allow = false;
    window->OnQueryClose = [&] { return allow; };
    QSignalSpy closed(window, &Window::Closed);
    window->ShowModeless();

    QVERIFY(!window->close());
    QCOMPARE(window->CloseQueries, 1);
    QVERIFY(window->isVisible());
    QVERIFY(!window->IsUnloaded());
    QCOMPARE(closed.count(), 0);
    QCOMPARE(t.Ctx.Windows.Find<Probe>(), window);

    allow = true;
    QVERIFY(window->close());
    QCOMPARE(window->CloseQueries, 2);
    QVERIFY(!window->isVisible());
    QCOMPARE(closed.count(), 1);
    QVERIFY(!t.Ctx.Windows.Find<Probe>());

    window->Unload();  // already gone: nothing more happens
    QCOMPARE(closed.count(), 1);
}

void WindowTest::unloadAllExceptRunsNoHandler() {
    TestContext t;
    auto* keep = t.Ctx.Windows.Open<KindA>(t.Ctx);
    auto* modeless = t.Ctx.Windows.Open<KindB>(t.Ctx);
    auto* modal = t.Ctx.Windows.Open<KindC>(t.Ctx);
    keep->OnQueryClose = modeless->OnQueryClose = modal->OnQueryClose = [] { return false; };
    keep->ShowModeless();
    modeless->ShowModeless();
    QSignalSpy modelessClosed(modeless, &Window::Closed);

    // From inside the modal window's loop, as a confirmed exit would.
    t.WhenModal<KindC>([&](KindC*) { t.Ctx.Windows.UnloadAllExcept(keep); });
    modal->ShowModal();

    QVERIFY(keep->isVisible());
    QCOMPARE(t.Ctx.Windows.Find<KindA>(), keep);
    QVERIFY(!t.Ctx.Windows.Find<KindB>());
    QVERIFY(!t.Ctx.Windows.Find<KindC>());
    QVERIFY(!modeless->isVisible());
    QCOMPARE(modelessClosed.count(), 1);
    QCOMPARE(keep->CloseQueries + modeless->CloseQueries + modal->CloseQueries, 0);
}

void WindowTest::defaultButtonTakesEnterWhileEnabled() {
    TestContext t;
    auto* window = t.Ctx.Windows.Open<Probe>(t.Ctx);
    auto* box = window->Place(new QLineEdit, 0, 0, 1500, 375);
    auto* list = window->Place(new QListWidget, 0, 500, 1500, 1500);
    list->addItem(QStringLiteral("line"));
    list->setCurrentRow(0);
    auto* button = window->Place(new QPushButton(QStringLiteral("Validate")), 1600, 0, 900, 375);
    window->SetDefaultButton(button);
    window->SetSizeTwips(3000, 2500);
    window->ShowModeless();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));

    QSignalSpy clicked(button, &QPushButton::clicked);
    QSignalSpy activated(list, &QListWidget::activated);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(activated.count(), 0);

    button->setEnabled(false);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(clicked.count(), 2);
    QCOMPARE(activated.count(), 1);

    button->setEnabled(true);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(clicked.count(), 3);

    // A focused button takes Enter in place of the default one.
    auto* other = window->Place(new QPushButton(QStringLiteral("Hide")), 1600, 500, 900, 375);
    QSignalSpy otherClicked(other, &QPushButton::clicked);
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return);
    QCOMPARE(otherClicked.count(), 1);
    QCOMPARE(clicked.count(), 3);
}

void WindowTest::programEndsWithItsLastWindow() {
    // The main window closes while a modeless window stays; the program
    // ends only when that one unloads itself.
    TestContext t;
    auto* main = t.Ctx.Windows.Open<KindA>(t.Ctx);
    auto* viewer = t.Ctx.Windows.Open<KindB>(t.Ctx);
    auto* done = viewer->Place(new QPushButton(QStringLiteral("Copy")), 0, 0, 900, 375);
    QObject::connect(done, &QPushButton::clicked, viewer, [viewer] { viewer->Unload(); });
    main->ShowModeless();
    viewer->ShowModeless();

    bool runningAfterMainClosed = false;
    QTimer::singleShot(0, main, [main] { main->close(); });
    QTimer::singleShot(50, viewer, [&] {
        runningAfterMainClosed = true;
        QTest::mouseClick(done, Qt::LeftButton);
    });
    QTimer stuck;  // ends the loop should the program not end by itself
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    stuck.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(runningAfterMainClosed);
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
