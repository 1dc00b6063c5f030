// The main window's recovery journal: the workbook posted to the journal's thread shortly
// after every change, the offer to restore after an unclean end, the previous session's
// workbook and the data an import or reset replaced brought back. The journal itself is in
// src/journal; a journal that cannot be used leaves the window working as it does without one.
#include "app/TMainForm.h"

#include "journal/JournalWriter.h"
#include "sheetview/SheetEntry.h"
#include "sheetview/SheetView.h"
#include "ui/Interaction.h"
#include "ui/SpinEdit.h"
#include "ui/StringGrid.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>

#include <algorithm>

namespace {


void guide(QWidget* parent, const QString& text) { ui::showMessage(parent, text, ui::kGuidanceCaption, ui::MessageIcon::Information); }

QString restoredText(int sheets) { return QStringLiteral("%1 シートのデータを復元しました。").arg(sheets); }

// A measurement typed anywhere: a data line holds more than its lot number and separators.
bool holdsMeasurements(const journal::Workbook& book)
{
    for (const model::SheetRecord& r : book.sheets)
        for (const QString& line : r.dataLines) {
            const qsizetype comma = line.indexOf(u',');
            if (comma < 0) continue;
            for (qsizetype i = comma + 1; i < line.size(); ++i)
                if (line[i] != u',' && line[i] != u'"' && line[i] > u' ') return true;
        }
    return false;
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

} // namespace

QString TMainForm::journalPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/journal.sqlite");
}

void TMainForm::startJournal()
{
    QMenu* file = qobject_cast<QMenu*>(menuFileExit->parent());
    if (file && !mainMenuUndoImport) {
        // Beside the imports, and before the exit.
        mainMenuUndoImport = new QAction(QStringLiteral("取り込み前のデータに戻す(&U)"), file);
        const QList<QAction*> items = file->actions();
        const qsizetype afterImports = items.indexOf(mainMenuCsvImport) + 1;
        file->insertAction(items.value(afterImports), mainMenuUndoImport);
        mainMenuRestoreLast = new QAction(QStringLiteral("前回終了時のデータを開く(&R)"), file);
        file->insertAction(menuFileExit, mainMenuRestoreLast);
        file->insertSeparator(menuFileExit);
        mainMenuUndoImport->setEnabled(false);
        mainMenuRestoreLast->setEnabled(false);
        on(mainMenuUndoImport, &QAction::triggered, &TMainForm::mainMenuUndoImportClick);
        on(mainMenuRestoreLast, &QAction::triggered, &TMainForm::mainMenuRestoreLastClick);
    }

    std::unique_ptr<journal::Journal> opened;
    try {
        opened = journal::Journal::open(journalPath(), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    } catch (const std::exception& e) {
        journalFailed(QString::fromUtf8(e.what()));
        return;
    }
    if (!opened->setAsidePath().isEmpty())
        statusBar()->showMessage(QStringLiteral("復元用データが壊れていたため、新しく作り直しました（元のファイル: %1）。")
                                     .arg(QDir::toNativeSeparators(opened->setAsidePath())));
    const std::optional<qint64> unclean = opened->uncleanSession();
    journal_ = std::make_unique<journal::JournalWriter>(std::move(opened), [this](quint64, const QString& error) {
        QMetaObject::invokeMethod(this, [this, error] { journalFailed(error); }, Qt::QueuedConnection);
    });
    mainMenuRestoreLast->setEnabled(true);

    journalTimer_ = new QTimer(this);
    journalTimer_->setSingleShot(true);
    connect(journalTimer_, &QTimer::timeout, this, &TMainForm::journalNow);
    for (QLineEdit* e : {editProduct, editProcess, editMbc, editLabel, editUnit, editKupper, editKlower, editUcl,
                         editLcl, editRsUcl})
        connect(e, &QLineEdit::textChanged, this, &TMainForm::journalChanged);
    for (QComboBox* c : {cmbSpecKind, cmbChart, cmbLimit})
        connect(c, &QComboBox::currentIndexChanged, this, &TMainForm::journalChanged);
    for (ui::SpinEdit* s : {spinKeta, spinRow, spinCol, spinTab})
        connect(s, &ui::SpinEdit::textChanged, this, &TMainForm::journalChanged);
    connect(tabCtrl, &QTabBar::currentChanged, this, &TMainForm::journalChanged);
    for (ui::StringGrid* g : {gridCtrl, gridEdit}) {
        QAbstractItemModel* m = g->model();
        connect(m, &QAbstractItemModel::dataChanged, this, &TMainForm::journalChanged);
        connect(m, &QAbstractItemModel::headerDataChanged, this, &TMainForm::journalChanged);
        connect(m, &QAbstractItemModel::modelReset, this, &TMainForm::journalChanged);
        connect(m, &QAbstractItemModel::layoutChanged, this, &TMainForm::journalChanged);
    }

    // The offer comes once the window is up; until it is answered nothing is journaled, so
    // the new session never hides the one offered.
    if (unclean) QTimer::singleShot(0, this, [this, id = *unclean] { offerRestore(id); });
    else {
        journalReady_ = true;
        journalNow();
    }
}

void TMainForm::offerRestore(qint64 session)
{
    ui::guarded(this, [&] {
        const bool yes = ui::askYesNo(this, QStringLiteral("前回は正常に終了しませんでした。入力途中のデータを復元しますか？"),
                                      ui::kGuidanceCaption, ui::MessageIcon::Information);
        std::optional<journal::Workbook> book;
        journal_->run([&](journal::Journal& j) {
            j.markOffered();
            if (yes) book = j.readSession(session);
        });
        if (book) {
            restoreWorkbook(*book);
            guide(this, restoredText(book->count()));
        }
    });
    journalReady_ = true;
    journalNow();
}

void TMainForm::closeJournal()
{
    if (!journal_) return;
    if (journalTimer_) journalTimer_->stop();
    journalNow();
    try {
        journal_->run([](journal::Journal& j) { j.closeSession(); });
    } catch (const std::exception&) {
        // The session stays open: the next start offers what was journaled.
    }
}

void TMainForm::journalChanged()
{
    if (journalReady_ && !journalTimer_->isActive()) journalTimer_->start(journalDelay);
}

void TMainForm::journalNow()
{
    if (!journal_ || !journalReady_ || store_.count() == 0) return;
    journal::Workbook b = unsavedWorkbook(*this, store_, shownTab_);
    if (b.shown != shownTab_) {
        journal_->post(std::move(b));
        return;
    }
    // The shown sheet's lines are made on the journal's thread, from a copy of the view.
    std::shared_ptr<sheetview::SheetView> view = shownView(*this, shownTab_);
    journal_->post(std::move(b), [view](journal::Workbook& book) { saveShownSheet(book, *view); });
}

void TMainForm::journalWaitIdle()
{
    if (journal_) journal_->waitIdle();
    QCoreApplication::sendPostedEvents(this); // the reports of the commits
}

void TMainForm::journalFailed(const QString& error)
{
    static const QString warning =
        QStringLiteral("復元用データを書き込めません。入力したデータはExcelまたはCSVで保存してください。");
    if (error.isEmpty()) {
        // The status bar is made only when there is something to say.
        auto* bar = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
        if (bar && bar->currentMessage() == warning) bar->clearMessage();
        return;
    }
    if (statusBar()->currentMessage() != warning) statusBar()->showMessage(warning);
}

journal::Workbook TMainForm::journaledWorkbook()
{
    journal::Workbook b = unsavedWorkbook(*this, store_, shownTab_);
    if (b.shown == shownTab_) saveShownSheet(b, *shownView(*this, shownTab_));
    return b;
}

void TMainForm::journalBeforeReplace(int sheet)
{
    if (!journal_ || !journalReady_ || store_.count() == 0) return;
    journal::Snapshot s;
    s.book = journaledWorkbook();
    if (sheet >= 0 && sheet < s.book.count()) {
        s.whole = false;
        s.book.sheets = {s.book.sheets[size_t(sheet)]};
        s.book.captions = QStringList{s.book.captions.value(sheet)};
        s.book.shown = sheet;
    }
    journal_->postSnapshot(std::move(s));
    mainMenuUndoImport->setEnabled(true);
}

void TMainForm::restoreWorkbook(const journal::Workbook& book)
{
    const int n = std::clamp(book.count(), 1, spinTab->maximum());
    store_.resize(n, true, settings_.app, spinRow->value(), spinCol->value());
    for (int i = 0; i < n && i < book.count(); ++i) store_[i] = book.sheets[size_t(i)];
    {
        const QSignalBlocker block(spinTab);
        spinTab->setValue(n);
    }
    {
        const QSignalBlocker block(tabCtrl);
        while (tabCtrl->count() < n) tabCtrl->addTab(QString());
        while (tabCtrl->count() > n) tabCtrl->removeTab(tabCtrl->count() - 1);
        for (int i = 0; i < n; ++i) tabCtrl->setTabText(i, book.captions.value(i, model::defaultSheetName(i + 1)));
    }
    // The shown sheet is entered the normal way, then gets its chart settings back.
    shownTab_ = -1;
    selectTab(std::clamp(book.shown, 0, n - 1));
    tabCtrlChange();
    cmbChart->setCurrentIndex(std::clamp(book.chart, 0, cmbChart->count() - 1));
    cmbLimit->setCurrentIndex(std::clamp(book.limitMethod, 0, cmbLimit->count() - 1));
    cmbLimitChange();
    editUcl->setText(book.ucl);
    editLcl->setText(book.lcl);
    editRsUcl->setText(book.rsUcl);
    emit resultsChanged();
}

void TMainForm::mainMenuRestoreLastClick()
{
    if (!journal_) return;
    std::optional<journal::Workbook> book;
    journal_->run([&](journal::Journal& j) {
        if (const auto previous = j.previousSession()) book = j.readSession(*previous);
    });
    if (!book) {
        guide(this, QStringLiteral("前回終了時のデータはありません。"));
        return;
    }
    if (holdsMeasurements(journaledWorkbook()) &&
        !ui::askYesNo(this, QStringLiteral("現在のシートのデータは前回終了時のデータに置き換わります。よろしいですか？"),
                      ui::kGuidanceCaption, ui::MessageIcon::Warning))
        return;
    journalBeforeReplace(-1);
    restoreWorkbook(*book);
    journalNow();
    guide(this, restoredText(book->count()));
}

void TMainForm::mainMenuUndoImportClick()
{
    if (!journal_) return;
    std::optional<journal::Snapshot> s;
    journal_->run([&](journal::Journal& j) { s = j.lastSnapshot(); });
    if (!s || (!s->whole && s->book.shown >= store_.count())) {
        guide(this, QStringLiteral("取り込み前のデータはありません。"));
        return;
    }
    // What is replaced now is kept the same way, so the command also undoes itself.
    if (s->whole) {
        journalBeforeReplace(-1);
        restoreWorkbook(s->book);
    } else {
        const int i = s->book.shown;
        journalBeforeReplace(i);
        store_[i] = s->book.sheets.front();
        tabCtrl->setTabText(i, s->book.captions.value(0));
        if (i == shownTab_) {
            selectTab(i);
            tabCtrlChange();
        }
    }
    journalNow();
}
