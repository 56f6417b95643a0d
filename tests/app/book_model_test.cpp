#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "app/book_model.h"
#include "store/record_store.h"
#include "tests/support/book_fixture.h"
#include "tests/support/temp_folder.h"

using namespace lockmere;

namespace {

std::string Key() { return fixture::KeyOf(fixture::Collected()); }

PasswordRecord RecordOf(const fixture::Fields& f) { return {f[0], f[1], f[2], f[3]}; }

QStringList Rows(const BookModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) rows << model.index(row, 0).data().toString();
    return rows;
}

}  // namespace

class BookModelTest : public QObject {
    Q_OBJECT
private slots:
    void followsTheBook();
};

// The tester checks, at every signal, that the rows announced match the
// rows the model then reports; a change told only afterwards fails it.
void BookModelTest::followsTheBook() {
    testing::TempFolder folder;
    fixture::WriteBytes(
        folder.File(kStoreFileName),
        fixture::StoreBytes({{"Mail", "m", "ann", "1"}, {"bank", "b", "bo", "2"}}, Key()));
    RecordStore store(folder.Path());
    Book book(store);
    BookModel model(book, nullptr);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    QVERIFY(book.Load(Key()).Complete());
    QCOMPARE(Rows(model), (QStringList{"bank\tb\tbo\t2", "Mail\tm\tann\t1"}));
    QCOMPARE(resets.size(), 1);

    // Single changes move single rows: no reset.
    QCOMPARE(book.Add(Key(), RecordOf({"\x8aki", "s", "sa", "3"})).Outcome, StoreWrite::Written);
    book.Replace(0, RecordOf({"Zoo", "z", "zed", "4"}));
    book.Remove(0);
    QCOMPARE(Rows(model),
             (QStringList{"Zoo\tz\tzed\t4", QString::fromUtf8("\xc5\xa0ki\ts\tsa\t3")}));
    QCOMPARE(resets.size(), 1);
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(removed.size(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 1);  // Zoo, after Mail
    QCOMPARE(removed.at(1).at(1).toInt(), 0);   // Mail

    book.Close();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(resets.size(), 2);
    QCOMPARE(model.index(0, 0).data(), QVariant());
}

QTEST_MAIN(BookModelTest)
#include "book_model_test.moc"
