// The recovery journal through the real window: what an unclean end, a normal close, an
// import and a reset leave to bring back, and a journal that cannot be used.
#include "MainFormFixture.h"

#include "app/JournalController.h"
#include "dialogs/SessionChoiceDialog.h"
#include "exchange/CsvWriter.h"
#include "journal/Journal.h"
#include "journal/Workbook.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

namespace {

const QString kGuidance = QStringLiteral("ガイドメッセージ");
const QString kUncleanQuestion = QStringLiteral("前回は正常に終了しませんでした。入力途中のデータを復元しますか？");

class JournalWindowTest : public MainFormTest {
protected:
    // Starts the window and lets it come onto the screen: what it offers, it offers then.
    void startShown()
    {
        start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    // Lets the change reach the journal the way it does while the operator works: the
    // window's own wait of under a second, then the commit.
    void settle()
    {
        QTest::qWait(form->journalController()->delay + 100);
        form->journalWaitIdle();
    }
    // The program ends without closing its window: killed, crashed or the power gone.
    void endUncleanly()
    {
        settle();
        form.reset();
        ui.messages.clear();
        ui.questions.clear();
    }
    void closeNormally()
    {
        settle();
        form->close();
        form.reset();
        ui.messages.clear();
        ui.questions.clear();
    }
    std::vector<model::SheetRecord> records() const
    {
        std::vector<model::SheetRecord> out;
        for (int i = 0; i < form->sheetStore().count(); ++i) out.push_back(form->sheetStore()[i]);
        return out;
    }
    QStringList captions() const
    {
        QStringList out;
        for (int i = 0; i < form->tabCtrl->count(); ++i) out << form->tabCtrl->tabText(i);
        return out;
    }
    void typeInto(int col, int row, const QString& text)
    {
        form->gridEdit->setFocus();
        form->gridEdit->setCurrentCell(col, row);
        QApplication::processEvents();
        typeKeys(text);
    }
    QAction* fileItem(const QString& text) const
    {
        for (QAction* a : form->menuFileExit->associatedObjects().isEmpty()
                              ? QList<QAction*>{}
                              : qobject_cast<QMenu*>(form->menuFileExit->associatedObjects().front())->actions())
            if (a->text() == text) return a;
        return nullptr;
    }
};

TEST_F(JournalWindowTest, AfterAnUncleanEndTheWorkbookComesBackAsItWasTyped)
{
    start();
    type(form->editProduct, "Shaft");
    clickTab(2);
    form->editLabel->setFocus();
    QTest::keyClick(form->editLabel, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form->editLabel, "Bore");
    form->cmbLimit->setFocus();
    QTest::keyClick(form->cmbLimit, Qt::Key_Down); // 指定管理値
    type(form->editUcl, "10.4");
    typeInto(1, 2, "9.75");
    ASSERT_TRUE(form->gridEdit->isEditing()); // still pending when the program dies
    settle();
    std::vector<model::SheetRecord> expected = records();
    form->SaveSheet(2); // the shown sheet as the journal took it
    expected[2] = form->sheetStore()[2];
    const QStringList expectedCaptions = captions();
    endUncleanly();

    ui.answers = {true};
    startShown();
    ASSERT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(ui.questions[0].text, kUncleanQuestion);
    EXPECT_EQ(ui.questions[0].caption, kGuidance);
    EXPECT_EQ(ui.questions[0].defaultAnswer, ui::DefaultAnswer::Yes);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("3 シートのデータを復元しました。"));
    EXPECT_EQ(records(), expected);
    EXPECT_EQ(captions(), expectedCaptions);
    EXPECT_EQ(form->tabCtrl->currentIndex(), 2);
    EXPECT_EQ(form->editLabel->text(), "Bore");
    EXPECT_EQ(form->gridEdit->cell(1, 2), "9.750");
    EXPECT_EQ(form->cmbLimit->currentIndex(), 1);
    EXPECT_FALSE(form->editUcl->isReadOnly());
    EXPECT_EQ(form->editUcl->text(), "10.4");
    clickTab(0);
    EXPECT_EQ(form->editProduct->text(), "Shaft");

    // Ended uncleanly again, and this time the operator says no: the program starts as
    // it always does, and asks no more after that.
    endUncleanly();
    ui.answers = {false};
    startShown();
    ASSERT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(ui.questions[0].text, kUncleanQuestion);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(form->editProduct->text(), "");
    EXPECT_EQ(captions(), (QStringList{"Sheet1", "Sheet2", "Sheet3"}));
    closeNormally();
    startShown();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.questions.isEmpty());
}

TEST_F(JournalWindowTest, AfterANormalCloseTheMenuOpensThePreviousWorkbook)
{
    start();
    typeInto(0, 1, "1.5");
    type(form->editProduct, "Gear");
    settle();
    std::vector<model::SheetRecord> expected = records();
    form->SaveSheet(0);
    expected[0] = form->sheetStore()[0];
    closeNormally();

    startShown();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(ui.questions.isEmpty()) << "a normal close asks nothing";
    EXPECT_FALSE(form->findChild<QStatusBar*>()) << "a journal that works shows nothing";
    QAction* restore = fileItem(QStringLiteral("前回終了時のデータを開く(&R)"));
    ASSERT_TRUE(restore);
    // Data typed in this session: the operator is asked first, and "no" keeps it.
    typeInto(2, 5, "3");
    ui.answers = {false};
    chooseMenuItem(restore);
    ASSERT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(ui.questions[0].icon, ui::MessageIcon::Warning);
    EXPECT_EQ(form->gridEdit->cell(2, 5), "3");
    ui.answers = {true};
    chooseMenuItem(restore);
    EXPECT_EQ(records(), expected);
    EXPECT_EQ(form->editProduct->text(), "Gear");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "1.500");
    EXPECT_EQ(ui.messages.last().text, QStringLiteral("3 シートのデータを復元しました。"));
}

TEST_F(JournalWindowTest, TheDataAnImportOrAResetReplacedComesBack)
{
    start();
    type(form->editProduct, "Typed");
    typeInto(0, 1, "2.5");
    QTemporaryDir dir;
    model::SheetRecord imported = form->sheetStore()[1];
    imported.item = "Imported";
    imported.dataLines = QStringList{"K1,7"};
    imported.enableFlags = QStringList{"1"};
    const QString csv = dir.filePath("one.csv");
    exchange::WriteSheetCsv(csv, imported, 1, exchange::csvHeadingLine("Lot", {"N1", "N2", "N3"}));
    QAction* undo = fileItem(QStringLiteral("取り込み前のデータに戻す(&U)"));
    ASSERT_TRUE(undo);
    EXPECT_FALSE(undo->isEnabled()) << "nothing replaced yet";

    ui.fileAnswers.push_back(csv);
    chooseMenuItem(form->mainMenuCsvImport);
    ASSERT_EQ(form->editLabel->text(), "Imported");
    EXPECT_TRUE(undo->isEnabled());
    chooseMenuItem(undo);
    EXPECT_EQ(form->editProduct->text(), "Typed");
    EXPECT_EQ(form->gridEdit->cell(0, 1), "2.500");
    EXPECT_EQ(form->tabCtrl->tabText(0), "Sheet1");
    // The command undoes itself: the imported sheet again.
    chooseMenuItem(undo);
    EXPECT_EQ(form->editLabel->text(), "Imported");
    chooseMenuItem(undo);

    // The full reset: every sheet comes back, the shown one as it was shown.
    clickTab(1);
    type(form->editProduct, "Second");
    const std::vector<model::SheetRecord> before = [&] {
        form->SaveSheet(1);
        return records();
    }();
    QTest::mouseClick(form->btnReset, Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_EQ(form->editProduct->text(), "");
    chooseMenuItem(undo);
    EXPECT_EQ(records(), before);
    EXPECT_EQ(form->tabCtrl->currentIndex(), 1);
    EXPECT_EQ(form->editProduct->text(), "Second");
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(JournalWindowTest, AHundredFullSheetsComeBackRecordForRecord)
{
    start();
    form->spinTab->setText("100"); // the count as the sheet-count dialog sets it
    ASSERT_EQ(form->sheetStore().count(), 100);
    for (int s = 0; s < 100; ++s) {
        model::SheetRecord& r = form->sheetStore()[s];
        r.product = QStringLiteral("品種%1 \"引用\"").arg(s);
        r.lotCount = 100;
        r.measurementCount = 100;
        r.enableFlags.clear();
        r.dataLines.clear();
        for (int lot = 1; lot <= 100; ++lot) {
            QString line = QStringLiteral("L%1-%2").arg(s).arg(lot);
            for (int m = 0; m < 100; ++m) line += (m + lot + s) % 17 ? QStringLiteral(",%1").arg(9 + (m * lot % 200) / 100.0) : QStringLiteral(",");
            r.enableFlags << ((lot + s) % 5 ? QStringLiteral("1") : QStringLiteral("0"));
            r.dataLines << line;
        }
    }
    clickTab(57);
    settle();
    form->SaveSheet(57);
    const std::vector<model::SheetRecord> expected = records();
    endUncleanly();

    ui.answers = {true};
    startShown();
    EXPECT_EQ(ui.questions.size(), 1);
    EXPECT_EQ(ui.messages.size(), 1);
    ASSERT_EQ(form->sheetStore().count(), 100);
    for (int s = 0; s < 100; ++s)
        ASSERT_EQ(journal::encodeRecord(form->sheetStore()[s]), journal::encodeRecord(expected[size_t(s)])) << "sheet " << s;
    EXPECT_EQ(form->tabCtrl->currentIndex(), 57);
}

TEST_F(JournalWindowTest, AJournalThatCannotBeUsedLeavesAWarningAndTheProgramWorking)
{
    // A damaged journal is set aside and a new one started.
    const QString path = TMainForm::journalPath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    startShown();
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(form->statusBar()->currentMessage().contains(QStringLiteral("新しく作り直しました")))
        << form->statusBar()->currentMessage().toStdString();
    type(form->editProduct, "Kept");
    endUncleanly();
    ui.answers = {true};
    startShown();
    EXPECT_EQ(form->editProduct->text(), "Kept");
    closeNormally();

    // No journal can be written at all: a warning in the status bar, and the window works.
    const QByteArray home = qgetenv("XDG_DATA_HOME");
    QFile block(settingsDir.filePath("block"));
    ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    block.close();
    qputenv("XDG_DATA_HOME", settingsDir.filePath("block").toLocal8Bit());
    startShown();
    qputenv("XDG_DATA_HOME", home);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_TRUE(form->statusBar()->currentMessage().contains(QStringLiteral("復元用データを書き込めません")));
    type(form->editProduct, "Works");
    clickTab(1);
    clickTab(0);
    EXPECT_EQ(form->editProduct->text(), "Works");
    EXPECT_TRUE(ui.messages.isEmpty());
}

// A sheet of the XbarS chart comes back with the S side's captions, label, hint and page
// caption, after the restore at the start and after an undone import; the question at the
// start comes with the window on the screen and はい as its default.
TEST_F(JournalWindowTest, ARestoredXbarSSheetIsLaidOutForS)
{
    start();
    choose(form->cmbChart, QStringLiteral("XbarS管理図"));
    ASSERT_EQ(form->pnlRsUcl->text(), "S-UCL");
    typeInto(0, 1, "4.5");
    endUncleanly();

    // Qt's own message boxes, answered with Enter as the operator would.
    ui::setInteraction(nullptr);
    struct Shown {
        QString text, defaultButton;
        bool windowOnScreen = false;
    };
    QList<Shown> shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        QWindow* main = form ? form->windowHandle() : nullptr;
        shown.append({box->text(), box->defaultButton() ? box->defaultButton()->text() : QString(),
                      main && main->isExposed() && form->isVisible()});
        QTest::keyClick(box, Qt::Key_Return);
    });
    poll.start(20);
    start();
    const bool answered = QTest::qWaitFor([&] { return shown.size() >= 2; }, 10000);
    poll.stop();
    ui::setInteraction(&ui);
    ASSERT_TRUE(answered) << shown.size();
    EXPECT_EQ(shown[0].text, kUncleanQuestion);
    EXPECT_EQ(shown[0].defaultButton, QStringLiteral("はい(&Y)"));
    EXPECT_TRUE(shown[0].windowOnScreen) << "asked before the window was on the screen";
    EXPECT_EQ(shown[1].text, QStringLiteral("3 シートのデータを復元しました。"));

    auto expectLaidOutForS = [&] {
        const QString side = "S";
        EXPECT_EQ(form->cmbChart->currentText(), QStringLiteral("XbarS管理図"));
        EXPECT_EQ(form->pnlRsUcl->text(), side + "-UCL");
        EXPECT_EQ(form->editRsUcl->toolTip(), QStringLiteral("「%1-管理限界上限値」を入力してください。").arg(side));
        EXPECT_EQ(form->pageInput->tabText(2), QStringLiteral("SPC異常判定(X側-%1側)").arg(side));
        for (int rule = 0; rule < 8; ++rule)
            EXPECT_EQ(form->gridSpc->cell(9 + rule, 0), side + QChar(0x2460 + rule)); // ①…⑧
    };
    EXPECT_EQ(form->gridEdit->cell(0, 1), "4.500");
    expectLaidOutForS();

    // An import into the shown sheet enters it with the initial chart kind; undoing it brings
    // back the sheet as it was shown, XbarS.
    QTemporaryDir dir;
    model::SheetRecord imported = form->sheetStore()[0];
    imported.item = "Imported";
    const QString csv = dir.filePath("one.csv");
    exchange::WriteSheetCsv(csv, imported, 1, exchange::csvHeadingLine("Lot", {"N1", "N2", "N3"}));
    ui.fileAnswers.push_back(csv);
    chooseMenuItem(form->mainMenuCsvImport);
    ASSERT_EQ(form->editLabel->text(), "Imported");
    ASSERT_NE(form->pnlRsUcl->text(), "S-UCL");
    chooseMenuItem(form->mainMenuUndoImport);
    EXPECT_EQ(form->editLabel->text(), "Sheet1");
    expectLaidOutForS();
}

// Two copies of one account ended without closing: the next start offers both, and the
// operator chooses which comes back; the menu opens either later.
TEST_F(JournalWindowTest, SeveralCrashedSessionsAreListedAndTheOperatorChooses)
{
    auto workbook = [](const QString& product, int sheets) {
        journal::Workbook b;
        for (int i = 0; i < sheets; ++i) {
            model::SheetRecord r;
            r.product = product;
            r.item = QStringLiteral("%1-%2").arg(product).arg(i + 1);
            r.digits = "3";
            r.lotCount = 10;
            r.measurementCount = 5;
            r.dataLines = QStringList{QStringLiteral("K001,%1").arg(i + 1)};
            r.enableFlags = QStringList{"1"};
            b.sheets.push_back(r);
            b.captions << r.item;
        }
        return b;
    };
    ASSERT_TRUE(QDir().mkpath(QFileInfo(TMainForm::journalPath()).absolutePath()));
    {
        auto first = journal::Journal::open(TMainForm::journalPath(), "quorvane", "line-1 (:0)");
        first->write(workbook("Early", 2));
        QTest::qWait(20); // the later copy's last commit is later
        auto second = journal::Journal::open(TMainForm::journalPath(), "quorvane", "line-1 (:1)");
        second->write(workbook("Late", 4));
    } // both end without closing

    QList<QStringList> listed;
    auto chooseRow = [&](int row) {
        return [&, row](QDialog& d) {
            auto* list = static_cast<SessionChoiceDialog&>(d).listSessions;
            listed.clear();
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QStringList texts;
                for (int c = 0; c < list->columnCount(); ++c) texts << list->topLevelItem(i)->text(c);
                listed << texts;
            }
            list->setFocus();
            for (int i = 0; i < row; ++i) QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
            return d.result();
        };
    };
    ui.answers = {true};
    ui.dialogScripts.push_back(chooseRow(1));
    startShown();
    ASSERT_EQ(ui.questions.size(), 1);
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].mid(1), (QStringList{"line-1 (:1)", "4", "異常終了"}));
    EXPECT_EQ(listed[1].mid(1), (QStringList{"line-1 (:0)", "2", "異常終了"}));
    EXPECT_TRUE(QDateTime::fromString(listed[1][0], "yyyy/MM/dd HH:mm:ss").isValid()) << listed[1][0].toStdString();
    EXPECT_EQ(ui.messages.last().text, QStringLiteral("2 シートのデータを復元しました。"));
    EXPECT_EQ(form->editProduct->text(), "Early");
    EXPECT_EQ(form->tabCtrl->count(), 2);

    // The other one is still there to open; what is on the screen is asked for first.
    ui.dialogScripts.push_back(chooseRow(0));
    ui.answers = {true};
    chooseMenuItem(form->mainMenuRestoreLast);
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(ui.questions.size(), 2) << "the data on the screen is replaced only when the operator agrees";
    EXPECT_EQ(form->editProduct->text(), "Late");
    EXPECT_EQ(form->tabCtrl->count(), 4);

    // Cancelling the list changes nothing.
    ui.dialogScripts.push_back([](QDialog& d) {
        QTest::mouseClick(static_cast<SessionChoiceDialog&>(d).btnCancel, Qt::LeftButton);
        return d.result();
    });
    chooseMenuItem(form->mainMenuRestoreLast);
    EXPECT_EQ(form->editProduct->text(), "Late");
    EXPECT_TRUE(ui.dialogScripts.empty());

    // Both were offered: the next start asks nothing.
    closeNormally();
    startShown();
    EXPECT_TRUE(ui.questions.isEmpty());
}

} // namespace
