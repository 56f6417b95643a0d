#include <QTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "store/book.h"
#include "store/file_access.h"
#include "tests/support/book_fixture.h"
#include "tests/support/temp_folder.h"
#include "ui/ansi_text.h"

using namespace lockmere;

// The book sorts without the toolkit; the list it replaces was sorted by the
// toolkit's case-insensitive compare. This holds the two orders together
// over every character a store can hold.
class BookOrderTest : public QObject {
    Q_OBJECT

private slots:
    void sortsAsTheToolkitCompares();
};

void BookOrderTest::sortsAsTheToolkitCompares() {
    // Every byte but the store's structure characters, alone and after a
    // letter; twice, so that equal lines meet too.
    std::vector<fixture::Fields> arrival;
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            if (c == kFieldTab || c == kStoreSeparator || c == kRecordStart || c == kRecordEnd)
                continue;
            arrival.push_back({std::string(1, c), "", "", ""});
            arrival.push_back({std::string("s") + c, "", "", ""});
        }
    }
    std::mt19937 random(20261210);
    std::shuffle(arrival.begin(), arrival.end(), random);
    // Lines that tie differ in case only, so their order shows.
    for (fixture::Fields& f : arrival) f[2] = f[0];

    std::vector<fixture::Fields> oracle = arrival;
    const auto text = [](const fixture::Fields& f) {
        return FromAnsi(ComposeRecordLine({f[0], f[1], f[2], f[3]}));
    };
    std::stable_sort(oracle.begin(), oracle.end(), [&](const auto& a, const auto& b) {
        return QString::compare(text(a), text(b), Qt::CaseInsensitive) < 0;
    });

    // A key of zeros leaves every byte as it is.
    const std::string key(32, '\0');
    testing::TempFolder folder;
    fixture::WriteBytes(folder.File(kStoreFileName), fixture::StoreBytes(arrival, key));
    RecordStore store(folder.Path());
    Book book(store);
    QVERIFY(book.Load(key).Complete());

    QCOMPARE(book.Records().size(), oracle.size());
    for (std::size_t i = 0; i < oracle.size(); ++i) {
        const PasswordRecord& r = book.Records()[i];
        const auto codes = [](const std::string& name) {
            return QByteArray(name.data(), static_cast<qsizetype>(name.size())).toHex(' ');
        };
        QVERIFY2(r.ApplicationName == oracle[i][0],
                 qPrintable(QStringLiteral("place %1 holds bytes %2, the toolkit puts %3 there")
                                .arg(i)
                                .arg(codes(r.ApplicationName), codes(oracle[i][0]))));
    }
}

QTEST_MAIN(BookOrderTest)
#include "book_order_test.moc"
