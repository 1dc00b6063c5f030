// quorvane-cli against either engine as a script runs it: store publish, list and history with
// their lines, JSON and exit status; judging a stored characteristic as its file is judged; the
// night batch's reports.
#include "CliTestSupport.h"
#include "StoreTestSupport.h"

#include <QDir>
#include <QJsonArray>

using namespace store;
using namespace store_test;
using cli_test::CliResult;
using cli_test::runCli;

namespace {

class CliStoreTest : public EngineTest {
protected:
    QTemporaryDir folder;
    QString write(const QString& name, const std::vector<model::SheetRecord>& sheets)
    {
        const QString path = folder.filePath(name);
        cli_test::writeWorkbook(path, sheets);
        return path;
    }
    CliResult store(QStringList args)
    {
        args.prepend(QStringLiteral("store"));
        args << QStringLiteral("--db") << fresh.db();
        return runCli(args);
    }
};

QStringList keys(const QJsonObject& o) { return o.keys(); }

QString text(const QByteArray& bytes) { return QString::fromUtf8(bytes); }

} // namespace

TEST_P(CliStoreTest, PublishListAndHistoryAsAScriptReadsThem)
{
    const model::SheetRecord shaft = sheet(QStringLiteral("軸外径"), lots(QStringLiteral("A"), 3));
    const QString book = write(QStringLiteral("book.xlsx"), {shaft, sheet(QStringLiteral("Sheet2"), lots(QStringLiteral("B"), 2))});

    CliResult r = store({QStringLiteral("publish"), book});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(text(r.out), QStringLiteral("Sheet1 軸外径: 新規 3、変更 0、変更なし 0\n"));
    EXPECT_TRUE(text(r.err).contains(QStringLiteral("Sheet2"))) << r.err.toStdString();
    EXPECT_TRUE(text(r.err).contains(QStringLiteral("--allow-default-names")));
    r = store({QStringLiteral("publish"), book, QStringLiteral("--sheet"), QStringLiteral("2"), QStringLiteral("--allow-default-names")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();

    model::SheetRecord changed = shaft;
    changed.dataLines[1] = QStringLiteral("A-0002,9.9,9.8,9.7");
    const QString changedBook = write(QStringLiteral("changed.xlsx"), {changed});
    r = store({QStringLiteral("publish"), changedBook, QStringLiteral("--station"), QStringLiteral("検査2")});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(text(r.err).contains(QStringLiteral("--reason"))) << r.err.toStdString();
    r = store({QStringLiteral("publish"), changedBook, QStringLiteral("--station"), QStringLiteral("検査2"), QStringLiteral("--reason"),
               QStringLiteral("再測定")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(text(r.out), QStringLiteral("Sheet1 軸外径: 新規 0、変更 1、変更なし 2\n"));

    r = store({QStringLiteral("list"), QStringLiteral("--format"), QStringLiteral("json")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray characteristics = r.json().value(QStringLiteral("characteristics")).toArray();
    ASSERT_EQ(characteristics.size(), 2);
    const QJsonObject first = characteristics.at(1).toObject(); // by item: "Sheet2", then "軸外径"
    EXPECT_EQ(keys(first), (QStringList{QStringLiteral("device"), QStringLiteral("item"), QStringLiteral("last_published"), QStringLiteral("lots"),
                                        QStringLiteral("process"), QStringLiteral("product"), QStringLiteral("unit")}));
    EXPECT_EQ(first.value(QStringLiteral("item")).toString(), QStringLiteral("軸外径"));
    EXPECT_EQ(first.value(QStringLiteral("lots")).toInt(), 3);
    EXPECT_TRUE(first.value(QStringLiteral("last_published")).toString().startsWith(QString::number(QDate::currentDate().year())));

    const QString path = QStringLiteral("ギアシャフト/外径研削/G-03/軸外径");
    r = store({QStringLiteral("history"), QStringLiteral("--characteristic"), path, QStringLiteral("--lot"), QStringLiteral("A-0002"),
               QStringLiteral("--format"), QStringLiteral("json")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QJsonArray revisions = r.json().value(QStringLiteral("revisions")).toArray();
    ASSERT_EQ(revisions.size(), 2);
    const QJsonObject older = revisions.at(0).toObject(), newer = revisions.at(1).toObject();
    EXPECT_EQ(keys(older), (QStringList{QStringLiteral("enabled"), QStringLiteral("operator"), QStringLiteral("published_at"), QStringLiteral("reason"),
                                        QStringLiteral("sequence"), QStringLiteral("station"), QStringLiteral("values")}));
    EXPECT_LT(older.value(QStringLiteral("sequence")).toInteger(), newer.value(QStringLiteral("sequence")).toInteger());
    EXPECT_TRUE(older.value(QStringLiteral("reason")).isNull());
    EXPECT_EQ(newer.value(QStringLiteral("reason")).toString(), QStringLiteral("再測定"));
    EXPECT_EQ(newer.value(QStringLiteral("station")).toString(), QStringLiteral("検査2"));
    EXPECT_TRUE(newer.value(QStringLiteral("enabled")).toBool());
    EXPECT_EQ(newer.value(QStringLiteral("values")).toArray(), (QJsonArray{QStringLiteral("9.9"), QStringLiteral("9.8"), QStringLiteral("9.7")}));

    r = store({QStringLiteral("history"), QStringLiteral("--characteristic"), path, QStringLiteral("--lot"), QStringLiteral("Z")});
    EXPECT_EQ(r.status, 2);
    r = store({QStringLiteral("history"), QStringLiteral("--characteristic"), QStringLiteral("a/b/c/d"), QStringLiteral("--lot"), QStringLiteral("Z")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, QByteArray());
    EXPECT_EQ(r.err.count('\n'), 1);
}

TEST_P(CliStoreTest, AStoredCharacteristicIsJudgedAsItsFile)
{
    model::SheetRecord s = sheet(QStringLiteral("軸外径"), lots(QStringLiteral("A"), 25, 5), 5);
    s.enableFlags[3] = QStringLiteral("0");
    s.dataLines[7] = QStringLiteral("A-0008,10.2,10.4,,9.6,10.0");
    const QString book = write(QStringLiteral("book.xlsx"), {s});
    ASSERT_EQ(store({QStringLiteral("publish"), book}).status, 0);
    for (const QString& limits : {QStringLiteral("3sigma"), QStringLiteral("standard")}) {
        const CliResult file = runCli({QStringLiteral("judge"), book, QStringLiteral("--limits"), limits, QStringLiteral("--format"), QStringLiteral("json")});
        const CliResult stored = runCli({QStringLiteral("judge"), QStringLiteral("--db"), fresh.db(), QStringLiteral("--characteristic"),
                                         QStringLiteral("ギアシャフト/外径研削/G-03/軸外径"), QStringLiteral("--limits"), limits,
                                         QStringLiteral("--format"), QStringLiteral("json")});
        EXPECT_EQ(stored.status, file.status) << stored.err.toStdString();
        EXPECT_EQ(stored.json().value(QStringLiteral("sheets")), file.json().value(QStringLiteral("sheets"))) << limits.toStdString();
    }
}

TEST_P(CliStoreTest, TheNightBatchWritesAReportForEachCharacteristicWithNewLots)
{
    model::SheetRecord slash = sheet(QStringLiteral("軸/外径"), lots(QStringLiteral("A"), 12, 5), 5);
    model::SheetRecord weld = sheet(QStringLiteral("溶接強度"), lots(QStringLiteral("W"), 12, 5), 5);
    weld.product = QStringLiteral("ブラケット");
    ASSERT_EQ(store({QStringLiteral("publish"), write(QStringLiteral("b.xlsx"), {slash, weld})}).status, 0);
    const QString out = folder.filePath(QStringLiteral("night"));
    QDir().mkpath(out);
    CliResult r = runCli({QStringLiteral("report"), QStringLiteral("--db"), fresh.db(), QStringLiteral("--all"), QStringLiteral("--since"),
                          QStringLiteral("24h"), QStringLiteral("--kind"), QStringLiteral("control"), QStringLiteral("--out"), out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QString names = QDir(out).entryList(QDir::Files).join(u'|');
    EXPECT_EQ(names.count(QStringLiteral(".xlsx")), 2) << names.toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("_軸_外径_XbarR.xlsx"))) << names.toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("_溶接強度_XbarR.xlsx"))) << names.toStdString();
    EXPECT_EQ(text(r.out).count(u'\n'), 2);

    r = runCli({QStringLiteral("report"), QStringLiteral("--db"), fresh.db(), QStringLiteral("--characteristic"),
                QStringLiteral("ギアシャフト/外径研削/G-03/軸\\/外径"), QStringLiteral("--last"), QStringLiteral("10"), QStringLiteral("--kind"),
                QStringLiteral("histogram"), QStringLiteral("--out"), out});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 3);
}

QUORVANE_BOTH_ENGINES(CliStoreTest);
