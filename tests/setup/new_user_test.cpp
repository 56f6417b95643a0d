#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <optional>
#include <utility>

#include "app/main_screen.h"
#include "records/data_entry.h"
#include "setup/new_user.h"
#include "tests/support/blocked_write.h"
#include "tests/support/book_fixture.h"
#include "tests/support/caption_checks.h"
#include "tests/support/test_context.h"
#include "ui/ansi_text.h"

using namespace lockmere;
using namespace lockmere::testing;

namespace {

// A program folder as the generator leaves it: its 51 bytes in the key
// file, the key in the context.
struct AfterGenerator {
    explicit AfterGenerator(std::string collectedBytes = fixture::Collected())
        : collected(std::move(collectedBytes)) {
        fixture::WriteBytes(t.File("lkdb0.lkd"), collected);
        t.Ctx.EncryptionKey = fixture::KeyOf(collected);
        w = t.Ctx.Windows.Open<NewUser>(t.Ctx);
        w->ShowModeless();
    }
    std::string KeyFile() const { return fixture::ReadBytes(t.File("lkdb0.lkd")); }
    void Fill(const QString& user, const QString& password, const QString& confirmation) {
        w->Text1->setText(user);
        w->Text2->setText(password);
        w->Text3->setText(confirmation);
    }

    TestContext t;
    const std::string collected;
    QPointer<NewUser> w;
};

}  // namespace

class NewUserTest : public QObject {
    Q_OBJECT

private slots:
    void layout();
    void focusOrder();
    void refusedWithAMessage_data();
    void refusedWithAMessage();
    void charactersAsTheEnciphermentHoldsThem_data();
    void charactersAsTheEnciphermentHoldsThem();
    void writesTheCredentials_data();
    void writesTheCredentials();
    void failedWriteKeepsTheWindowOpen();
    void enterSaves();
};

void NewUserTest::layout() {
    AfterGenerator a;
    NewUser* w = a.w;
    QCOMPARE(w->windowTitle(), QStringLiteral(" New User Creation"));
    QCOMPARE(w->WidthTwips(), 6105);
    QCOMPARE(w->HeightTwips(), 3300);
    QVERIFY(CentredOnScreen(w, 6105, 3300));
    QCOMPARE(w->palette().color(w->backgroundRole()), QColor(Qt::white));

    const struct {
        QLabel* label;
        QRect rect;  // twips
        QString text;
    } labels[] = {
        {w->Label5, QRect(90, 105, 2610, 1530),
         QStringLiteral("Please enter a master user name and password that you will never "
                        "forget.  This will be the information that you will use to log into "
                        "the password database.")},
        {w->Label1, QRect(2940, 420, 855, 255), QStringLiteral("User Name")},
        {w->Label2, QRect(3045, 1020, 780, 255), QStringLiteral("Password")},
        {w->Label3, QRect(2445, 1620, 1365, 255), QStringLiteral("Comfirm Password")},
        {w->Label4, QRect(90, 2250, 2565, 480),
         QStringLiteral("NOTE: User names and passwords are limited to 8 characters.")},
    };
    for (const auto& l : labels) {
        QCOMPARE(l.label->text(), l.text);
        QVERIFY(PlacedAt(l.label, l.rect));
        // The window's 8.25 points, and 9.75 for the introduction, a little
        // smaller where a stand-in font cuts a caption.
        QVERIFY(SizedToFit(l.label, l.label == w->Label5 ? 9.75 : 8.25));
    }
    QVERIFY2(CutCaptions(w).isEmpty(), qPrintable(CutCaptions(w).join('\n')));

    QVERIFY(PlacedAt(w->Text1, {3945, 360, 1590, 375}));
    QVERIFY(PlacedAt(w->Text2, {3945, 960, 1590, 375}));
    QVERIFY(PlacedAt(w->Text3, {3930, 1560, 1590, 375}));
    QVERIFY(PlacedAt(w->Command1, {3510, 2265, 2310, 375}));
    QVERIFY(FoundByName(w, {{"Label5", w->Label5},
                            {"Label1", w->Label1},
                            {"Text1", w->Text1},
                            {"Label2", w->Label2},
                            {"Text2", w->Text2},
                            {"Label3", w->Label3},
                            {"Text3", w->Text3},
                            {"Label4", w->Label4},
                            {"Command1", w->Command1}}));
    QCOMPARE(w->Command1->text(), QStringLiteral("Save Master Password"));

    QCOMPARE(w->Text1->echoMode(), QLineEdit::Normal);
    for (QLineEdit* box : {w->Text1, w->Text2, w->Text3}) {
        QCOMPARE(box->palette().color(QPalette::Base), QColor(255, 255, 192));
        QCOMPARE(box->font().pointSizeF(), 9.75);
        QCOMPARE(box->maxLength(), 32767);  // any length
    }
    QCOMPARE(w->Text2->echoMode(), QLineEdit::Password);
    QCOMPARE(w->Text3->echoMode(), QLineEdit::Password);
}

void NewUserTest::focusOrder() {
    AfterGenerator a;
    QApplication::setActiveWindow(a.w);
    QVERIFY(QTest::qWaitForWindowActive(a.w));
    QCOMPARE(QApplication::focusWidget(), a.w->Text1);
    for (QWidget* next : std::initializer_list<QWidget*>{a.w->Text2, a.w->Text3, a.w->Command1}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

// clang-format off
void NewUserTest::refusedWithAMessage_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");  // a pattern the message must match

    const QString blank = QRegularExpression::escape(
        QStringLiteral("ERROR: The passwords fields cannot be blank. Please try again!"));
    const QString mismatch = QRegularExpression::escape(
        QStringLiteral("ERROR: The passwords did not match. Please try again!"));
    QTest::newRow("both empty") << "me" << "" << "" << "^" + blank + "$";
    QTest::newRow("blanks only") << "me" << "   " << " " << "^" + blank + "$";
    QTest::newRow("one box empty") << "me" << "secret" << "" << "^" + mismatch + "$";
    QTest::newRow("trailing blank in one box") << "me" << "secret " << "secret"
                                               << "^" + mismatch + "$";
    QTest::newRow("letter case") << "me" << "Secret" << "secret" << "^" + mismatch + "$";
    QTest::newRow("a control character in the name") << QString::fromUtf8("m\u0001") << "pw" << "pw"
                                                     << "Character 1 cannot be stored in User Name";
    QTest::newRow("tab in the name") << "a\tb" << "pw" << "pw" << "User Name";
    QTest::newRow("no code page character in the password")
        << "me" << QString::fromUtf8("p\u0101ss") << QString::fromUtf8("p\u0101ss")
        << "Password";
    QTest::newRow("a character the cipher cannot shift in the password")
        << "me" << QString::fromUtf8("caf\u00e9") << QString::fromUtf8("caf\u00e9")
        << QString::fromUtf8("The character \"\u00e9\" cannot be stored in Password");
    QTest::newRow("256 characters in all") << QString(200, 'n') << QString(53, 'p')
                                           << QString(53, 'p') << "252";
}
// clang-format on

void NewUserTest::refusedWithAMessage() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);
    AfterGenerator a;
    a.Fill(user, password, confirmation);
    QTest::mouseClick(a.w->Command1, Qt::LeftButton);

    QCOMPARE(a.t.Boxes.Boxes().size(), std::size_t(1));
    const RecordedBox& box = a.t.Boxes.Boxes().front();
    QVERIFY2(box.Text.contains(QRegularExpression(message)), qPrintable(box.Text));
    QCOMPARE(box.Title, QStringLiteral("LKMR - Message Center"));
    QCOMPARE(box.Buttons, MsgButtons::Ok);
    QCOMPARE(box.Icon, MsgIcon::Exclamation);

    // Nothing written; the window stays as it was.
    QCOMPARE(a.KeyFile(), a.collected);
    QVERIFY(a.w && !a.w->IsUnloaded() && a.w->isVisible());
    QCOMPARE(a.w->Text1->text(), user);
    QCOMPARE(a.w->Text2->text(), password);
    QCOMPARE(a.w->Text3->text(), confirmation);
    QVERIFY(a.t.Ctx.Windows.Find<DataEntry>() == nullptr);
}

void NewUserTest::charactersAsTheEnciphermentHoldsThem_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("refused");  // the message's end; empty when saved
    const auto in = [](const char* character, const char* box) {
        return QString::fromUtf8("The character \"%1\" cannot be stored in %2. Please remove it.")
            .arg(QString::fromUtf8(character), QString::fromLatin1(box));
    };
    // Key codes 31, 32, 33, ... from the block's first character on.
    QTest::newRow("\u20ac \u00a3 \u00c4 \u00df where they fit")
        << QString::fromUtf8("\u00df\u00df") << QString::fromUtf8("\u20ac\u00a3\u00c4")
        << QString();
    QTest::newRow("\u00df at the third place")
        << QString::fromUtf8("ab\u00df") << QStringLiteral("pw") << in("\u00df", "User Name");
    QTest::newRow("\u00ff in the password")
        << QStringLiteral("me") << QString::fromUtf8("p\u00ff") << in("\u00ff", "Password");
}

void NewUserTest::charactersAsTheEnciphermentHoldsThem() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, refused);
    std::string collected = "ZYXWVU";
    for (char code = 31; code <= 75; ++code) collected += code;
    AfterGenerator a(collected);
    a.Fill(user, password, password);
    if (!refused.isEmpty()) {
        QTest::mouseClick(a.w->Command1, Qt::LeftButton);
        QCOMPARE(a.t.Boxes.Texts(), QStringList{"ERROR: " + refused});
        QCOMPARE(a.KeyFile(), collected);
        return;
    }
    a.t.WhenModal<DataEntry>([](DataEntry* shown) { shown->close(); });
    QTest::mouseClick(a.w->Command1, Qt::LeftButton);
    QCOMPARE(a.KeyFile(),
             fixture::KeyFileBytes(collected, ToAnsi(user).value(), ToAnsi(password).value()));

    // The password so saved opens the book.
    fixture::WriteBytes(a.t.File("lkdb1.lkd"), "");
    auto* main = a.t.Ctx.Windows.Open<MainScreen>(a.t.Ctx);
    main->ShowModeless();
    main->Text2->setText(password);
    QTest::mouseClick(main->Command1, Qt::LeftButton);
    QVERIFY(!main->Command1->isEnabled());
    QCOMPARE(a.t.Boxes.Texts(), QStringList());
}

// clang-format off
void NewUserTest::writesTheCredentials_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");  // typed into both boxes
    QTest::addColumn<QByteArray>("storedUser");
    QTest::addColumn<QByteArray>("storedPassword");

    QTest::newRow("blanks trimmed") << " me " << "  pw1  " << QByteArray("me")
                                    << QByteArray("pw1");
    // Six plain characters: byte 51 keeps the generator's character.
    QTest::newRow("empty user name") << "" << "abc" << QByteArray() << QByteArray("abc");
    QTest::newRow("longer than the note says") << "administrator" << "correct horse battery"
                                               << QByteArray("administrator")
                                               << QByteArray("correct horse battery");
    QTest::newRow("separator characters") << "a#|^b" << "x^y|z#" << QByteArray("a#|^b")
                                          << QByteArray("x^y|z#");
    QTest::newRow("code page characters") << QString::fromUtf8("\u0160eff") << QString::fromUtf8("p\u2026")
                                          << QByteArray("\x8a" "eff") << QByteArray("p\x85");
    QTest::newRow("255 characters in all") << QString(199, 'n') << QString(53, 'p')
                                           << QByteArray(199, 'n') << QByteArray(53, 'p');
}
// clang-format on

void NewUserTest::writesTheCredentials() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QByteArray, storedUser);
    QFETCH(QByteArray, storedPassword);
    AfterGenerator a;
    a.Fill(user, password, password);

    bool masterGone = false;
    std::string keyFileWhenShown;
    a.t.WhenModal<DataEntry>([&](DataEntry* shown) {
        masterGone = !a.w || !a.w->isVisible();
        keyFileWhenShown = a.KeyFile();
        shown->close();
    });
    QTest::mouseClick(a.w->Command1, Qt::LeftButton);

    const std::string expected =
        fixture::KeyFileBytes(a.collected, storedUser.toStdString(), storedPassword.toStdString());
    QCOMPARE(keyFileWhenShown, expected);
    QCOMPARE(a.KeyFile(), expected);
    // Length byte at 44, block from 45, the generator's bytes before them.
    const std::size_t n = storedUser.size() + 3 + storedPassword.size();
    QCOMPARE(static_cast<unsigned char>(expected[43]), n);
    QCOMPARE(expected.substr(0, 43), a.collected.substr(0, 43));
    QVERIFY(masterGone);
    QVERIFY(!a.w || a.w->IsUnloaded());
    QVERIFY(a.t.Boxes.Boxes().empty());
}

void NewUserTest::failedWriteKeepsTheWindowOpen() {
    AfterGenerator a;
    std::optional<test::BlockedWrite> blocked(std::in_place, a.t.File("lkdb0.lkd"));
    a.Fill(QStringLiteral("me"), QStringLiteral("secret"), QStringLiteral("secret"));
    QTest::mouseClick(a.w->Command1, Qt::LeftButton);

    QCOMPARE(a.t.Boxes.Boxes().size(), std::size_t(1));
    const RecordedBox& box = a.t.Boxes.Boxes().front();
    QCOMPARE(box.Title, QStringLiteral("LKMR - Message Center"));
    QCOMPARE(box.Icon, MsgIcon::Critical);
    QVERIFY2(box.Text.contains(QRegularExpression(QStringLiteral("\\(error [1-9][0-9]*\\)"))),
             qPrintable(box.Text));
    QCOMPARE(a.KeyFile(), a.collected);
    QVERIFY(a.w && !a.w->IsUnloaded() && a.w->isVisible());
    QCOMPARE(a.w->Text2->text(), QStringLiteral("secret"));
    QVERIFY(a.t.Ctx.Windows.Find<DataEntry>() == nullptr);

    // Once the write goes through again, the same window saves.
    blocked.reset();
    bool shown = false;
    a.t.WhenModal<DataEntry>([&](DataEntry* entry) {
        shown = true;
        entry->close();
    });
    QTest::mouseClick(a.w->Command1, Qt::LeftButton);
    QVERIFY(shown);
    QCOMPARE(a.KeyFile(), fixture::KeyFileBytes(a.collected, "me", "secret"));
}

void NewUserTest::enterSaves() {
    AfterGenerator a;
    QVERIFY(QTest::qWaitForWindowActive(a.w));
    a.Fill(QStringLiteral("me"), QStringLiteral("pw"), QStringLiteral("pw"));
    bool opened = false;
    a.t.WhenModal<DataEntry>([&opened](DataEntry* shown) {
        opened = true;
        shown->close();
    });
    QTest::keyClick(a.w->Text3, Qt::Key_Return);

    QVERIFY(opened);
    QCOMPARE(a.KeyFile(), fixture::KeyFileBytes(a.collected, "me", "pw"));
}

QTEST_MAIN(NewUserTest)
#include "new_user_test.moc"
