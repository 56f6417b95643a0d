#include "tests/support/recording_services.h"

#include <QTest>
#include <algorithm>

namespace lockmere::testing {

namespace {

void Fail(const QString& message) {
    // Outside a test function there is nothing to fail.
    if (QTest::currentTestFunction() == nullptr || QTest::currentTestFailed()) return;
    QTest::qFail(qPrintable(message), __FILE__, __LINE__);
}

}  // namespace

RecordingMessageBoxes::~RecordingMessageBoxes() { CheckAccounted(); }

MsgAnswer RecordingMessageBoxes::Show(const QString& text, const QString& title, MsgButtons buttons,
                                      MsgIcon icon) {
    RecordedBox box{text, title, buttons, icon, MsgAnswer::Ok, !answers_.empty()};
    if (box.Scripted) {
        box.Answer = answers_.front();
        answers_.pop_front();
    } else {
        box.Answer = buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
    boxes_.push_back(box);
    if (OnShow) OnShow(box);
    return box.Answer;
}

const std::vector<RecordedBox>& RecordingMessageBoxes::Boxes() const {
    accounted_ = boxes_.size();
    return boxes_;
}

QStringList RecordingMessageBoxes::Texts() const {
    QStringList texts;
    for (const RecordedBox& box : Boxes()) texts.append(box.Text);
    return texts;
}

int RecordingMessageBoxes::Unexpected() const {
    const std::vector<RecordedBox>& boxes = Boxes();
    return static_cast<int>(std::count_if(boxes.begin(), boxes.end(),
                                          [](const RecordedBox& box) { return !box.Scripted; }));
}

void RecordingMessageBoxes::Clear() {
    FailOnUnusedAnswers();
    boxes_.clear();
    answers_.clear();
    accounted_ = 0;
}

void RecordingMessageBoxes::CheckAccounted() {
    for (std::size_t i = accounted_; i < boxes_.size(); ++i) {
        if (boxes_[i].Scripted) continue;
        Fail(QStringLiteral("a message box no step expected: \"%1\" - \"%2\"")
                 .arg(boxes_[i].Title, boxes_[i].Text));
        break;
    }
    accounted_ = boxes_.size();
    FailOnUnusedAnswers();
}

void RecordingMessageBoxes::FailOnUnusedAnswers() {
    if (answers_.empty()) return;
    Fail(QStringLiteral("%1 scripted answer(s) no message box took").arg(answers_.size()));
    answers_.clear();
}

bool OneBoxShown(const RecordingMessageBoxes& boxes, const QString& text, const QString& title,
                 MsgButtons buttons, MsgIcon icon) {
    // QCOMPARE returns from a void function only.
    const auto compare = [&] {
        QCOMPARE(boxes.Boxes().size(), std::size_t(1));
        const RecordedBox& box = boxes.Boxes().front();
        QCOMPARE(box.Text, text);
        QCOMPARE(box.Title, title);
        QCOMPARE(box.Buttons, buttons);
        QCOMPARE(box.Icon, icon);
    };
    compare();
    return !QTest::currentTestFailed();
}

const QStringList& RecordedCalls::Read() const {
    accounted_ = calls_.size();
    return calls_;
}

void RecordedCalls::Forget() {
    calls_.clear();
    accounted_ = 0;
}

void RecordedCalls::CheckAccounted() {
    if (accounted_ < calls_.size())
        Fail(QStringLiteral("a call to the %1 no step expected: \"%2\"")
                 .arg(QLatin1String(service_), calls_[accounted_]));
    accounted_ = calls_.size();
}

void RecordingClipboard::Clear() {
    calls_.Append(QStringLiteral("clear"));
    text_.clear();
    set_ = false;
}

void RecordingClipboard::SetText(const QString& text) {
    calls_.Append(QStringLiteral("set ") + text);
    text_ = text;
    set_ = true;
}

const QString& RecordingClipboard::Text() const {
    calls_.Read();
    return text_;
}

bool RecordingClipboard::HoldsText() const {
    calls_.Read();
    return set_;
}

}  // namespace lockmere::testing
