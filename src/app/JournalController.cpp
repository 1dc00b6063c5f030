#include "app/JournalController.h"

#include "app/MainFormView.h"
#include "dialogs/SessionChoiceDialog.h"
#include "journal/FormerJournal.h"
#include "journal/JournalWriter.h"
#include "model/SheetRecord.h"
#include "sheetview/SheetEntry.h"
#include "sheetview/SheetView.h"
#include "ui/Interaction.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSysInfo>
#include <QTabBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

void guide(QWidget* parent, const QString& text) { ui::showMessage(parent, text, ui::kGuidanceCaption, ui::MessageIcon::Information); }

QString restoredText(int sheets) { return QStringLiteral("%1 シートのデータを復元しました。").arg(sheets); }

// Where this copy runs, as the list of sessions shows it: the host, and the display of a
// login where the system names one (two logins of one account on one PC differ there).
QString station()
{
    const QString host = QSysInfo::machineHostName();
    for (const char* variable : {"WAYLAND_DISPLAY", "DISPLAY", "SESSIONNAME"}) {
        const QString display = qEnvironmentVariable(variable);
        if (!display.isEmpty()) return QStringLiteral("%1 (%2)").arg(host, display);
    }
    return host;
}

// A measurement typed anywhere in the workbook.
bool holdsMeasurements(const journal::Workbook& book)
{
    return std::any_of(book.sheets.begin(), book.sheets.end(), [](const model::SheetRecord& r) { return model::holdsMeasurements(r); });
}

// The workbook as the store holds it, with the window's chart settings; the shown sheet's
// record is still the store's (saveShownSheet puts the view's in).
journal::Workbook unsavedWorkbook(const TMainForm& f, const model::SheetStore& store, int shownTab)
{
    journal::Workbook b;
    const int n = store.count();
    b.sheets.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        b.sheets.push_back(store[i]);
        b.captions.append(f.tabCtrl->tabText(i));
    }
    b.shown = shownTab >= 0 && shownTab < n ? shownTab : std::clamp(f.tabCtrl->currentIndex(), 0, std::max(n - 1, 0));
    b.chart = f.cmbChart->currentIndex();
    b.limitMethod = f.cmbLimit->currentIndex();
    b.ucl = f.editUcl->text();
    b.lcl = f.editLcl->text();
    b.rsUcl = f.editRsUcl->text();
    return b;
}

// A copy of what saving the shown sheet reads from the window: the fields and the two grids.
std::shared_ptr<sheetview::SheetView> shownView(const TMainForm& f, int shownTab)
{
    auto v = std::make_shared<sheetview::SheetView>();
    v->tabCaption = f.tabCtrl->tabText(shownTab);
    v->product = f.editProduct->text();
    v->process = f.editProcess->text();
    v->device = f.editMbc->text();
    v->item = f.editLabel->text();
    v->unit = f.editUnit->text();
    v->specKind = judge::specKindFromIndex(f.cmbSpecKind->currentIndex());
    v->digits = f.spinKeta->text();
    v->specUpper = f.editKupper->text();
    v->specLower = f.editKlower->text();
    v->lotCount = f.spinRow->value();
    v->measurementCount = f.spinCol->value();
    v->lotRows = f.gridEdit->rowCount() - 1;
    v->measurementColumns = f.gridEdit->colCount();
    v->lots = f.gridCtrl->table();
    v->cells = f.gridEdit->table();
    return v;
}

// The shown sheet as saving it would store it, from a copy of the view (saving may change
// the copy's caption and item, never the window's).
void saveShownSheet(journal::Workbook& b, sheetview::SheetView& shown)
{
    sheetview::saveSheet(shown, b.sheets[size_t(b.shown)]);
    b.captions[b.shown] = shown.tabCaption;
}

QStringList sessionRow(const journal::SessionInfo& s)
{
    return {s.written.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")), s.station,
            QString::number(s.sheets), s.closed ? QStringLiteral("正常終了") : QStringLiteral("異常終了")};
}

} // namespace

JournalController::JournalController(TMainForm& form) : QObject(&form), form_(form) {}

JournalController::~JournalController() = default;

QString JournalController::journalPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u'/' +
           journal::journalFileName(QSysInfo::machineHostName());
}

void JournalController::addMenuItems()
{
    TMainForm& f = form_;
    QMenu* file = qobject_cast<QMenu*>(f.menuFileExit->parent());
    if (!file || f.mainMenuUndoImport) return;
    // Beside the imports, and before the exit.
    f.mainMenuUndoImport = new QAction(QStringLiteral("取り込み前のデータに戻す(&U)"), file);
    const QList<QAction*> items = file->actions();
    const qsizetype afterImports = items.indexOf(f.mainMenuCsvImport) + 1;
    file->insertAction(items.value(afterImports), f.mainMenuUndoImport);
    f.mainMenuRestoreLast = new QAction(QStringLiteral("前回終了時のデータを開く(&R)"), file);
    file->insertAction(f.menuFileExit, f.mainMenuRestoreLast);
    file->insertSeparator(f.menuFileExit);
    f.mainMenuUndoImport->setEnabled(false);
    f.mainMenuRestoreLast->setEnabled(false);
    f.on(f.mainMenuUndoImport, &QAction::triggered, &TMainForm::mainMenuUndoImportClick);
    f.on(f.mainMenuRestoreLast, &QAction::triggered, &TMainForm::mainMenuRestoreLastClick);
}

void JournalController::start()
{
    addMenuItems();
    std::unique_ptr<journal::Journal> opened;
    try {
        journal::adoptFormerJournal(journalPath());
        opened = journal::Journal::open(journalPath(), QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
                                        station());
    } catch (const std::exception& e) {
        failed(QString::fromUtf8(e.what()));
        return;
    }
    if (!opened->setAsidePath().isEmpty())
        form_.statusBar()->showMessage(QStringLiteral("復元用データが壊れていたため、新しく作り直しました（元のファイル: %1）。")
                                           .arg(QDir::toNativeSeparators(opened->setAsidePath())));
    crashed_ = opened->crashedSessions();
    writer_ = std::make_unique<journal::JournalWriter>(std::move(opened), [this](quint64, const QString& error) {
        QMetaObject::invokeMethod(this, [this, error] { failed(error); }, Qt::QueuedConnection);
    });
    form_.mainMenuRestoreLast->setEnabled(true);
    followChanges();

    if (crashed_.empty()) {
        ready_ = true;
        journalNow();
        return;
    }
    offerPending_ = true;
    QTimer::singleShot(0, this, &JournalController::offerWhenShown);
}

void JournalController::followChanges()
{
    TMainForm& f = form_;
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &JournalController::journalNow);
    for (QLineEdit* e : {f.editProduct, f.editProcess, f.editMbc, f.editLabel, f.editUnit, f.editKupper, f.editKlower,
                         f.editUcl, f.editLcl, f.editRsUcl})
        connect(e, &QLineEdit::textChanged, this, &JournalController::changed);
    for (QComboBox* c : {f.cmbSpecKind, f.cmbChart, f.cmbLimit})
        connect(c, &QComboBox::currentIndexChanged, this, &JournalController::changed);
    for (ui::SpinEdit* s : {f.spinKeta, f.spinRow, f.spinCol, f.spinTab})
        connect(s, &ui::SpinEdit::textChanged, this, &JournalController::changed);
    connect(f.tabCtrl, &QTabBar::currentChanged, this, &JournalController::changed);
    for (ui::StringGrid* g : {f.gridCtrl, f.gridEdit}) {
        QAbstractItemModel* m = g->model();
        connect(m, &QAbstractItemModel::dataChanged, this, &JournalController::changed);
        connect(m, &QAbstractItemModel::headerDataChanged, this, &JournalController::changed);
        connect(m, &QAbstractItemModel::modelReset, this, &JournalController::changed);
        connect(m, &QAbstractItemModel::layoutChanged, this, &JournalController::changed);
    }
}

void JournalController::offerWhenShown()
{
    if (!offerPending_) return;
    // The question comes once the window is on the screen: when the window is first shown
    // (and the start's busy window lets events run) it is not drawn yet.
    QWindow* window = form_.windowHandle();
    if (!form_.isVisible() || !window || !window->isExposed()) {
        if (window) window->installEventFilter(this);
        return;
    }
    if (window) window->removeEventFilter(this);
    offerPending_ = false;
    offerCrashed();
}

bool JournalController::eventFilter(QObject* watched, QEvent* event)
{
    // Once the window was drawn: the offer asks after the expose has been handled.
    if (event->type() == QEvent::Expose && offerPending_)
        QTimer::singleShot(0, this, &JournalController::offerWhenShown);
    return QObject::eventFilter(watched, event);
}

void JournalController::offerCrashed()
{
    ui::guarded(&form_, [&] {
        const bool yes = ui::askYesNo(&form_, QStringLiteral("前回は正常に終了しませんでした。入力途中のデータを復元しますか？"),
                                      ui::kGuidanceCaption, ui::MessageIcon::Information, ui::DefaultAnswer::Yes);
        const std::optional<qint64> chosen = yes ? chooseSession(crashed_) : std::nullopt;
        std::optional<journal::Workbook> book;
        // Every session offered counts as offered, also those not chosen: the menu still
        // opens them while they are kept.
        writer_->run([&](journal::Journal& j) {
            j.markOffered();
            if (chosen) book = j.readSession(*chosen);
        });
        crashed_.clear();
        if (book) {
            restoreWorkbook(*book);
            guide(&form_, restoredText(book->count()));
        }
    });
    ready_ = true;
    journalNow();
}

std::optional<qint64> JournalController::chooseSession(const std::vector<journal::SessionInfo>& sessions)
{
    if (sessions.empty()) return std::nullopt;
    if (sessions.size() == 1) return sessions.front().id;
    QList<QStringList> rows;
    for (const journal::SessionInfo& s : sessions) rows.append(sessionRow(s));
    SessionChoiceDialog dialog(&form_, rows);
    if (ui::interaction().execDialog(dialog) != QDialog::Accepted) return std::nullopt;
    const int row = dialog.chosenRow();
    if (row < 0 || row >= int(sessions.size())) return std::nullopt;
    return sessions[size_t(row)].id;
}

void JournalController::close()
{
    if (!writer_) return;
    if (timer_) timer_->stop();
    journalNow();
    try {
        writer_->run([](journal::Journal& j) { j.closeSession(); });
    } catch (const std::exception&) {
        // The session stays open: the next start offers what was journaled.
    }
}

void JournalController::changed()
{
    if (ready_ && !timer_->isActive()) timer_->start(delay);
}

void JournalController::journalNow()
{
    TMainForm& f = form_;
    if (!writer_ || !ready_ || f.store_.count() == 0) return;
    journal::Workbook b = unsavedWorkbook(f, f.store_, f.shownTab_);
    if (b.shown != f.shownTab_) {
        writer_->post(std::move(b));
        return;
    }
    // The shown sheet's lines are made on the journal's thread, from a copy of the view.
    std::shared_ptr<sheetview::SheetView> view = shownView(f, f.shownTab_);
    writer_->post(std::move(b), [view](journal::Workbook& book) { saveShownSheet(book, *view); });
}

void JournalController::waitIdle()
{
    if (writer_) writer_->waitIdle();
    QCoreApplication::sendPostedEvents(this); // the reports of the commits
}

void JournalController::failed(const QString& error)
{
    static const QString warning =
        QStringLiteral("復元用データを書き込めません。入力したデータはExcelまたはCSVで保存してください。");
    if (error.isEmpty()) {
        // The status bar is made only when there is something to say.
        auto* bar = form_.findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
        if (bar && bar->currentMessage() == warning) bar->clearMessage();
        return;
    }
    if (form_.statusBar()->currentMessage() != warning) form_.statusBar()->showMessage(warning);
}

journal::Workbook JournalController::journaledWorkbook() const
{
    journal::Workbook b = unsavedWorkbook(form_, form_.store_, form_.shownTab_);
    if (b.shown == form_.shownTab_) saveShownSheet(b, *shownView(form_, form_.shownTab_));
    return b;
}

void JournalController::beforeReplace(int sheet)
{
    if (!writer_ || !ready_ || form_.store_.count() == 0) return;
    journal::Snapshot s;
    s.book = journaledWorkbook();
    if (sheet >= 0 && sheet < s.book.count()) {
        s.whole = false;
        s.book.sheets = {s.book.sheets[size_t(sheet)]};
        s.book.captions = QStringList{s.book.captions.value(sheet)};
        s.book.shown = sheet;
    }
    writer_->postSnapshot(std::move(s));
    form_.mainMenuUndoImport->setEnabled(true);
}

void JournalController::restoreWorkbook(const journal::Workbook& book)
{
    TMainForm& f = form_;
    const int n = std::clamp(book.count(), 1, f.spinTab->maximum());
    f.store_.resize(n, true, f.settings_.app, f.spinRow->value(), f.spinCol->value());
    for (int i = 0; i < n && i < book.count(); ++i) f.store_[i] = book.sheets[size_t(i)];
    {
        const QSignalBlocker block(f.spinTab);
        f.spinTab->setValue(n);
    }
    {
        const QSignalBlocker block(f.tabCtrl);
        while (f.tabCtrl->count() < n) f.tabCtrl->addTab(QString());
        while (f.tabCtrl->count() > n) f.tabCtrl->removeTab(f.tabCtrl->count() - 1);
        for (int i = 0; i < n; ++i) f.tabCtrl->setTabText(i, book.captions.value(i, model::defaultSheetName(i + 1)));
    }
    // The shown sheet is entered the normal way, then gets its chart settings back.
    f.shownTab_ = -1; // the view belongs to no record until the sheet is entered
    f.selectTab(std::clamp(book.shown, 0, n - 1));
    f.tabCtrlChange();
    restoreChartSettings(book);
}

void JournalController::restoreChartSettings(const journal::Workbook& book)
{
    TMainForm& f = form_;
    {
        // The layout step of choosing a chart kind (the grids' captions, the dispersion limit's
        // label and hint, the page's caption); the record is already the journal's.
        TMainForm::ViewLoan loan(f, f.tabCtrl->currentIndex());
        sheetview::chartChanged(loan.view, judge::chartKindFromIndex(std::clamp(book.chart, 0, f.cmbChart->count() - 1)),
                                f.spinCol->text() == u"1", f.settings_.app, nullptr);
    }
    f.cmbLimit->setCurrentIndex(std::clamp(book.limitMethod, 0, f.cmbLimit->count() - 1));
    f.cmbLimitChange();
    f.editUcl->setText(book.ucl);
    f.editLcl->setText(book.lcl);
    f.editRsUcl->setText(book.rsUcl);
    emit f.resultsChanged();
}

void JournalController::restoreLast()
{
    if (!writer_) return;
    std::vector<journal::SessionInfo> ended;
    writer_->run([&](journal::Journal& j) { ended = j.endedSessions(); });
    std::optional<journal::Workbook> book;
    if (!ended.empty()) {
        const std::optional<qint64> chosen = chooseSession(ended);
        if (!chosen) return;
        writer_->run([&](journal::Journal& j) { book = j.readSession(*chosen); });
    }
    if (!book) {
        guide(&form_, QStringLiteral("前回終了時のデータはありません。"));
        return;
    }
    if (holdsMeasurements(journaledWorkbook()) &&
        !ui::askYesNo(&form_, QStringLiteral("現在のシートのデータは前回終了時のデータに置き換わります。よろしいですか？"),
                      ui::kGuidanceCaption, ui::MessageIcon::Warning))
        return;
    beforeReplace(-1);
    restoreWorkbook(*book);
    journalNow();
    guide(&form_, restoredText(book->count()));
}

void JournalController::undoImport()
{
    if (!writer_) return;
    TMainForm& f = form_;
    std::optional<journal::Snapshot> s;
    writer_->run([&](journal::Journal& j) { s = j.lastSnapshot(); });
    if (!s || (!s->whole && s->book.shown >= f.store_.count())) {
        guide(&f, QStringLiteral("取り込み前のデータはありません。"));
        return;
    }
    // What is replaced now is kept the same way, so the command also undoes itself.
    if (s->whole) {
        beforeReplace(-1);
        restoreWorkbook(s->book);
    } else {
        const int i = s->book.shown;
        beforeReplace(i);
        f.store_[i] = s->book.sheets.front();
        f.tabCtrl->setTabText(i, s->book.captions.value(0));
        if (i == f.shownTab_) {
            f.selectTab(i);
            f.tabCtrlChange();
            // The sheet was shown when it was kept: its chart settings were the window's.
            restoreChartSettings(s->book);
        }
    }
    journalNow();
}
