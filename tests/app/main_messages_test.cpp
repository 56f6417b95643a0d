#include <QTest>

#include "app/main_messages.h"

using namespace lockmere;

namespace {

const QString kNotSaved = QStringLiteral("ERROR: The database has not been saved!\r");
const QString kLeftAsItWas = QStringLiteral("\rThe database on disk has been left as it was.");

}  // namespace

class MainMessagesTest : public QObject {
    Q_OBJECT
private slots:
    void login_data();
    void login();
    void save_data();
    void save();
    void unreadable();
};

void MainMessagesTest::login_data() {
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("text");
    QTest::newRow("match") << int(LoginOutcome::Match) << QString();
    QTest::newRow("no match") << int(LoginOutcome::NoMatch)
                              << QStringLiteral("ERROR: Password Not Matched!");
    QTest::newRow("no master account")
        << int(LoginOutcome::NoMasterAccount)
        << QStringLiteral(
               "No master account has been created yet. Close Lockmere and start it "
               "again to create one.");
    QTest::newRow("damaged") << int(LoginOutcome::Damaged)
                             << QStringLiteral(
                                    "ERROR: The key file lkdb0.lkd is damaged: it "
                                    "holds no complete master account.\rRestore the "
                                    "data files from a backup, then start Lockmere "
                                    "again.");
    QTest::newRow("read failed")
        << int(LoginOutcome::ReadFailed)
        << QStringLiteral("ERROR: The key file lkdb0.lkd could not be read (failure code 13).");
}

void MainMessagesTest::login() {
    QFETCH(int, outcome);
    QFETCH(QString, text);
    LoginCheck check;
    check.Outcome = LoginOutcome(outcome);
    check.Code = 13;
    QCOMPARE(LoginOutcomeText(check), text);
}

void MainMessagesTest::save_data() {
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("text");
    const QString writeFailed =
        kNotSaved + "The file lkdb1.lkd could not be written (failure code 28)." + kLeftAsItWas;
    QTest::newRow("written") << int(StoreWrite::Written)
                             << QStringLiteral(
                                    "The database has been saved!\rIt is now OK to "
                                    "add a new entry into\rthe database!");
    QTest::newRow("not the whole store")
        << int(StoreWrite::NotAuthoritative)
        << kNotSaved +
               "The list does not hold the whole database: it could not be read completely at "
               "login, or the data files have been restored since. Log in again to reload it." +
               kLeftAsItWas;
    QTest::newRow("too long") << int(StoreWrite::TooLong)
                              << kNotSaved +
                                     "It would be longer than 32,766 characters. Delete a record "
                                     "or shorten some fields, then save again." +
                                     kLeftAsItWas;
    QTest::newRow("character the cipher cannot shift")
        << int(StoreWrite::EncryptFailed)
        << kNotSaved +
               "A record holds a character that cannot be enciphered at its place. Edit that "
               "record and replace the character, then save again." +
               kLeftAsItWas;
    // Every other failure names the file and its code.
    QTest::newRow("write failed") << int(StoreWrite::WriteFailed) << writeFailed;
    QTest::newRow("read failed") << int(StoreWrite::ReadFailed) << writeFailed;
}

void MainMessagesTest::save() {
    QFETCH(int, outcome);
    QFETCH(QString, text);
    StoreWriteResult result;
    result.Outcome = StoreWrite(outcome);
    result.Code = 28;
    QCOMPARE(SaveOutcomeText(result), text);
}

void MainMessagesTest::unreadable() {
    QCOMPARE(KeyFileUnreadableText(2),
             QStringLiteral("ERROR: The key file lkdb0.lkd could not be read (failure code 2)."));
    QCOMPARE(StoreUnreadableText(75),
             QStringLiteral("ERROR: The database lkdb1.lkd could not be read (failure code 75)."));
}

QTEST_GUILESS_MAIN(MainMessagesTest)
#include "main_messages_test.moc"
