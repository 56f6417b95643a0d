#pragma once

// What a window test needs: a Context on a temporary program folder with
// recording services, and a way to act inside a modal window.

#include <QApplication>
#include <QElapsedTimer>
#include <QRect>
#include <functional>
#include <initializer_list>
#include <typeinfo>
#include <utility>

#include "tests/support/recording_services.h"
#include "tests/support/temp_folder.h"
#include "ui/context.h"

namespace lockmere::testing {

class TestContext {
public:
    TestContext();
    // Deletes the windows the test left behind, unloaded or open, and fails
    // the test on a clipboard or shell call it never read.
    ~TestContext();

    std::filesystem::path File(std::string_view name) const { return Folder.File(name); }

    // Runs `act` once a window of kind W is the active modal window, from
    // within its modal loop. Call it before the step that opens the window.
    // When none appears within the time limit the test fails. When the test
    // has failed, every modal window still up is taken down so that the
    // test ends instead of hanging. A modal window that comes up while no
    // WhenModal waits for it fails the test and is taken down within
    // kUnexpectedModalMs.
    template <class W>
    void WhenModal(std::function<void(W*)> act, int timeoutMs = 5000) {
        PollModal([] { return dynamic_cast<W*>(QApplication::activeModalWidget()) != nullptr; },
                  [act] { act(dynamic_cast<W*>(QApplication::activeModalWidget())); }, timeoutMs,
                  typeid(W).name());
    }

    TempFolder Folder;
    RecordingMessageBoxes Boxes;
    RecordingClipboard ClipboardService;
    RecordingShell Shell;
    FakeVolumes DriveVolumes;
    RecordingBeeper Speaker;
    RecordingLockSignals SessionLock;
    Context Ctx;

    static constexpr int kUnexpectedModalMs = 2000;

private:
    void WatchModal();
    void PollModal(std::function<bool()> ready, std::function<void()> act, int timeoutMs,
                   const char* kind);

    QObject timers_;        // pending polls end with the test
    int waiting_ = 0;       // WhenModal calls still waiting for their window
    QElapsedTimer unseen_;  // how long a modal window has been up with none waiting
};

// True when the control sits where Window::Place puts a control placed at
// these twips (relative to the window's client area); otherwise the
// control's place in twips is logged. QVERIFY the result.
bool PlacedAt(const QWidget* control, const QRect& twips);

// True when a window of this outer size in twips stands centred on the
// screen to the nearest pixel; otherwise its place in twips is logged.
// QVERIFY the result.
bool CentredOnScreen(const QWidget* window, int widthTwips, int heightTwips);

// True when the window finds each control by the name paired with it;
// otherwise each name that finds something else is logged. QVERIFY the result.
bool FoundByName(const QWidget* window,
                 std::initializer_list<std::pair<const char*, const QObject*>> controls);

}  // namespace lockmere::testing
