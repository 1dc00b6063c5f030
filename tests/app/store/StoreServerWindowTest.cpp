// The window against a PostgreSQL server that goes away, hangs or refuses: publications wait in
// the outbox and arrive once, a refused one waits for the operator, a failed load leaves the
// sheet as it was, and the window keeps going meanwhile. The settings dialog tests the server,
// and a password lives in memory only.
#include "StoreWindowFixture.h"

#include "dialogs/TDatabaseForm.h"
#include "dialogs/TOutboxForm.h"
#include "dialogs/TStoreLoadForm.h"
#include "store/Messages.h"
#include "store/Outbox.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTimer>

using namespace store;
using namespace store_test;

namespace {

int revisions(const Target& target)
{
    return int(Store::open(target)->connection().query(QStringLiteral("SELECT count(*) FROM lot_revisions")).integer(0, 0));
}

// Every file the program wrote for this test: settings, journal, outbox.
bool anyFileHolds(const QString& folder, const QByteArray& bytes)
{
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(bytes)) return true;
    }
    return false;
}

// The sheet as the operator sees it: the names and the first lots' cells.
QStringList shownSheet(TMainForm& f)
{
    QStringList out{f.editLabel->text(), f.spinRow->text()};
    for (int row = 1; row <= 3; ++row) out << f.gridCtrl->cell(0, row) << f.gridEdit->cell(0, row);
    return out;
}

} // namespace

TEST_F(StoreWindowTest, APublicationKeptWhileTheServerIsDownIsSentOnceWhenItIsBack)
{
    const auto cluster = Cluster::startPrivate();
    ServerDatabase database(*cluster);
    const Target target = parseTarget(database.uri());
    Store::init(target);
    useServer(cluster->socketFolder(), cluster->port(), database.name(), QStringLiteral("postgres"));
    startSmallSheet();
    sendOftenFromTheOutbox();
    nameSheet(kShaft);
    values(1, {"10.010", "10.020", "9.990"});
    values(2, {"10.000", "9.980", "10.030"});
    chooseMenuItem(form->mainMenuPublish);
    ASSERT_EQ(lastMessageHead(), QStringLiteral("2 ロットを登録しました（新規 2、変更 0、変更なし 0）"));

    cluster->halt();
    values(3, {"10.050", "10.040", "9.970"});
    chooseMenuItem(form->mainMenuPublish);
    EXPECT_EQ(lastMessage(), keptMessage(3));
    // Kept twice: L3 corrected meanwhile, and L4 added.
    values(3, {"10.050", "10.040", "9.960"});
    values(4, {"10.020", "10.000", "9.990"});
    chooseMenuItem(form->mainMenuPublish);
    EXPECT_EQ(lastMessage(), keptMessage(4));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows(form->btnStoreUnsent, QStringLiteral("未送信 7 ロット")); }, 10000));

    QStringList listed;
    ui.dialogScripts.push_back([&](QDialog& d) {
        auto& unsent = dynamic_cast<TOutboxForm&>(d);
        for (int i = 0; i < unsent.listEntries->topLevelItemCount(); ++i) listed << unsent.listEntries->topLevelItem(i)->text(3);
        QTest::mouseClick(unsent.btnClose, Qt::LeftButton);
        return d.result();
    });
    click(form->btnStoreUnsent);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("送信待ち"), QStringLiteral("送信待ち")}));

    cluster->resume();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->btnStoreUnsent->isVisible(); }, 60000));
    // Each publication once, in the order they were made: the correction is L3's current revision.
    EXPECT_EQ(revisions(target), 5);
    const auto db = Store::open(target);
    const std::vector<Revision> l3 = db->history(kShaft, QStringLiteral("L3"));
    ASSERT_EQ(l3.size(), 2u);
    EXPECT_EQ(l3[0].content.cells.last(), QStringLiteral("9.970"));
    EXPECT_EQ(l3[1].content.cells.last(), QStringLiteral("9.960"));
    const std::vector<Revision> l4 = db->history(kShaft, QStringLiteral("L4"));
    ASSERT_EQ(l4.size(), 1u);
    EXPECT_GT(l4[0].sequence, l3[0].sequence);
}

TEST_F(StoreWindowTest, AChangeIsJudgedAgainstWhatWaitsInTheOutbox)
{
    const auto cluster = Cluster::startPrivate();
    ServerDatabase database(*cluster);
    const Target target = parseTarget(database.uri());
    Store::init(target);
    useServer(cluster->socketFolder(), cluster->port(), database.name(), QStringLiteral("postgres"));
    startSmallSheet();
    nameSheet(kShaft);
    values(1, {"10.010", "10.020", "9.990"});
    values(2, {"10.050", "10.040", "9.970"});
    chooseMenuItem(form->mainMenuPublish);
    ASSERT_EQ(lastMessageHead(), QStringLiteral("2 ロットを登録しました（新規 2、変更 0、変更なし 0）"));

    cluster->halt();
    values(2, {"10.050", "10.040", "9.960"});
    chooseMenuItem(form->mainMenuPublish);
    ASSERT_EQ(lastMessage(), keptMessage(2));

    // Back before the outbox was sent: L2 set back to what the server holds differs from what
    // waits to go ahead of it, so it is a change that needs its reason.
    cluster->resume();
    values(2, {"10.050", "10.040", "9.970"});
    QString asked;
    answerPrompt(QStringLiteral("測定し直し"), &asked);
    chooseMenuItem(form->mainMenuPublish);
    EXPECT_TRUE(asked.contains(QStringLiteral("L2"))) << asked.toStdString();
    EXPECT_EQ(lastMessageHead(), QStringLiteral("2 ロットを登録しました（新規 0、変更 1、変更なし 1）"));
    const std::vector<Revision> l2 = Store::open(target)->history(kShaft, QStringLiteral("L2"));
    ASSERT_EQ(l2.size(), 3u);
    EXPECT_EQ(l2[2].content.cells.last(), QStringLiteral("9.970"));
    EXPECT_EQ(l2[2].reason.value_or(QString()), QStringLiteral("測定し直し"));
}

TEST_F(StoreWindowTest, APublicationTheServerRefusesWaitsForTheOperatorToDiscardIt)
{
    FreshStore fresh(Engine::Server);
    useStore(fresh, QStringLiteral("postgres"));
    // Kept on this PC earlier: a publication the server refuses for good.
    PublicationPlan refused = planPublication(sheet(kShaft.item, lots(QStringLiteral("A"), 2)), {kStation, QStringLiteral("op"), {}});
    refused.lots[1].publicationId = QStringLiteral("not-a-uuid");
    Outbox(defaultOutboxPath()).add(targetOf(settings).key(), refused);
    startSmallSheet();
    sendOftenFromTheOutbox();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Outbox(defaultOutboxPath()).setAside().size() == 1; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shows(form->btnStoreUnsent, QStringLiteral("未送信 2 ロット")); }, 10000));

    QStringList states;
    ui.dialogScripts.push_back([&](QDialog& d) {
        auto& unsent = dynamic_cast<TOutboxForm&>(d);
        auto state = [&] { return unsent.listEntries->topLevelItemCount() ? unsent.listEntries->topLevelItem(0)->text(3) : QString(); };
        states << state();
        QTest::mouseClick(unsent.btnRetry, Qt::LeftButton); // refused again
        states << state();
        answerPrompt(QStringLiteral("誤ったデータのため"));
        QTest::mouseClick(unsent.btnDiscard, Qt::LeftButton);
        states << QString::number(unsent.listEntries->topLevelItemCount());
        QTest::mouseClick(unsent.btnClose, Qt::LeftButton);
        return d.result();
    });
    click(form->btnStoreUnsent);
    ASSERT_EQ(states.size(), 3);
    EXPECT_TRUE(states[0].startsWith(QStringLiteral("送信できません: "))) << states[0].toStdString();
    EXPECT_TRUE(states[1].startsWith(QStringLiteral("送信できません: ")));
    EXPECT_EQ(states[2], QStringLiteral("0"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->btnStoreUnsent->isVisible(); }, 5000));
    EXPECT_EQ(revisions(fresh.target()), 0); // nothing of it half-stored
}

TEST_F(StoreWindowTest, AStationLoginCannotFreezeABaseline)
{
    FreshStore fresh(Engine::Server);
    publish(*fresh.open(), sheet(kShaft.item, lots(QStringLiteral("A"), 20)));
    useStore(fresh, QStringLiteral("station_login"));
    startSmallSheet();
    ui.dialogScripts.push_back([](QDialog& d) {
        QTest::mouseClick(dynamic_cast<TStoreLoadForm&>(d).btnOk, Qt::LeftButton);
        return d.result();
    });
    chooseMenuItem(form->mainMenuLoad);
    ASSERT_EQ(form->spinRow->value(), 20);
    const QString ucl = form->editUcl->text();

    ui.answers.push_back(true);
    answerPrompt(QStringLiteral("初期工程能力調査"));
    chooseMenuItem(form->mainMenuBaseline);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("基準を登録できませんでした。\nデータベースの権限がありません"))) << lastMessage().toStdString();
    EXPECT_EQ(ui.messages.last().caption, ui::kWarningCaption);
    EXPECT_FALSE(fresh.open()->baselineInForce(kShaft));
    EXPECT_EQ(form->cmbLimit->currentText(), QStringLiteral("３シグマ法"));
    EXPECT_EQ(form->editUcl->text(), ucl);
    EXPECT_FALSE(form->pnlStoreBaseline && form->pnlStoreBaseline->isVisible());
}

TEST_F(StoreWindowTest, AServerStoppedDuringALoadLeavesTheSheetAsItWas)
{
    const auto cluster = Cluster::startPrivate();
    ServerDatabase database(*cluster);
    const Target target = parseTarget(database.uri());
    Store::init(target);
    publish(*Store::open(target), sheet(kShaft.item, lots(QStringLiteral("A"), 20)));
    useServer(cluster->socketFolder(), cluster->port(), database.name(), QStringLiteral("postgres"));
    startSmallSheet();
    nameSheet({QStringLiteral("P"), QStringLiteral("Q"), QStringLiteral("R"), QStringLiteral("手入力")});
    values(1, {"1.500", "1.600", "1.700"});
    const QStringList before = shownSheet(*form);

    ui.dialogScripts.push_back([&](QDialog& d) {
        cluster->halt(); // after the list came, before the lots do
        QTest::mouseClick(dynamic_cast<TStoreLoadForm&>(d).btnOk, Qt::LeftButton);
        return d.result();
    });
    ui.answers.push_back(true);
    chooseMenuItem(form->mainMenuLoad);
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_EQ(ui.messages.last().caption, ui::kWarningCaption);
    EXPECT_EQ(shownSheet(*form), before);
    EXPECT_FALSE(form->mainMenuBaseline->isEnabled());
}

TEST_F(StoreWindowTest, AServerThatNeverAnswersGivesAMessageWithinItsTimeWhileTheWindowGoesOn)
{
    QTemporaryDir folder;
    const SilentSocket silent(folder.filePath(QStringLiteral(".s.PGSQL.7777")));
    ASSERT_TRUE(silent.ok());
    useServer(folder.path(), QStringLiteral("7777"), QStringLiteral("db"), QStringLiteral("postgres"));
    startSmallSheet();
    nameSheet(kShaft);
    values(1, {"10.010", "10.020", "9.990"});
    const QStringList before = shownSheet(*form);

    // While the store waits, the window's thread goes on: timers run and the window paints.
    int ticksWhileBusy = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (splash->isVisible() && !form->grab().isNull()) ++ticksWhileBusy;
    });
    ticker.start(200);
    QElapsedTimer waited;
    waited.start();
    chooseMenuItem(form->mainMenuLoad);
    EXPECT_LT(waited.elapsed(), 20000);
    EXPECT_GT(ticksWhileBusy, 10);
    EXPECT_TRUE(lastMessage().contains(QStringLiteral("10 秒以内に応答しませんでした"))) << lastMessage().toStdString();
    EXPECT_EQ(shownSheet(*form), before);
}

TEST_F(StoreWindowTest, TheSettingsDialogTestsTheServerAndAPasswordIsKeptInMemoryOnly)
{
    FreshStore fresh(Engine::Server);
    const Cluster& cluster = fresh.server()->cluster();
    startSmallSheet();
    auto testShows = [](TDatabaseForm& d, const QString& start) {
        QTest::mouseClick(d.btnTest, Qt::LeftButton);
        return QTest::qWaitFor([&] { return d.lblTest->text().startsWith(start); }, 15000);
    };
    ui.dialogScripts.push_back([&](QDialog& d) {
        auto& db = dynamic_cast<TDatabaseForm&>(d);
        QTest::mouseClick(db.rbServer, Qt::LeftButton, {}, QPoint(8, db.rbServer->height() / 2)); // on its circle
        enter(db.editHost, cluster.socketFolder());
        enter(db.editPort, cluster.port());
        enter(db.editDatabase, fresh.server()->name());
        enter(db.editUser, QStringLiteral("quorvane_pw"));
        EXPECT_TRUE(testShows(db, QStringLiteral("認証に失敗しました。"))) << db.lblTest->text().toStdString();
        enter(db.editPassword, kPassword);
        EXPECT_TRUE(testShows(db, QStringLiteral("接続できました"))) << db.lblTest->text().toStdString();
        QTest::mouseClick(db.btnOk, Qt::LeftButton);
        return d.result();
    });
    chooseMenuItem(form->menuSettingDatabase);

    auto publishSheet = [&] {
        nameSheet(kShaft);
        values(1, {"10.010", "10.020", "9.990"});
        chooseMenuItem(form->mainMenuPublish);
    };
    publishSheet();
    EXPECT_EQ(lastMessageHead(), QStringLiteral("1 ロットを登録しました（新規 1、変更 0、変更なし 0）"));

    // Started again, the program knows no password: it asks once, and keeps the answer in memory.
    form->close();
    form.reset();
    startSmallSheet();
    QString asked;
    answerPrompt(kPassword, &asked);
    publishSheet();
    EXPECT_TRUE(asked.contains(QStringLiteral("パスワードは保存されません"))) << asked.toStdString();
    EXPECT_EQ(lastMessageHead(), QStringLiteral("1 ロットを登録しました（新規 0、変更 0、変更なし 1）"));
    EXPECT_FALSE(anyFileHolds(settingsDir.path(), kPassword.toUtf8()));
    EXPECT_TRUE(anyFileHolds(settingsDir.path(), QByteArrayLiteral("quorvane_pw")));
}
