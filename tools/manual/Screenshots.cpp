#include "Screenshots.h"

#include "ToolInteraction.h"
#include "WindowPictures.h"

#include "app/ProgramWindows.h"
#include "app/TMainForm.h"
#include "charts/TChartForm.h"
#include "dialogs/TDatabaseForm.h"
#include "dialogs/TPromptForm.h"
#include "dialogs/TStoreLoadForm.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <stdexcept>

namespace manual {

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

QRect rectIn(QWidget* w, QWidget* window) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); }

QGroupBox* groupTitled(QWidget* window, const QString& title)
{
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        if (g->title() == title) return g;
    throw std::runtime_error("no group " + title.toStdString());
}

class Session {
public:
    Session(const QString& samples, const QString& out) : samples_(samples), out_(out)
    {
        form_ = createProgramWindows().main;
        form_->show();
        QApplication::setActiveWindow(form_.get());
        settle();
    }
    ~Session()
    {
        form_->close();
        form_.reset();
    }

    QStringList run()
    {
        save("start-window", framedWindow(form_.get()));

        importWorkbook();
        menus();
        measurementPage();
        capabilityPage();
        spcPages();
        chartWindow();
        dialogs();
        historyStore();
        return written_;
    }

private:
    TMainForm& f() { return *form_; }

    void save(const QString& name, const QImage& picture)
    {
        const QString file = name + QStringLiteral(".png");
        if (!picture.save(QDir(out_).filePath(file))) throw std::runtime_error("cannot write " + file.toStdString());
        written_.append(file);
    }
    void expectNoMessage(const char* step)
    {
        if (ui_.messages.isEmpty()) return;
        const ui::Message m = ui_.messages.front();
        throw std::runtime_error(std::string(step) + ": the window showed \"" + m.text.toStdString() + "\"");
    }
    void click(QWidget* w)
    {
        QTest::mouseClick(w, Qt::LeftButton);
        settle();
    }
    void clickTab(int index)
    {
        QTest::mouseClick(f().tabCtrl, Qt::LeftButton, {}, f().tabCtrl->tabRect(index).center());
        settle();
    }
    // The operator's click on a grid cell.
    void clickCell(ui::StringGrid* grid, int col, int row)
    {
        const QRect r = grid->visualRect(grid->model()->index(row - grid->fixedRows(), col - grid->fixedCols()));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
        settle();
    }
    void require(bool condition, const char* what)
    {
        if (!condition) throw std::runtime_error(std::string("the window does not show ") + what);
    }

    void importWorkbook()
    {
        ui_.fileAnswers.push_back(QDir(samples_).filePath(QStringLiteral("SampleWorkbook.xlsx")));
        f().mainMenuXlsImport->trigger();
        settle();
        expectNoMessage("importing the sample workbook");
        require(f().tabCtrl->count() == 3, "the three sample sheets");
    }

    void menus()
    {
        QList<QImage> pictures;
        for (QAction* a : f().menuBar()->actions()) {
            QMenu* menu = a->menu();
            if (!menu) continue;
            menu->popup(f().mapToGlobal(QPoint(0, 0)));
            settle();
            // The menu's title over the menu, as it opens from the menu bar.
            const QImage items = widgetPicture(menu);
            QImage titled(items.width(), items.height() + int(26 * items.devicePixelRatio()), QImage::Format_ARGB32_Premultiplied);
            titled.setDevicePixelRatio(items.devicePixelRatio());
            titled.fill(Qt::white);
            {
                QPainter p(&titled);
                QFont font = f().menuBar()->font();
                font.setBold(true);
                p.setFont(font);
                p.setPen(Qt::black);
                p.drawText(QRect(8, 0, 300, 24), Qt::AlignVCenter | Qt::AlignLeft, a->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)"))));
                p.drawImage(QPoint(0, 26), items);
            }
            pictures.append(titled);
            menu->hide();
            settle();
        }
        save("menus", sideBySide(pictures, 24));
    }

    void measurementPage()
    {
        clickTab(0);
        click(f().btnSpecJudg);
        expectNoMessage("the specification judgement of sheet 1");
        require(f().pnlSpecJudg->text() == QStringLiteral("不合格"), "sheet 1 failing its specification");
        // Bring the lot with the value above the limit into view.
        f().gridEdit->setTopRow(9);
        f().tabCtrl->setFocus();
        settle();

        QWidget* window = form_.get();
        const int bar = titleBarHeight();
        const QImage framed = framedWindow(window);
        save("main-window", framed);
        const QRect page1Bar = rectIn(f().btnAllOn, window).united(rectIn(f().pnlSpecJudg, window)).adjusted(-3, -3, 3, 3);
        save("main-window-parts",
             withMarks(framed,
                       {{rectIn(f().menuBar(), window), 1},
                        {rectIn(f().tabCtrl, window), 2},
                        {rectIn(groupTitled(window, QStringLiteral("項目間情報設定")), window), 3},
                        {rectIn(groupTitled(window, QStringLiteral("管理図＆ヒストグラム設定")), window), 4},
                        {rectIn(f().pnlCommand, window), 5},
                        {rectIn(f().pageInput->tabBar(), window), 6},
                        {page1Bar, 7},
                        {rectIn(f().gridCtrl, window), 8},
                        {rectIn(f().gridEdit, window), 9}},
                       QPoint(1, bar)));
        save("header", widgetPicture(f().pnlHedCtrl));

        // A lot switched off with its check box, as the operator does it, then on again.
        clickCell(f().gridCtrl, 1, 12);
        require(!f().gridCtrl->flag(1, 12), "a disabled lot");
        f().tabCtrl->setFocus();
        settle();
        save("input-page", widgetPicture(f().pageInput));
        clickCell(f().gridCtrl, 1, 12);
        require(f().gridCtrl->flag(1, 12), "the lot enabled again");

        // The measurement grid's context menu.
        f().gridEdit->setFocus();
        f().popMenu->popup(f().gridEdit->mapToGlobal(QPoint(80, 60)));
        settle();
        save("context-menu", widgetPicture(f().popMenu));
        f().popMenu->hide();
        settle();
    }

    void capabilityPage()
    {
        f().menuExecOperation->trigger();
        settle();
        expectNoMessage("the capability judgement of sheet 1");
        require(f().pageInput->currentIndex() == 1 && !f().pnlCpkJudg->text().isEmpty(), "the capability page");
        f().gridCalc->setTopRow(9);
        f().tabCtrl->setFocus();
        settle();
        save("capability-page", widgetPicture(f().pageInput));
    }

    void spcPages()
    {
        clickTab(1);
        f().menuExecSpc->trigger();
        settle();
        expectNoMessage("the SPC judgement of sheet 2");
        require(f().pnlSpcJudg->text() == QStringLiteral("不合格"), "sheet 2 failing its SPC judgement");
        f().gridSpc->setTopRow(28);
        f().tabCtrl->setFocus();
        settle();
        save("spc-page", widgetPicture(f().pageInput));
        save("control-limits", widgetPicture(groupTitled(form_.get(), QStringLiteral("管理図＆ヒストグラム設定"))));

        clickTab(2);
        f().menuExecSpc->trigger();
        settle();
        expectNoMessage("the SPC judgement of sheet 3");
        require(f().pnlSpecJudg->text() == QStringLiteral("合格") && f().pnlCpkJudg->text() == QStringLiteral("合格") &&
                    f().pnlSpcJudg->text() == QStringLiteral("合格"),
                "sheet 3 passing every judgement");
        f().tabCtrl->setFocus();
        settle();
        save("spc-page-pass", widgetPicture(f().pageInput));
        clickTab(0);
    }

    // The chart window as the commands of the 実行 menu open it.
    void chartWindow()
    {
        clickTab(1);
        f().menuExecChartView->trigger();
        settle();
        expectNoMessage("showing the control chart of sheet 2");
        TChartForm* charts = f().chartForm();
        require(charts && charts->isVisible(), "the chart window");
        QTest::qWait(100); // the charts lay out once the window has its size
        settle();
        save("chart-window", framedWindow(charts));

        clickTab(0);
        f().menuExecHistView->trigger();
        settle();
        expectNoMessage("showing the histogram of sheet 1");
        QTest::qWait(100);
        settle();
        save("histogram-window", framedWindow(charts));

        // The skewed roughness of sheet 2 with the distribution chosen on the study page.
        clickTab(1);
        f().menuExecStudyView->trigger();
        settle();
        expectNoMessage("showing the capability study of sheet 2");
        charts->cmbDistribution->setCurrentIndex(charts->cmbDistribution->findText(QStringLiteral("自動選択")));
        charts->cmbDistributionChange();
        QTest::qWait(100);
        settle();
        require(!charts->tblStudyFit->isHidden(), "the fitted distribution's figures");
        save("study-window", framedWindow(charts));
        charts->close();
        settle();
    }

    // Each dialog is pictured as it opens and then cancelled.
    void dialog(QAction* command, const QString& name)
    {
        ui_.onDialog = [this, name](QDialog& d) {
            settle();
            save(name, framedWindow(&d));
            return int(QDialog::Rejected);
        };
        command->trigger();
        settle();
        ui_.onDialog = nullptr;
        require(written_.contains(name + QStringLiteral(".png")), qPrintable(name));
    }

    void dialogs()
    {
        dialog(f().menuSettingSheets, QStringLiteral("sheets-dialog"));
        dialog(f().menuSettingOption, QStringLiteral("rules-dialog"));
        dialog(f().menuSettingInit, QStringLiteral("settings-dialog"));
        QAction lotEdit;
        QObject::connect(&lotEdit, &QAction::triggered, f().btnLotEdit, &QPushButton::click);
        dialog(&lotEdit, QStringLiteral("lot-edit-dialog"));
        dialog(f().menuHelpAbout, QStringLiteral("about-dialog"));
    }

    // The settings dialog answered by `fill`, then OK.
    void storeSettings(const std::function<void(TDatabaseForm&)>& fill)
    {
        ui_.onDialog = [fill](QDialog& d) {
            fill(dynamic_cast<TDatabaseForm&>(d));
            return int(QDialog::Accepted);
        };
        f().menuSettingDatabase->trigger();
        settle();
        ui_.onDialog = nullptr;
    }
    // The one message a step shows, which it must show; then forgotten.
    void expectMessage(const char* step, const QString& text)
    {
        const bool shown = ui_.messages.size() == 1 && ui_.messages.front().text.contains(text);
        if (!shown) expectNoMessage(step);
        if (!shown) throw std::runtime_error(std::string(step) + ": no message");
        ui_.messages.clear();
    }

    // The history store on an embedded store the session makes in its own data folder: the
    // settings (pictured as a plant's station fills them in), publishing, loading, a baseline,
    // then a server out of reach and the publication that waits on this PC.
    void historyStore()
    {
        storeSettings([this](TDatabaseForm& d) {
            d.rbServer->setChecked(true);
            d.editHost->setText(QStringLiteral("spc-db.factory.local"));
            d.editPort->setText(QStringLiteral("5432"));
            d.editDatabase->setText(QStringLiteral("quorvane"));
            d.editUser->setText(QStringLiteral("line2_station"));
            d.cmbSslMode->setCurrentText(QStringLiteral("verify-full"));
            d.editStation->setText(QStringLiteral("2号ライン検査"));
            // Where an operator's own data folder keeps it, not this session's temporary one.
            d.lblFile->setText(QStringLiteral("~/.local/share/Mirelda/Quorvane/history.sqlite"));
            settle();
            save(QStringLiteral("database-dialog"), framedWindow(&d));
            d.rbEmbedded->setChecked(true);
        });
        expectNoMessage("choosing the embedded store");

        f().mainMenuPublishAll->trigger();
        settle();
        expectMessage("publishing the sample sheets", QStringLiteral("ロットを登録しました（新規 "));

        // Sheet 2's characteristic into sheet 1, which holds data: the question is answered yes.
        clickTab(0);
        const QString item = f().sheetStore()[1].item;
        ui_.answers.push_back(true);
        ui_.onDialog = [this, item](QDialog& d) {
            auto& load = dynamic_cast<TStoreLoadForm&>(d);
            settle();
            save(QStringLiteral("load-dialog"), framedWindow(&d));
            load.editFilter->setText(item);
            return load.chosen() ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        f().mainMenuLoad->trigger();
        settle();
        ui_.onDialog = nullptr;
        require(f().editLabel->text() == item && f().tabCtrl->tabText(0) == item, "the characteristic loaded into sheet 1");
        expectMessage("loading from the store", QStringLiteral("現在のシートのデータは"));

        ui_.answers.push_back(true);
        ui_.onDialog = [this](QDialog& d) {
            dynamic_cast<TPromptForm&>(d).editAnswer->setText(QStringLiteral("工程改善後の初期工程能力調査"));
            settle();
            save(QStringLiteral("baseline-reason"), framedWindow(&d));
            return int(QDialog::Accepted);
        };
        f().mainMenuBaseline->trigger();
        settle();
        ui_.onDialog = nullptr;
        require(ui_.messages.size() == 2 && ui_.messages.back().text.startsWith(QStringLiteral("基準を登録しました。")), "the baseline set");
        ui_.messages.clear();
        f().tabCtrl->setFocus();
        settle();
        save(QStringLiteral("history-sheet"), framedWindow(form_.get()));

        // A server that cannot be reached: the publication is kept on this PC until it can.
        storeSettings([this](TDatabaseForm& d) {
            d.rbServer->setChecked(true);
            d.editHost->setText(QDir(out_).filePath(QStringLiteral("no-server")));
            d.editDatabase->setText(QStringLiteral("quorvane"));
            d.editUser->setText(QStringLiteral("line2_station"));
        });
        clickTab(2);
        f().mainMenuPublish->trigger();
        settle();
        expectMessage("publishing with the server out of reach", QStringLiteral("データベースサーバーに接続できないため"));
        require(QTest::qWaitFor([this] { return f().btnStoreUnsent && f().btnStoreUnsent->isVisible(); }, 10000), "the unsent lots");
        // The status bar's right end, where the store's notes are.
        const QImage bar = widgetPicture(f().statusBar());
        const int width = int(420 * bar.devicePixelRatio());
        save(QStringLiteral("unsent-status"), bar.copy(bar.width() - width, 0, width, bar.height()));
        ui_.onDialog = [this](QDialog& d) {
            settle();
            save(QStringLiteral("unsent-dialog"), framedWindow(&d));
            return int(QDialog::Rejected);
        };
        f().mainMenuUnsent->trigger();
        settle();
        ui_.onDialog = nullptr;
        require(written_.contains(QStringLiteral("unsent-dialog.png")), "the unsent list");
    }

    QString samples_, out_;
    ToolInteraction ui_;
    std::unique_ptr<TMainForm> form_;
    QStringList written_;
};

} // namespace

QStringList takeScreenshots(const QString& sampleFolder, const QString& outFolder)
{
    if (!QDir().mkpath(outFolder)) throw std::runtime_error("cannot create " + outFolder.toStdString());
    Session session(sampleFolder, outFolder);
    return session.run();
}

} // namespace manual
