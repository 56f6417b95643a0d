#pragma once

// Test doubles of the platform services: they record what a window asked
// for and answer from a script.

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "ui/lock_signals.h"
#include "ui/services.h"

namespace lockmere::testing {

struct RecordedBox {
    QString Text;
    QString Title;
    MsgButtons Buttons = MsgButtons::Ok;
    MsgIcon Icon = MsgIcon::None;
    MsgAnswer Answer = MsgAnswer::Ok;
    bool Scripted = false;  // answered from the script, not by default
};

// Every box is recorded. Answers come from the queue in order; a box shown
// with an empty queue gets Ok (or No for a question) and must then be looked
// at: a box the test neither scripted nor read (Boxes(), Texts(),
// Unexpected(), OneBoxShown, Clear) fails the test when the recorder goes,
// and so does a scripted answer no box took.
class RecordingMessageBoxes : public MessageBoxes {
public:
    RecordingMessageBoxes() = default;
    RecordingMessageBoxes(const RecordingMessageBoxes&) = delete;
    RecordingMessageBoxes& operator=(const RecordingMessageBoxes&) = delete;
    ~RecordingMessageBoxes() override;

    MsgAnswer Show(const QString& text, const QString& title, MsgButtons buttons,
                   MsgIcon icon) override;

    void Queue(MsgAnswer answer) { answers_.push_back(answer); }

    // Reading the boxes accounts for every box shown so far.
    const std::vector<RecordedBox>& Boxes() const;
    QStringList Texts() const;
    int Unexpected() const;
    std::size_t PendingAnswers() const { return answers_.size(); }
    // Forgets the boxes shown so far; fails the test on scripted answers left.
    void Clear();
    // Fails the running test on a box nobody accounted for, or an answer no
    // box took; the destructor runs it too.
    void CheckAccounted();

    // Runs while a box is "open", before it is answered: for checking the
    // window's state at that moment.
    std::function<void(const RecordedBox&)> OnShow;

private:
    void FailOnUnusedAnswers();

    std::vector<RecordedBox> boxes_;
    std::deque<MsgAnswer> answers_;
    mutable std::size_t accounted_ = 0;  // boxes_[0, accounted_) were scripted or read
};

// True when exactly one box was shown and it is this one. Mismatches are
// reported by QCOMPARE here; QVERIFY the result so that the test stops at
// the call too.
bool OneBoxShown(const RecordingMessageBoxes& boxes, const QString& text, const QString& title,
                 MsgButtons buttons, MsgIcon icon);

// The calls to a service, recorded; reading them accounts for every call so
// far. A call the test never read fails it when the recorder goes, as a box
// nobody expected does.
class RecordedCalls {
public:
    explicit RecordedCalls(const char* service) : service_(service) {}
    RecordedCalls(const RecordedCalls&) = delete;
    RecordedCalls& operator=(const RecordedCalls&) = delete;
    ~RecordedCalls() { CheckAccounted(); }

    void Append(const QString& call) { calls_.append(call); }
    const QStringList& Read() const;
    // Forgets the calls so far, as read.
    void Forget();
    void CheckAccounted();

private:
    const char* service_;
    QStringList calls_;
    mutable qsizetype accounted_ = 0;  // calls_[0, accounted_) were read
};

class RecordingClipboard : public Clipboard {
public:
    void Clear() override;
    void SetText(const QString& text) override;
    bool Holds(const QString& text) override { return set_ && text_ == text; }

    // "clear" and "set <text>", in order.
    const QStringList& Calls() const { return calls_.Read(); }
    // What the clipboard holds now, and whether it holds a text at all.
    const QString& Text() const;
    bool HoldsText() const;
    void ForgetCalls() { calls_.Forget(); }
    void CheckAccounted() { calls_.CheckAccounted(); }

private:
    RecordedCalls calls_{"clipboard"};
    QString text_;
    bool set_ = false;
};

class RecordingShell : public ShellOpen {
public:
    void Open(const QString& address) override { opened_.Append(address); }

    // The addresses opened, in order.
    const QStringList& Opened() const { return opened_.Read(); }
    void CheckAccounted() { opened_.CheckAccounted(); }

private:
    RecordedCalls opened_{"shell"};
};

class RecordingBeeper : public Beeper {
public:
    void Beep() override { ++Beeps; }

    int Beeps = 0;
};

class FakeVolumes : public Volumes {
public:
    QStringList MountPoints() override { return Points; }

    QStringList Points{QStringLiteral("/")};
};

// Counts the starts; Lock() stands for the platform's signal.
class RecordingLockSignals : public LockSignals {
public:
    void Start() override { ++Starts; }
    void Lock() { emit Locked(); }

    int Starts = 0;
};

}  // namespace lockmere::testing
