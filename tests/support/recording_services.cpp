#include "tests/support/recording_services.h"

#include <QTest>
#include <algorithm>

namespace lockmere::testing {

MsgAnswer RecordingMessageBoxes::Show(const QString& text, const QString& title,
                                      MsgButtons buttons, MsgIcon icon) {
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

QStringList RecordingMessageBoxes::Texts() const {
    QStringList texts;
    for (const RecordedBox& box : boxes_) texts.append(box.Text);
    return texts;
}

int RecordingMessageBoxes::Unexpected() const {
    return static_cast<int>(std::count_if(boxes_.begin(), boxes_.end(),
                                          [](const RecordedBox& box) { return !box.Scripted; }));
}

void RecordingMessageBoxes::Clear() {
    boxes_.clear();
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

void RecordingClipboard::Clear() {
    Calls.append(QStringLiteral("clear"));
    Text.clear();
    Set = false;
}

void RecordingClipboard::SetText(const QString& text) {
    Calls.append(QStringLiteral("set ") + text);
    Text = text;
    Set = true;
}

}  // namespace lockmere::testing
