#pragma once

// Test doubles of the platform services: they record what a window asked
// for and answer from a script.

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

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
// with an empty queue is unexpected and gets Ok (or No for a question).
class RecordingMessageBoxes : public MessageBoxes {
public:
    MsgAnswer Show(const QString& text, const QString& title, MsgButtons buttons,
                   MsgIcon icon) override;

    void Queue(MsgAnswer answer) { answers_.push_back(answer); }

    const std::vector<RecordedBox>& Boxes() const { return boxes_; }
    QStringList Texts() const;
    int Unexpected() const;
    std::size_t PendingAnswers() const { return answers_.size(); }
    void Clear();

    // Runs while a box is "open", before it is answered: for checking the
    // window's state at that moment.
    std::function<void(const RecordedBox&)> OnShow;

private:
    std::vector<RecordedBox> boxes_;
    std::deque<MsgAnswer> answers_;
};

// True when exactly one box was shown and it is this one. Mismatches are
// reported by QCOMPARE here; QVERIFY the result so that the test stops at
// the call too.
bool OneBoxShown(const RecordingMessageBoxes& boxes, const QString& text, const QString& title,
                 MsgButtons buttons, MsgIcon icon);

class RecordingClipboard : public Clipboard {
public:
    void Clear() override;
    void SetText(const QString& text) override;
    bool Holds(const QString& text) override { return Set && Text == text; }

    QStringList Calls;  // "clear" and "set <text>", in order
    QString Text;       // what the clipboard holds now
    bool Set = false;   // whether it holds a text at all
};

class RecordingShell : public ShellOpen {
public:
    void Open(const QString& address) override { Opened.append(address); }

    QStringList Opened;
};

class FakeVolumes : public Volumes {
public:
    QStringList MountPoints() override { return Points; }

    QStringList Points{QStringLiteral("/")};
};

}  // namespace lockmere::testing
