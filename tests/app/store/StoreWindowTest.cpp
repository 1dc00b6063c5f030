// The history store through the real window on both engines: publishing a sheet (and a change,
// with its reason), loading a characteristic into the shown sheet (and undoing it), a baseline
// that comes back on every entry, and the note of lots another station publishes meanwhile.
#include "StoreWindowFixture.h"

#include "CliTestSupport.h"
#include "dialogs/TStoreLoadForm.h"
#include "model/NumberText.h"
#include "ui/SpinEdit.h"

#include <QRadioButton>

#include <cmath>

using namespace store;
using namespace store_test;

namespace {

class StoreWindowEngines : public StoreWindowTest, public ::testing::WithParamInterface<Engine> {
protected:
    FreshStore fresh{GetParam()};

    void startWithStore()
    {
        useStore(fresh);
        startSmallSheet();
    }
    // Lots published by another station before the window starts.
    void publishedBefore(const QString& item, const QString& prefix, int count)
    {
        const auto db = fresh.open();
        publish(*db, sheet(item, lots(prefix, count)), {}, QStringLiteral("検査2"));
    }
    // Chooses a characteristic by typing part of its name into the load dialog's filter.
    void loadByFilter(const QString& filter, bool period = false, const QString& last = {})
    {
        ui.dialogScripts.push_back([filter, period, last](QDialog& d) {
            auto& load = dynamic_cast<TStoreLoadForm&>(d);
            enter(load.editFilter, filter);
            EXPECT_EQ(shownRows(load.listCharacteristics), 1) << filter.toStdString();
            if (period) QTest::mouseClick(load.rbPeriod, Qt::LeftButton);
            if (!last.isEmpty()) {
                load.spinLast->setFocus();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(QApplication::focusWidget(), last);
            }
            QTest::mouseClick(load.btnOk, Qt::LeftButton);
            return d.result();
        });
        chooseMenuItem(form->mainMenuLoad);
    }
};

} // namespace

TEST_P(StoreWindowEngines, PublishingCountsNewAndChangedLotsAndAsksWhyALotChanged)
{
    startWithStore();
    nameSheet(kShaft);
    values(1, {"10.010", "10.020", "9.990"});
    values(2, {"10.000", "9.980", "10.030"});
    form->gridEdit->setCurrentCell(0, 3);
    form->gridEdit->setFocus();
    typeKeys("10.05");
    press(Qt::Key_Return);
    form->gridCtrl->setCell(0, 4, QStringLiteral("X9")); // a lot number without values
    for (int row = 5; row <= 10; ++row) form->gridCtrl->setCell(0, row, QString());

    chooseMenuItem(form->mainMenuPublish);
    EXPECT_TRUE(ui.questions.isEmpty());
    const QString skipped = QStringLiteral("\n登録しなかったロット 1 件: 測定値がありません (X9)");
    EXPECT_EQ(lastMessage(), QStringLiteral("3 ロットを登録しました（新規 3、変更 0、変更なし 0）") + skipped);

    // A changed lot is stored as a new revision, with the reason asked for.
    values(2, {"10.000", "9.980", "10.040"});
    QString asked;
    answerPrompt(QStringLiteral("転記ミスの訂正"), &asked);
    chooseMenuItem(form->mainMenuPublish);
    EXPECT_TRUE(asked.contains(QStringLiteral("L2"))) << asked.toStdString();
    EXPECT_FALSE(asked.contains(QStringLiteral("L1")));
    EXPECT_EQ(lastMessage(), QStringLiteral("3 ロットを登録しました（新規 0、変更 1、変更なし 2）") + skipped);
    const std::vector<Revision> l2 = fresh.open()->history(kShaft, QStringLiteral("L2"));
    ASSERT_EQ(l2.size(), 2u);
    EXPECT_EQ(l2[1].reason.value_or(QString()), QStringLiteral("転記ミスの訂正"));
    EXPECT_EQ(l2[1].station, kStation);
    EXPECT_EQ(l2[1].content.cells.last(), QStringLiteral("10.040"));

    // Untouched names would merge stations' sheets: asked first, nothing stored on a no.
    clickTab(1);
    values(1, {"1.0", "1.1", "1.2"});
    ui.answers.push_back(false);
    chooseMenuItem(form->mainMenuPublish);
    EXPECT_TRUE(lastQuestion().startsWith(QStringLiteral("項目名称が初期値 (Sheet2) のままです。ロット番号が初期値 (K001…) のままです")))
        << lastQuestion().toStdString();
    EXPECT_EQ(fresh.open()->characteristics().size(), 1u);

    // Every sheet: one count over them, each sheet's problems named by it; sheet 3 holds nothing.
    ui.answers.push_back(true);
    chooseMenuItem(form->mainMenuPublishAll);
    EXPECT_TRUE(lastQuestion().startsWith(QStringLiteral("シート2（Sheet2）: 項目名称が初期値 (Sheet2) のままです。"))) << lastQuestion().toStdString();
    EXPECT_EQ(lastMessage(), QStringLiteral("4 ロットを登録しました（新規 1、変更 0、変更なし 3）\n"
                                            "シート1（軸外径）: 登録しなかったロット 1 件: 測定値がありません (X9)"));
    EXPECT_EQ(fresh.open()->characteristics().size(), 2u);
}

TEST_P(StoreWindowEngines, LoadingReplacesTheShownSheetAfterAQuestionAndCanBeUndone)
{
    publishedBefore(kShaft.item, QStringLiteral("A"), 25);
    publishedBefore(QStringLiteral("内径"), QStringLiteral("C"), 60);
    publishedBefore(QStringLiteral("内径"), QStringLiteral("D"), 45);
    startWithStore();
    form->editLabel->clear();
    enter(form->editLabel, QStringLiteral("手入力"));
    values(1, {"1.5", "", ""});

    ui.answers.push_back(true);
    loadByFilter(QStringLiteral("軸外"));
    EXPECT_EQ(lastQuestion(), QStringLiteral("現在のシートのデータはデータベースのデータに置き換わります。よろしいですか？"));
    EXPECT_EQ(form->editLabel->text(), kShaft.item);
    EXPECT_EQ(form->editProduct->text(), kShaft.product);
    EXPECT_EQ(form->tabCtrl->tabText(0), kShaft.item);
    EXPECT_EQ(form->spinRow->value(), 25);
    EXPECT_EQ(form->gridCtrl->cell(0, 1), QStringLiteral("A-0001"));
    EXPECT_EQ(form->gridCtrl->cell(0, 25), QStringLiteral("A-0025"));
    EXPECT_EQ(form->gridEdit->cell(0, 1), sheet(kShaft.item, lots(QStringLiteral("A"), 1)).dataLines[0].section(u',', 1, 1));
    EXPECT_TRUE(form->mainMenuBaseline->isEnabled());

    form->journalWaitIdle();
    chooseMenuItem(form->mainMenuUndoImport);
    EXPECT_EQ(form->editLabel->text(), QStringLiteral("手入力"));
    EXPECT_EQ(form->gridEdit->cell(0, 1), QStringLiteral("1.500"));
    EXPECT_FALSE(form->mainMenuBaseline->isEnabled());

    // A period holding more lots than a sheet does: the newest 100, and the operator is told.
    clickTab(1);
    loadByFilter(QStringLiteral("内径"), true);
    EXPECT_EQ(lastMessage(), QStringLiteral("期間内の 105 ロットのうち、新しい 100 ロットを読み込みました"));
    EXPECT_EQ(form->spinRow->value(), 100);
    EXPECT_EQ(form->gridCtrl->cell(0, 1), QStringLiteral("C-0006"));
    EXPECT_EQ(form->gridCtrl->cell(0, 100), QStringLiteral("D-0045"));
}

TEST_P(StoreWindowEngines, ABaselineFreezesTheLimitsAndIsAppliedOnEveryEntry)
{
    publishedBefore(kShaft.item, QStringLiteral("A"), 25);
    startWithStore();
    loadByFilter(kShaft.item);
    ASSERT_EQ(form->cmbLimit->currentText(), QStringLiteral("３シグマ法"));
    EXPECT_FALSE(form->pnlStoreBaseline && form->pnlStoreBaseline->isVisible());

    ui.answers.push_back(true);
    answerPrompt(QStringLiteral("初期工程能力調査"));
    chooseMenuItem(form->mainMenuBaseline);
    EXPECT_TRUE(lastQuestion().startsWith(QStringLiteral("A-0001～A-0025 の 25 ロットの管理限界（３シグマ法: X-UCL ")))
        << lastQuestion().toStdString();
    const QString named = QStringLiteral("基準: A-0001～A-0025 の 25 ロット (３シグマ法、");
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("基準を登録しました。\n") + named)) << lastMessage().toStdString();
    const std::optional<Baseline> stored = fresh.open()->baselineInForce(kShaft);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->reason, QStringLiteral("初期工程能力調査"));
    EXPECT_TRUE(model::tryParseNumber(stored->limits.ucl));

    auto applied = [&] {
        EXPECT_EQ(form->cmbLimit->currentText(), QStringLiteral("指定管理値"));
        EXPECT_EQ(form->editUcl->text(), stored->limits.ucl);
        EXPECT_EQ(form->editLcl->text(), stored->limits.lcl);
        EXPECT_EQ(form->editRsUcl->text(), stored->limits.dispersionUcl);
        EXPECT_TRUE(form->pnlStoreBaseline->isVisible() && form->pnlStoreBaseline->text().startsWith(named));
    };
    applied();
    // Entering a sheet resets its limit fields; the loaded sheet gets its baseline back.
    clickTab(1);
    EXPECT_EQ(form->cmbLimit->currentText(), QStringLiteral("３シグマ法"));
    EXPECT_FALSE(form->pnlStoreBaseline->isVisible());
    clickTab(0);
    applied();
    // The judgement uses the frozen limits.
    chooseMenuItem(form->menuExecSpc);
    EXPECT_EQ(form->editUcl->text(), stored->limits.ucl);

    // Under 管理図係数法 X̿ and σ̂ are frozen: a shorter range loaded later is judged by them,
    // each lot's limits for its own size.
    clickTab(1);
    loadByFilter(kShaft.item);
    choose(form->cmbLimit, QStringLiteral("管理図係数法"));
    ui.answers.push_back(true);
    answerPrompt(QStringLiteral("管理図係数法へ変更"));
    chooseMenuItem(form->mainMenuBaseline);
    EXPECT_TRUE(lastQuestion().contains(QStringLiteral("（管理図係数法: X̿ "))) << lastQuestion().toStdString();
    const std::optional<Baseline> standard = fresh.open()->baselineInForce(kShaft);
    ASSERT_TRUE(standard && standard->limits.basis);
    const judge::LimitBasis basis = *standard->limits.basis;
    ui.answers.push_back(true); // the sheet holds the lots loaded before
    loadByFilter(kShaft.item, false, QStringLiteral("10"));
    ASSERT_EQ(form->spinRow->value(), 10);
    const QString frozenUcl = model::formatFixed(basis.centre + 3 * basis.sigma / std::sqrt(3.0), 5);
    EXPECT_EQ(form->cmbLimit->currentText(), QStringLiteral("管理図係数法"));
    EXPECT_EQ(form->editUcl->text(), frozenUcl);
    clickTab(0);
    clickTab(1);
    EXPECT_EQ(form->editUcl->text(), frozenUcl);
    chooseMenuItem(form->menuExecSpc);
    EXPECT_EQ(form->editUcl->text(), frozenUcl);
}

TEST_P(StoreWindowEngines, LotsAnotherStationPublishesAreAnnouncedAndRefreshBringsThemIn)
{
    publishedBefore(kShaft.item, QStringLiteral("A"), 10);
    startWithStore();
    loadByFilter(kShaft.item);
    ASSERT_EQ(form->spinRow->value(), 10);

    // This station publishing the sheet back is no news.
    chooseMenuItem(form->mainMenuPublish);
    EXPECT_EQ(lastMessage(), QStringLiteral("10 ロットを登録しました（新規 0、変更 0、変更なし 10）"));

    QTemporaryDir folder;
    const QString book = folder.filePath(QStringLiteral("line2.xlsx"));
    cli_test::writeWorkbook(book, {sheet(kShaft.item, lots(QStringLiteral("A"), 13))});
    const cli_test::CliResult other = cli_test::runCli({QStringLiteral("store"), QStringLiteral("publish"), book, QStringLiteral("--station"),
                                                        QStringLiteral("検査2"), QStringLiteral("--db"), fresh.db()});
    ASSERT_EQ(other.status, 0) << other.err.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return shows(form->pnlStoreNewLots, QStringLiteral("新しいロットが 3 件あります")); }, 10000));
    ASSERT_TRUE(form->btnStoreRefresh->isVisible());

    // The sheet is as it was loaded: refreshed without a question.
    click(form->btnStoreRefresh);
    EXPECT_EQ(form->spinRow->value(), 13);
    EXPECT_EQ(form->gridCtrl->cell(0, 13), QStringLiteral("A-0013"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form->pnlStoreNewLots->isVisible(); }, 5000));
}

INSTANTIATE_TEST_SUITE_P(Engines, StoreWindowEngines, ::testing::Values(Engine::Embedded, Engine::Server), engineName);
