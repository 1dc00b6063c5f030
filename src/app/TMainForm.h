#pragma once
#include <QMainWindow>
#include <QPointer>

#include "chartmodel/ChartModel.h"
#include "judge/StandardLimits.h"
#include "model/Settings.h"
#include "model/SheetRecord.h"
#include "reports/ReportFiles.h"
#include "ui/Interaction.h"
#include "ui/KeyFilters.h"

#include <memory>

namespace reports {
class ExcelSession;
} // namespace reports
#include <optional>

class QAction;
class QCheckBox;
class QKeyEvent;
class QPainter;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QPushButton;
class QTabBar;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace sheetview {
struct ChainContext;
struct ChainReport;
struct SheetView;
} // namespace sheetview

namespace ui {
struct CellPaint;
class EntryGrid;
class SpinEdit;
class StringGrid;
} // namespace ui

class JournalController;
class StoreController;
class TSplashForm;
class TSheetsForm;
class TAboutForm;
class TLotEditForm;
class TChartForm;
class TOptionForm;
class TSettingForm;

// The main window: one sheet of the workbook at a time, its header fields, the chart
// settings, the command bar and the three pages with the four grids.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Windows created after the main window at start-up.
    void setCompanions(TSplashForm* splash, TSheetsForm* sheets, TAboutForm* about, TLotEditForm* lotEdit);
    // The rule-settings and initial-values dialogs, created after the sheet-count dialog.
    void setSettingsDialogs(TOptionForm* option, TSettingForm* setting);

    model::AppSettings& appSettings() { return settings_.app; }
    model::RuleOptions& ruleOptions() { return settings_.rules; }
    model::SheetStore& sheetStore() { return store_; }
    const QString& fileVersion() const { return fileVersion_; }
    static QString programFolder();

    // Sheet store <-> view.
    void SaveSheet(int index);
    void ResetSheetView();
    void LoadSheet();
    void tabCtrlChanging();
    void tabCtrlChange();
    void ApplyGridLayout();

    // Event handlers.
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void ReadFileVersion();
    void spinRowChange();
    void spinColChange();
    void spinTabChange();
    void ResizeStore(const QString& countText, bool reinitialise);
    void btnAllOnClick();
    void cmbSpecKindChange();
    void btnSpecClearClick();
    void btnResetClick();
    void cmbLimitChange();
    void cmbChartChange();
    void menuSettingSheetsClick();
    // The settings dialogs (TMainFormSettings.cpp).
    void menuSettingInitClick();
    void menuSettingOptionClick();
    void menuFileExitClick();

    // Judgements.
    bool CheckRequiredFields();
    void btnSpecJudgClick();
    void menuExecSpecClick();
    void btn3StdevClick();
    void btnCpkCalcClick();
    void menuExecOperationClick();
    void btnSpcJudgClick();
    void menuExecSpcClick();
    void chkCpCpkClick();
    void gridCalcDrawCell(QPainter& p, const ui::CellPaint& cell);
    void gridSpcDrawCell(QPainter& p, const ui::CellPaint& cell);

    // Reports (TMainFormReports.cpp).
    void btnControlChartClick();
    void menuExecChartClick();
    void btnHistogramClick();
    void menuExecHistClick();
    void btnExcelClick();

    // Editing, focus colours, the lot-number editor and help (TMainFormEditing.cpp).
    void gridEditEnter();
    void gridEditClick();
    bool gridEditKeyDown(QKeyEvent& key);
    bool gridEditKeyPress(QKeyEvent& key);
    void popMenuCutClick();
    void popMenuCopyClick();
    void popMenuPasteClick();
    void popMenuDeleteClick();
    void popMenuAllSelectClick();
    QString gridEditSetEditText(const QString& text);
    void gridEditDrawCell(QPainter& p, const ui::CellPaint& cell) const;
    void gridCtrlEnter();
    void gridCtrlDrawCell(QPainter& p, const ui::CellPaint& cell) const;
    void Set_OnColor(QWidget* field);
    void Set_OffColor(QWidget* field);
    // The character filter of a header or setting field; true when the key is refused.
    bool fieldKeyPress(QWidget* field, QKeyEvent& key);
    std::optional<ui::CharFilter> fieldFilter(const QWidget* field) const;
    void btnLotEditClick();
    void menuHelpManualClick();
    void menuHelpHomeClick();
    void menuHelpAboutClick();

    // Import and export of sheets (TMainFormExchange.cpp).
    void mainMenuCsvSaveClick();
    void mainMenuCsvImportClick();
    void mainMenuXlsSaveClick();
    void mainMenuXlsImportClick();
    // The pause after each CSV file of an export, in milliseconds.
    int csvFilePause = 100;

    // The chart window (TMainFormCharts.cpp).
    void menuExecChartViewClick();
    void menuExecHistViewClick();
    void menuExecStudyViewClick();
    void showChartForm(int page);
    // What the charts and reports of the shown sheet show, built from a copy of its view.
    chartmodel::ChartModel chartModel(const QDateTime& made);
    // Runs the judgement chain and, with a capability result, fills a report from the chart
    // model (reports::fillControlChart, fillHistogram) and hands it to the desktop.
    using ChartReport = QString (*)(reports::ExcelSession&, const reports::ReportFolders&, const QDateTime&,
                                    const chartmodel::ChartModel&, const QString&);
    void chartReport(ChartReport fill);
    void saveChartBounds();
    TChartForm* chartForm() const;

    // The recovery journal (JournalController): the workbook is journaled shortly after
    // every change; after an unclean end the next start offers it back.
    void mainMenuRestoreLastClick();
    void mainMenuUndoImportClick();
    static QString journalPath();
    // Posts the workbook as it is now; the journal's thread commits it.
    void journalNow();
    // Waits until everything posted is committed (tests, benchmarks).
    void journalWaitIdle();
    // Made when the window first shows.
    JournalController* journalController() const { return journal_.get(); }

    // The history store (StoreController, TMainFormStore.cpp): publishing sheets, loading a
    // characteristic's lots into the shown sheet, baselines, the publications not yet sent.
    void menuSettingDatabaseClick();
    void mainMenuPublishClick();
    void mainMenuPublishAllClick();
    void mainMenuLoadClick();
    void mainMenuBaselineClick();
    void mainMenuUnsentClick();
    void btnStoreRefreshClick();
    StoreController* storeController() const { return storeController_.get(); }

    // Selects a sheet tab without the leaving handler, as whole-workbook operations do.
    void selectTab(int index);

    // Controls, named as the operator's documentation names them.
    QTabBar* tabCtrl = nullptr;
    QWidget* pnlHedCtrl = nullptr;
    QLineEdit *editProduct = nullptr, *editProcess = nullptr, *editMbc = nullptr, *editLabel = nullptr,
              *editUnit = nullptr, *editKupper = nullptr, *editKlower = nullptr;
    QComboBox* cmbSpecKind = nullptr;
    ui::SpinEdit* spinKeta = nullptr;
    QPushButton* btnSpecClear = nullptr;
    QComboBox *cmbChart = nullptr, *cmbLimit = nullptr;
    ui::SpinEdit* spinBetWeen = nullptr;
    QPushButton* btn3Stdev = nullptr;
    QLineEdit *editUcl = nullptr, *editLcl = nullptr, *editRsUcl = nullptr;
    QLabel* pnlRsUcl = nullptr;
    QWidget* pnlCommand = nullptr;
    ui::SpinEdit *spinRow = nullptr, *spinCol = nullptr, *spinTab = nullptr;
    QPushButton *btnReset = nullptr, *btnExcel = nullptr, *btnControlChart = nullptr, *btnHistogram = nullptr;
    QTabWidget* pageInput = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
    QPushButton *btnAllOn = nullptr, *btnLotEdit = nullptr, *btnSpecJudg = nullptr;
    QLabel *pnlSpecJudg = nullptr, *pnlCpkJudg = nullptr, *pnlSpcJudg = nullptr;
    QPushButton *btnCpkCalc = nullptr, *btnSpcJudg = nullptr;
    QCheckBox* chkCpCpk = nullptr;
    QComboBox* cmbCpCpk = nullptr;
    QLineEdit* editCpCpk = nullptr;
    QLabel* pnlCpCpk = nullptr;
    // gridCtrl is a ui::TplStringGrid (the enable checks).
    ui::StringGrid *gridCtrl = nullptr, *gridEdit = nullptr, *gridCalc = nullptr, *gridSpc = nullptr;
    QMenu* popMenu = nullptr;
    QAction *popMenuCut = nullptr, *popMenuCopy = nullptr, *popMenuPaste = nullptr, *popMenuDelete = nullptr,
            *popMenuAllSelect = nullptr;

    QAction *mainMenuXlsImport = nullptr, *mainMenuCsvImport = nullptr, *mainMenuXlsSave = nullptr,
            *mainMenuCsvSave = nullptr, *menuFileExit = nullptr;
    QAction *mainMenuRestoreLast = nullptr, *mainMenuUndoImport = nullptr;
    QAction *menuSettingSheets = nullptr, *menuSettingInit = nullptr, *menuSettingOption = nullptr;
    QAction *menuExecSpec = nullptr, *menuExecOperation = nullptr, *menuExecSpc = nullptr, *menuExecChart = nullptr,
            *menuExecHist = nullptr;
    QAction *menuExecChartView = nullptr, *menuExecHistView = nullptr, *menuExecStudyView = nullptr;
    QAction *menuHelpManual = nullptr, *menuHelpHome = nullptr, *menuHelpAbout = nullptr;
    QAction *mainMenuPublish = nullptr, *mainMenuPublishAll = nullptr, *mainMenuLoad = nullptr, *mainMenuBaseline = nullptr,
            *mainMenuUnsent = nullptr, *menuSettingDatabase = nullptr;
    // The status bar's parts of the history store, made when there is something to show: the
    // baseline applied, the live note and its refresh, the publications not yet sent.
    QLabel *pnlStoreBaseline = nullptr, *pnlStoreNewLots = nullptr;
    QToolButton *btnStoreRefresh = nullptr, *btnStoreUnsent = nullptr;

    bool specJudged = false;
    bool capabilityJudged = false;
    // The SPC grid's marks belong to the result grid's rows: set by an SPC judgement that
    // wrote all its marks, cleared when the result grid is rebuilt or the results cleared.
    bool spcJudged = false;

    // The report templates beside the executable and the user's folder of the filled copies.
    reports::ReportFolders reportFolders = reports::ReportFolders::forProgram(programFolder());

    // Sets a result panel: empty, "合格" in lime or "不合格" in red.
    static void setJudgement(QLabel* panel, const QString& caption, bool pass);

signals:
    // The shown sheet's results or control limits may have changed: a judgement ran, a
    // sheet was entered or the results were cleared. The chart window redraws.
    void resultsChanged();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildHeader(QWidget* parent);
    void buildPages(QWidget* parent);
    void connectHandlers();
    // Connects a signal to a handler; an error the handler lets through reaches the standard error box.
    template <typename Sender, typename Signal>
    void on(Sender* sender, Signal signal, void (TMainForm::*handler)())
    {
        connect(sender, signal, this, [this, handler] { ui::guarded(this, [&] { (this->*handler)(); }); });
    }
    void connectEditingHandlers();
    void connectExchangeHandlers();
    void connectStoreHandlers();
    bool FormKeyPress(QObject* receiver, int key);
    // The shown sheet as the core's sheet view for one step (MainFormView.h).
    class ViewLoan;
    // Runs a stage of the judgement chain on the shown sheet and shows what it reported.
    using ChainStage = void (*)(sheetview::SheetView&, const sheetview::ChainContext&, sheetview::ChainReport&);
    void runChain(ChainStage stage);
    void showChainReport(const sheetview::ChainReport& report);

    friend class JournalController;
    friend class StoreController;
    void startJournal();
    void closeJournal();
    // Before an operation replaces the whole workbook (sheet -1) or one sheet.
    void journalBeforeReplace(int sheet);

    model::StoredSettings settings_;
    model::SheetStore store_;
    QString fileVersion_;
    int shownTab_ = -1;
    // Set while an import enters the sheets it has read: it names their limits that are not numbers itself.
    bool importNamesLimits_ = false;
    bool shown_ = false;
    QPointer<TSplashForm> splash_;
    QPointer<TSheetsForm> sheetsForm_;
    QPointer<TAboutForm> aboutForm_;
    QPointer<TLotEditForm> lotEditForm_;
    // The measurement grid's entering, Enter and context menu (the lot-number editor's too).
    ui::EntryGrid* gridEditEntry_ = nullptr;
    QPointer<TChartForm> chartForm_;
    QPointer<TOptionForm> optionForm_;
    QPointer<TSettingForm> settingForm_;
    std::unique_ptr<JournalController> journal_;
    std::unique_ptr<StoreController> storeController_;
    // X̿ and σ̂ a baseline froze for the shown sheet under 管理図係数法; entering a sheet clears it.
    std::optional<judge::LimitBasis> limitBasis_;
};
