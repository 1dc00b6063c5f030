#include "app/TMainForm.h"

#include "app/JournalController.h"
#include "app/StoreController.h"
#include "app/TSplashForm.h"
#include "app/Version.h"
#include "dialogs/TAboutForm.h"
#include "dialogs/TLotEditForm.h"
#include "dialogs/TOptionForm.h"
#include "dialogs/TSettingForm.h"
#include "dialogs/TSheetsForm.h"
#include "model/FileSafety.h"
#include "model/UserFolders.h"
#include "sheetview/SheetView.h"
#include "sheetview/ViewTexts.h"
#include "ui/FilteredLineEdit.h"
#include "ui/Interaction.h"
#include "ui/Look.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"
#include "ui/TplStringGrid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel* label(const QString& text, QWidget* parent, bool blue = false)
{
    auto* l = new QLabel(text, parent);
    if (blue) l->setStyleSheet(QStringLiteral("color: blue;"));
    return l;
}

QLineEdit* edit(QWidget* parent, int maxLength, const QString& hint, Qt::Alignment align)
{
    auto* e = new ui::FilteredLineEdit(parent);
    e->setMaxInput(maxLength);
    e->setToolTip(hint);
    e->setAlignment(align | Qt::AlignVCenter);
    return e;
}

QComboBox* list(QWidget* parent, const QStringList& items, const QString& hint)
{
    auto* c = new QComboBox(parent);
    c->addItems(items);
    c->setEditable(false);
    c->setToolTip(hint);
    return c;
}

ui::SpinEdit* spin(QWidget* parent, int min, int max, int maxLength, int value, const QString& hint)
{
    auto* s = new ui::SpinEdit(parent);
    s->setRange(min, max);
    s->setMaxLength(maxLength);
    s->setValue(value);
    s->setToolTip(hint);
    return s;
}

QLabel* resultPanel(QWidget* parent)
{
    auto* p = new QLabel(parent);
    p->setAlignment(Qt::AlignCenter);
    p->setAutoFillBackground(true);
    p->setFixedSize(110, 28);
    p->setFont(ui::gothicFont(18, true));
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, ui::kPassColor);
    p->setPalette(pal);
    return p;
}

QPushButton* button(const QString& caption, QWidget* parent, bool available = true)
{
    auto* b = new QPushButton(caption, parent);
    b->setEnabled(available);
    return b;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setFont(ui::proportionalGothicFont(12));
    setMinimumSize(950, 639);
    resize(950, 639);

    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(2, 2, 2, 2);
    outer->setSpacing(0);
    tabCtrl = new QTabBar(central);
    tabCtrl->setObjectName(QStringLiteral("tabCtrl"));
    tabCtrl->setCursor(Qt::PointingHandCursor);
    tabCtrl->setExpanding(false);
    tabCtrl->setUsesScrollButtons(true);
    tabCtrl->setFont(ui::gothicFont(15));
    tabCtrl->addTab(QStringLiteral("Sheet1"));
    outer->addWidget(tabCtrl);

    auto* body = new QWidget(central);
    body->setFont(ui::gothicFont(15));
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(4, 4, 4, 4);
    bodyLayout->setSpacing(4);
    buildHeader(body);
    bodyLayout->addWidget(pnlHedCtrl);
    buildPages(body);
    bodyLayout->addWidget(pageInput, 1);
    outer->addWidget(body, 1);
    setCentralWidget(central);

    buildMenus();
    connectHandlers();
    connectEditingHandlers();
    connectExchangeHandlers();
    connectStoreHandlers();
    qApp->installEventFilter(this);
    FormCreate();
}

TMainForm::~TMainForm() { qApp->removeEventFilter(this); }

void TMainForm::setCompanions(TSplashForm* splash, TSheetsForm* sheets, TAboutForm* about, TLotEditForm* lotEdit)
{
    splash_ = splash;
    sheetsForm_ = sheets;
    aboutForm_ = about;
    lotEditForm_ = lotEdit;
}

void TMainForm::setSettingsDialogs(TOptionForm* option, TSettingForm* setting)
{
    optionForm_ = option;
    settingForm_ = setting;
}

QString TMainForm::programFolder() { return QCoreApplication::applicationDirPath(); }

void TMainForm::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    mainMenuXlsImport = file->addAction(QStringLiteral("Excelデータの取り込み(&V)"));
    mainMenuCsvImport = file->addAction(QStringLiteral("CSVデータの取り込み(&W)"));
    file->addSeparator();
    mainMenuXlsSave = file->addAction(QStringLiteral("全てのシートをExcelで保存(&E)"));
    mainMenuCsvSave = file->addAction(QStringLiteral("全てのシートをCSVで保存(&C)"));
    file->addSeparator();
    menuFileExit = file->addAction(QStringLiteral("終了(&X)"));

    QMenu* setting = menuBar()->addMenu(QStringLiteral("設定(&S)"));
    menuSettingSheets = setting->addAction(QStringLiteral("シート数設定(&S)"));
    menuSettingInit = setting->addAction(QStringLiteral("各種初期値設定(&I)"));
    setting->addSeparator();
    menuSettingOption = setting->addAction(QStringLiteral("異常判定ルール設定(&R)"));

    QMenu* exec = menuBar()->addMenu(QStringLiteral("実行(&E)"));
    menuExecSpec = exec->addAction(QStringLiteral("規格判定(&K)"));
    menuExecOperation = exec->addAction(QStringLiteral("CP-CPK不良率判定(&O)"));
    menuExecSpc = exec->addAction(QStringLiteral("SPC異常判定(&S)"));
    exec->addSeparator();
    menuExecChart = exec->addAction(QStringLiteral("管理図作成(&C)"));
    menuExecHist = exec->addAction(QStringLiteral("ヒストグラム作成(&H)"));
    exec->addSeparator();
    menuExecChartView = exec->addAction(QStringLiteral("管理図の表示(&G)"));
    menuExecHistView = exec->addAction(QStringLiteral("ヒストグラムの表示(&T)"));
    menuExecStudyView = exec->addAction(QStringLiteral("工程能力分析の表示(&A)"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    menuHelpManual = help->addAction(QStringLiteral("操作手順書(&M)"));
    menuHelpHome = help->addAction(QStringLiteral("著作権者ホームページ(&H)"));
    help->addSeparator();
    menuHelpAbout = help->addAction(QStringLiteral("バージョン情報(&A)"));

    // Commands whose work is not connected in this build stay visible but unavailable.
    for (QAction* a : {mainMenuXlsImport, mainMenuCsvImport, mainMenuXlsSave, mainMenuCsvSave})
        a->setEnabled(false);
}

void TMainForm::buildHeader(QWidget* parent)
{
    pnlHedCtrl = new QWidget(parent);
    pnlHedCtrl->setFixedHeight(215);
    auto* grid = new QGridLayout(pnlHedCtrl);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    // Sheet information.
    auto* info = new QGroupBox(QStringLiteral("項目間情報設定"), pnlHedCtrl);
    info->setFixedWidth(523);
    auto* il = new QGridLayout(info);
    il->setContentsMargins(6, 4, 6, 4);
    il->setVerticalSpacing(3);
    const auto centred = Qt::AlignHCenter;
    const auto right = Qt::AlignRight;
    editProduct = edit(info, 50, QStringLiteral("「品種名称」を入力してください。"), centred);
    editProcess = edit(info, 20, QStringLiteral("「工程名称」を入力してください。"), centred);
    editMbc = edit(info, 20, QStringLiteral("「装置名称」を入力してください。"), centred);
    editLabel = edit(info, 20, QStringLiteral("「項目名称」を入力してください。"), centred);
    editUnit = edit(info, 10, QStringLiteral("「測定単位」を入力してください。"), centred);
    cmbSpecKind = list(info, model::specKindTexts(), QStringLiteral("「規格種別」を選択してください。"));
    spinKeta = spin(info, 0, 5, 1, 3, QStringLiteral("「小数点以下桁数」を０～５の範囲で設定してください。"));
    editKupper = edit(info, 10, QStringLiteral("「規格上限」を入力してください。"), right);
    editKlower = edit(info, 10, QStringLiteral("「規格下限」を入力してください。"), right);
    btnSpecClear = button(QStringLiteral("クリア"), info);
    il->addWidget(label(QStringLiteral("品種名称"), info), 0, 0);
    il->addWidget(editProduct, 0, 1, 1, 5);
    il->addWidget(label(QStringLiteral("工程名称"), info), 1, 0);
    il->addWidget(editProcess, 1, 1, 1, 2);
    il->addWidget(label(QStringLiteral("装置名称"), info), 1, 3);
    il->addWidget(editMbc, 1, 4, 1, 2);
    il->addWidget(label(QStringLiteral("項目名称"), info, true), 2, 0);
    il->addWidget(editLabel, 2, 1, 1, 2);
    il->addWidget(label(QStringLiteral("測定単位"), info, true), 2, 3);
    il->addWidget(editUnit, 2, 4, 1, 2);
    il->addWidget(label(QStringLiteral("規格種別"), info, true), 3, 0);
    il->addWidget(cmbSpecKind, 3, 1, 1, 2);
    il->addWidget(label(QStringLiteral("小数桁数"), info, true), 3, 3);
    il->addWidget(spinKeta, 3, 4);
    il->addWidget(label(QStringLiteral("規格上限"), info, true), 4, 0);
    il->addWidget(editKupper, 4, 1, 1, 2);
    il->addWidget(label(QStringLiteral("規格下限"), info, true), 4, 3);
    il->addWidget(editKlower, 4, 4);
    il->addWidget(btnSpecClear, 4, 5);
    grid->addWidget(info, 0, 0);

    // Control chart and histogram settings.
    auto* chart = new QGroupBox(QStringLiteral("管理図＆ヒストグラム設定"), pnlHedCtrl);
    auto* cl = new QGridLayout(chart);
    cl->setContentsMargins(6, 4, 6, 4);
    cl->setVerticalSpacing(3);
    cmbChart = list(chart, sheetview::chartKindTexts(), QStringLiteral("「管理図」を指定してください。"));
    spinBetWeen = spin(chart, 5, 10, 2, 10, QStringLiteral("データ区間数を５～１０の範囲で設定してください。"));
    cmbLimit = list(chart, sheetview::limitMethodTexts(), QStringLiteral("「管理限界線」を指定してください。"));
    btn3Stdev = button(QStringLiteral("管理限界値取得"), chart);
    editUcl = edit(chart, 10, QStringLiteral("「X-管理限界上限値」を入力してください。"), right);
    editLcl = edit(chart, 10, QStringLiteral("「X-管理限界下限値」を入力してください。"), right);
    editRsUcl = edit(chart, 10, QStringLiteral("「R-管理限界上限値」を入力してください。"), right);
    pnlRsUcl = label(QStringLiteral("R-UCL"), chart);
    cl->addWidget(label(QStringLiteral("管理図指定"), chart), 0, 0);
    cl->addWidget(cmbChart, 0, 1);
    cl->addWidget(label(QStringLiteral("ﾃﾞｰﾀ区間数"), chart), 1, 0);
    cl->addWidget(spinBetWeen, 1, 1);
    cl->addWidget(label(QStringLiteral("管理限界線"), chart), 2, 0);
    cl->addWidget(cmbLimit, 2, 1);
    cl->addWidget(btn3Stdev, 3, 0, 1, 2);
    auto* limits = new QGroupBox(chart);
    auto* ll = new QGridLayout(limits);
    ll->setContentsMargins(4, 2, 4, 2);
    ll->addWidget(label(QStringLiteral("X-UCL"), limits), 0, 0);
    ll->addWidget(editUcl, 0, 1);
    ll->addWidget(label(QStringLiteral("X-LCL"), limits), 1, 0);
    ll->addWidget(editLcl, 1, 1);
    ll->addWidget(pnlRsUcl, 2, 0);
    ll->addWidget(editRsUcl, 2, 1);
    cl->addWidget(limits, 0, 2, 4, 1);
    grid->addWidget(chart, 0, 1);

    // Command bar.
    pnlCommand = new QWidget(pnlHedCtrl);
    auto* bar = new QHBoxLayout(pnlCommand);
    bar->setContentsMargins(0, 0, 0, 0);
    spinRow = spin(pnlCommand, 10, 100, 3, 100, QStringLiteral("「ロット数（行数）」を１０～１００の範囲で設定してください。"));
    spinCol = spin(pnlCommand, 1, 100, 3, 10, QStringLiteral("「検査ｎ数（列数）」を１～１００の範囲で設定してください。"));
    spinRow->setFixedWidth(64);
    spinCol->setFixedWidth(64);
    btnReset = button(QStringLiteral("全てリセット"), pnlCommand);
    btnExcel = button(QStringLiteral("判定結果出力"), pnlCommand);
    btnControlChart = button(QStringLiteral("管理図作成"), pnlCommand);
    btnHistogram = button(QStringLiteral("ﾋｽﾄｸﾞﾗﾑ作成"), pnlCommand);
    bar->addWidget(label(QStringLiteral("ロット数(行)"), pnlCommand, true));
    bar->addWidget(spinRow);
    bar->addWidget(label(QStringLiteral("検査ｎ数(列)"), pnlCommand, true));
    bar->addWidget(spinCol);
    bar->addStretch(1);
    for (QPushButton* b : {btnReset, btnExcel, btnControlChart, btnHistogram}) bar->addWidget(b);
    grid->addWidget(pnlCommand, 1, 0, 1, 2);
    grid->setColumnStretch(1, 1);
}

void TMainForm::buildPages(QWidget* parent)
{
    pageInput = new QTabWidget(parent);

    // Measurement input and specification judgement.
    TabSheet1 = new QWidget(pageInput);
    auto* p1 = new QVBoxLayout(TabSheet1);
    p1->setContentsMargins(2, 2, 2, 2);
    auto* bar1 = new QHBoxLayout();
    btnAllOn = button(QStringLiteral("全て有効"), TabSheet1);
    btnLotEdit = button(QStringLiteral("ﾛｯﾄ№編集"), TabSheet1);
    btnSpecJudg = button(QStringLiteral("規格判定"), TabSheet1);
    pnlSpecJudg = resultPanel(TabSheet1);
    spinTab = spin(TabSheet1, 1, 100, 3, 3, QStringLiteral("「シート数（項目数）」を１～１００の範囲で設定してください。"));
    spinTab->setVisible(false);
    bar1->addWidget(btnAllOn);
    bar1->addWidget(btnLotEdit);
    bar1->addWidget(btnSpecJudg);
    bar1->addSpacing(12);
    bar1->addWidget(label(QStringLiteral("総合判定結果"), TabSheet1));
    bar1->addWidget(pnlSpecJudg);
    bar1->addWidget(spinTab);
    bar1->addStretch(1);
    p1->addLayout(bar1);
    auto* grids = new QHBoxLayout();
    grids->setSpacing(6);
    gridCtrl = new ui::TplStringGrid(TabSheet1);
    gridCtrl->setObjectName(QStringLiteral("gridCtrl"));
    gridCtrl->setFixedCols(1);
    gridCtrl->setFixedWidth(151);
    gridCtrl->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridCtrl->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gridCtrl->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    gridEdit = new ui::StringGrid(TabSheet1);
    gridEdit->setObjectName(QStringLiteral("gridEdit"));
    grids->addWidget(gridCtrl);
    grids->addWidget(gridEdit, 1);
    p1->addLayout(grids, 1);
    pageInput->addTab(TabSheet1, QStringLiteral("測定値入力＆規格判定"));

    // Capability and defect-rate judgement.
    TabSheet2 = new QWidget(pageInput);
    auto* p2 = new QVBoxLayout(TabSheet2);
    p2->setContentsMargins(2, 2, 2, 2);
    auto* bar2 = new QHBoxLayout();
    btnCpkCalc = button(QStringLiteral("不良率判定"), TabSheet2);
    pnlCpkJudg = resultPanel(TabSheet2);
    chkCpCpk = new QCheckBox(TabSheet2);
    cmbCpCpk = list(TabSheet2, {QStringLiteral("CP"), QStringLiteral("CPK")}, QStringLiteral("「演算判定種別」を選択してください。"));
    editCpCpk = edit(TabSheet2, 4, QStringLiteral("「演算判定種別」の不良率を入力してください。"), Qt::AlignRight);
    editCpCpk->setPlaceholderText(QStringLiteral("*.**"));
    editCpCpk->setFixedWidth(48);
    // The threshold field stands in the gap of the caption's three ideographic spaces.
    pnlCpCpk = label(QStringLiteral("が　　　未満を「赤色表示(異常)」とする"), TabSheet2);
    editCpCpk->setParent(pnlCpCpk);
    editCpCpk->move(pnlCpCpk->fontMetrics().horizontalAdvance(QStringLiteral("が")), 0);
    bar2->addWidget(btnCpkCalc);
    bar2->addSpacing(12);
    bar2->addWidget(label(QStringLiteral("総合判定結果"), TabSheet2));
    bar2->addWidget(pnlCpkJudg);
    bar2->addSpacing(12);
    bar2->addWidget(chkCpCpk);
    bar2->addWidget(cmbCpCpk);
    bar2->addWidget(pnlCpCpk);
    bar2->addStretch(1);
    p2->addLayout(bar2);
    gridCalc = new ui::StringGrid(TabSheet2);
    gridCalc->setObjectName(QStringLiteral("gridCalc"));
    gridCalc->setFixedCols(1);
    gridCalc->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridCalc->setSelectionMode(QAbstractItemView::SingleSelection);
    p2->addWidget(gridCalc, 1);
    pageInput->addTab(TabSheet2, QStringLiteral("CP-CPK不良率判定"));

    // SPC run rules.
    TabSheet3 = new QWidget(pageInput);
    auto* p3 = new QVBoxLayout(TabSheet3);
    p3->setContentsMargins(2, 2, 2, 2);
    auto* bar3 = new QHBoxLayout();
    btnSpcJudg = button(QStringLiteral("SPC異常判定"), TabSheet3);
    pnlSpcJudg = resultPanel(TabSheet3);
    bar3->addWidget(btnSpcJudg);
    bar3->addSpacing(12);
    bar3->addWidget(label(QStringLiteral("総合判定結果"), TabSheet3));
    bar3->addWidget(pnlSpcJudg);
    bar3->addStretch(1);
    p3->addLayout(bar3);
    gridSpc = new ui::StringGrid(TabSheet3);
    gridSpc->setObjectName(QStringLiteral("gridSpc"));
    gridSpc->setFixedCols(1);
    gridSpc->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridSpc->setSelectionMode(QAbstractItemView::SingleSelection);
    gridSpc->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    p3->addWidget(gridSpc, 1);
    pageInput->addTab(TabSheet3, QStringLiteral("SPC異常判定(X側-R側)"));

    gridEdit->setEditingAllowed(false);
    for (ui::StringGrid* g : {gridCtrl, gridEdit, gridCalc, gridSpc}) g->setFont(ui::gothicFont(15));
}

void TMainForm::connectHandlers()
{
    on(tabCtrl, &QTabBar::currentChanged, &TMainForm::tabCtrlChanging);
    on(spinRow, &ui::SpinEdit::textChanged, &TMainForm::spinRowChange);
    on(spinCol, &ui::SpinEdit::textChanged, &TMainForm::spinColChange);
    on(spinTab, &ui::SpinEdit::textChanged, &TMainForm::spinTabChange);
    on(btnAllOn, &QPushButton::clicked, &TMainForm::btnAllOnClick);
    on(cmbSpecKind, &QComboBox::activated, &TMainForm::cmbSpecKindChange);
    on(cmbCpCpk, &QComboBox::activated, &TMainForm::cmbSpecKindChange);
    on(btnSpecClear, &QPushButton::clicked, &TMainForm::btnSpecClearClick);
    on(btnReset, &QPushButton::clicked, &TMainForm::btnResetClick);
    on(cmbLimit, &QComboBox::activated, &TMainForm::cmbLimitChange);
    on(cmbChart, &QComboBox::activated, &TMainForm::cmbChartChange);
    on(menuSettingSheets, &QAction::triggered, &TMainForm::menuSettingSheetsClick);
    on(menuSettingInit, &QAction::triggered, &TMainForm::menuSettingInitClick);
    on(menuSettingOption, &QAction::triggered, &TMainForm::menuSettingOptionClick);
    on(menuFileExit, &QAction::triggered, &TMainForm::menuFileExitClick);
    connect(chkCpCpk, &QCheckBox::toggled, this, [this] { chkCpCpkClick(); });
    on(btnSpecJudg, &QPushButton::clicked, &TMainForm::btnSpecJudgClick);
    on(menuExecSpec, &QAction::triggered, &TMainForm::menuExecSpecClick);
    on(btn3Stdev, &QPushButton::clicked, &TMainForm::btn3StdevClick);
    on(btnCpkCalc, &QPushButton::clicked, &TMainForm::btnCpkCalcClick);
    on(menuExecOperation, &QAction::triggered, &TMainForm::menuExecOperationClick);
    on(btnSpcJudg, &QPushButton::clicked, &TMainForm::btnSpcJudgClick);
    on(menuExecSpc, &QAction::triggered, &TMainForm::menuExecSpcClick);
    on(btnControlChart, &QPushButton::clicked, &TMainForm::btnControlChartClick);
    on(menuExecChart, &QAction::triggered, &TMainForm::menuExecChartClick);
    on(btnHistogram, &QPushButton::clicked, &TMainForm::btnHistogramClick);
    on(menuExecHist, &QAction::triggered, &TMainForm::menuExecHistClick);
    on(btnExcel, &QPushButton::clicked, &TMainForm::btnExcelClick);
    on(menuExecChartView, &QAction::triggered, &TMainForm::menuExecChartViewClick);
    on(menuExecHistView, &QAction::triggered, &TMainForm::menuExecHistViewClick);
    on(menuExecStudyView, &QAction::triggered, &TMainForm::menuExecStudyViewClick);
    gridCalc->setPainter([this](QPainter& p, const ui::CellPaint& c) { gridCalcDrawCell(p, c); });
    gridSpc->setPainter([this](QPainter& p, const ui::CellPaint& c) { gridSpcDrawCell(p, c); });
    // The two grids scroll together; the lot grid has no scroll bars of its own.
    connect(gridEdit, &ui::StringGrid::topRowChanged, gridCtrl, &ui::StringGrid::setTopRow);
    connect(gridCtrl, &ui::StringGrid::topRowChanged, gridEdit, &ui::StringGrid::setTopRow);
}

void TMainForm::setJudgement(QLabel* panel, const QString& caption, bool pass)
{
    QPalette pal = panel->palette();
    pal.setColor(QPalette::WindowText, pass ? ui::kPassColor : ui::kFailColor);
    panel->setPalette(pal);
    panel->setText(caption);
}

void TMainForm::FormCreate()
{
    settings_ = model::loadSettings();
    // Bounds that would put the window on no screen (a screen since removed, a hand edit) give
    // way to the default bounds on the primary screen.
    model::WindowBounds& b = settings_.bounds;
    b.Width = std::max(b.Width, minimumWidth());
    b.Height = std::max(b.Height, minimumHeight());
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens()) screens.append(s->geometry());
    const QScreen* primary = QGuiApplication::primaryScreen();
    b = model::boundsOnScreens(b, screens, primary ? primary->geometry().topLeft() : QPoint());
    setGeometry(b.Left, b.Top, b.Width, b.Height);
    model::makePrivateFolder(model::saveFilesFolder(programFolder())); // a failure is reported by whoever writes there
    pageInput->setCurrentIndex(0);
    gridCtrl->setFocus();
}

void TMainForm::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::FormShow()
{
    // An error of the reset is reported once the busy window has closed.
    ui::guarded(this, [this] {
        SplashGuard busy(splash_, QStringLiteral("アプリケーションを起動中です。"));
        ReadFileVersion();
        setWindowTitle(QStringLiteral("%1  [for Version %2]").arg(QApplication::applicationName(), fileVersion_));
        btnResetClick();
        startJournal();
        storeController_->start();
    });
}

void TMainForm::ReadFileVersion() { fileVersion_ = QStringLiteral(QUORVANE_FILE_VERSION); }

void TMainForm::closeEvent(QCloseEvent* e)
{
    // A long operation keeps its windows painted, so a close request (the close button, the
    // session ending) can arrive while it runs: the window closes once the operation is done.
    if (splash_ && splash_->isVisible()) {
        e->ignore();
        QTimer::singleShot(100, this, &QWidget::close);
        return;
    }
    FormCloseQuery();
    e->accept();
}

void TMainForm::FormCloseQuery()
{
    const QRect g = geometry();
    settings_.bounds = model::WindowBounds{g.left(), g.top(), g.height(), g.width()};
    saveChartBounds();
    // The close goes on either way; the operator learns that this run's settings are lost.
    if (const auto failure = model::saveSettings(settings_))
        ui::showMessage(this, QStringLiteral("設定を保存できませんでした。今回変更した設定は次回の起動に引き継がれません…。\n") + model::failureLine(*failure),
                        ui::kWarningCaption, ui::MessageIcon::Warning);
    closeJournal();
}

void TMainForm::menuFileExitClick() { close(); }

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) && FormKeyPress(watched, key))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::FormKeyPress(QObject* receiver, int key)
{
    auto* w = qobject_cast<QWidget*>(receiver);
    // Only the key as it reaches the focused control; a key a grid ignored and passed on to
    // its parents is not a field's key.
    if (!w || w != QApplication::focusWidget() || w->window() != this) return false;
    // Keys in a grid (or its in-place editor) belong to the grid.
    for (QWidget* p = w; p; p = p->parentWidget())
        if (qobject_cast<ui::StringGrid*>(p)) return false;
    if (key == Qt::Key_Escape) focusPreviousChild();
    else focusNextChild();
    return true;
}
