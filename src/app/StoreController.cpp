#include "app/StoreController.h"

#include "app/MainFormView.h"
#include "app/TSplashForm.h"
#include "dialogs/TDatabaseForm.h"
#include "dialogs/TOutboxForm.h"
#include "dialogs/TPromptForm.h"
#include "dialogs/TStoreLoadForm.h"
#include "model/Text.h"
#include "sheetview/ViewTexts.h"
#include "store/ConnectionCheck.h"
#include "store/LocalIdentity.h"
#include "store/Messages.h"
#include "store/NewLotWatcher.h"
#include "store/PublishReport.h"
#include "ui/Interaction.h"

#include <QAction>
#include <QDateTime>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>

namespace {

void guide(QWidget* parent, const QString& text, ui::MessageIcon icon = ui::MessageIcon::Information)
{
    ui::showMessage(parent, text, ui::kGuidanceCaption, icon);
}

void warn(QWidget* parent, const QString& text) { ui::showMessage(parent, text, ui::kWarningCaption, ui::MessageIcon::Warning); }

QSettings programSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mirelda"), QStringLiteral("Quorvane"));
}

// The limits a baseline freezes, as the question before it names them.
QString limitsText(const store::BaselineLimits& l)
{
    const QString method = sheetview::listText(sheetview::limitMethodTexts(), l.method);
    if (l.basis)
        return QStringLiteral("%1: X̿ %2、σ̂ %3").arg(method, QString::number(l.basis->centre, 'g', 10), QString::number(l.basis->sigma, 'g', 10));
    return QStringLiteral("%1: X-UCL %2、X-LCL %3、%4-UCL %5").arg(method, l.ucl, l.lcl, sheetview::dispersionSide(l.chart), l.dispersionUcl);
}

QStringList unsentRow(const store::OutboxEntry& e)
{
    const QString when = QDateTime::fromMSecsSinceEpoch(e.queuedUs / 1000).toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    const QString state = e.state == store::OutboxState::Pending ? QStringLiteral("送信待ち")
                                                                  : QStringLiteral("送信できません: ") + e.problem;
    return {when, store::characteristicPath(e.plan.characteristic), QString::number(e.plan.lots.size()), state};
}

} // namespace

StoreController::StoreController(TMainForm& form) : form_(form)
{
    TMainForm& f = form_;
    QMenu* file = qobject_cast<QMenu*>(f.menuFileExit->parent());
    QMenu* setting = qobject_cast<QMenu*>(f.menuSettingOption->parent());
    // The store's commands after the exports, before the exit.
    QAction* before = f.menuFileExit;
    const QList<QAction*> items = file->actions();
    const qsizetype afterSaves = items.indexOf(f.mainMenuCsvSave) + 1;
    if (afterSaves > 0 && afterSaves < items.size()) before = items[afterSaves];
    file->insertSeparator(before);
    f.mainMenuPublish = new QAction(QStringLiteral("データベースへ登録(&P)"), file);
    f.mainMenuPublishAll = new QAction(QStringLiteral("全シートをデータベースへ登録"), file);
    f.mainMenuLoad = new QAction(QStringLiteral("データベースから読込(&L)…"), file);
    f.mainMenuBaseline = new QAction(QStringLiteral("この範囲を基準にする(&B)"), file);
    f.mainMenuUnsent = new QAction(QStringLiteral("未送信データ(&O)…"), file);
    file->insertActions(before, {f.mainMenuPublish, f.mainMenuPublishAll, f.mainMenuLoad, f.mainMenuBaseline, f.mainMenuUnsent});
    f.mainMenuBaseline->setEnabled(false);
    setting->addSeparator();
    f.menuSettingDatabase = setting->addAction(QStringLiteral("データベース設定(&D)…"));
}

StoreController::~StoreController()
{
    stopWatching();
    stopWorker();
}

void StoreController::start()
{
    try {
        QSettings s = programSettings();
        settings_ = store::loadStoreSettings(s);
    } catch (const store::StoreError& e) {
        settings_ = {};
        form_.statusBar()->showMessage(e.message());
    }
    restartWorker();
}

void StoreController::stopWorker()
{
    delete workerToken_;
    workerToken_ = nullptr;
    if (!worker_) return;
    // Its end waits for a connection attempt under way to give up: not on the window's thread.
    store::StoreWorker* worker = worker_.release();
    worker->moveToThread(nullptr);
    background_.run([worker] { delete worker; });
}

void StoreController::stopWatching()
{
    delete watcherToken_;
    watcherToken_ = nullptr;
    watched_.reset();
    showNewLots(0);
    if (!watcher_) return;
    store::NewLotWatcher* watcher = watcher_.release();
    watcher->moveToThread(nullptr);
    background_.run([watcher] { delete watcher; });
}

void StoreController::restartWorker()
{
    stopWatching();
    stopWorker();
    showUnsentNote(0);
    if (settings_.mode == store::StoreMode::Off) {
        sheetEntered(form_.tabCtrl->currentIndex());
        return;
    }
    store::Target target;
    try {
        target = store::targetOf(settings_);
    } catch (const store::StoreError& e) {
        form_.statusBar()->showMessage(e.message());
        return;
    }
    worker_ = std::make_unique<store::StoreWorker>(
        store::StoreWorker::Setup{target, credentials_, store::defaultOutboxPath(), station(), flushIntervalMs});
    workerToken_ = new QObject(this);
    connect(worker_.get(), &store::StoreWorker::outboxChanged, workerToken_,
            [this](int pending, int setAside) { showUnsentNote(pending + setAside); });
    sheetEntered(form_.tabCtrl->currentIndex());
}

QString StoreController::station() const { return store::stationOf(settings_); }

QString StoreController::sheetName(int index) const
{
    QString name = QStringLiteral("シート%1").arg(index + 1);
    const QString& item = form_.store_[index].item;
    if (!model::isBlank(item)) name += QStringLiteral("（") + item + QStringLiteral("）");
    return name;
}

bool StoreController::requireStore()
{
    if (worker_) return true;
    guide(&form_, QStringLiteral("データベースを使う設定になっていません。「設定」メニューの「データベース設定」で設定してください。"));
    return false;
}

template <class T>
T StoreController::await(const QString& busy, const std::function<void(QObject*, std::function<void(T)>)>& request)
{
    std::optional<T> answer;
    SplashGuard guard(form_.splash_, busy);
    QEventLoop loop;
    QObject receiver;
    request(&receiver, [&](T value) {
        answer = std::move(value);
        loop.quit();
    });
    while (!answer) loop.exec(QEventLoop::ExcludeUserInputEvents);
    return std::move(*answer);
}

template <class R>
store::Outcome<R> StoreController::call(const QString& busy, std::function<R(store::Store&)> job)
{
    auto once = [&] {
        return await<store::Outcome<R>>(busy, [&](QObject* receiver, std::function<void(store::Outcome<R>)> done) {
            worker_->run<R>(job, receiver, std::move(done));
        });
    };
    store::Outcome<R> outcome = once();
    if (outcome.error && askPassword(*outcome.error)) outcome = once();
    return outcome;
}

bool StoreController::askPassword(const store::StoreError& error)
{
    if (error.fault() != store::Fault::Authentication || settings_.mode != store::StoreMode::Server) return false;
    const QString where = store::targetOf(settings_).display();
    TPromptForm prompt(&form_, QStringLiteral("パスワードの入力"),
                       QStringLiteral("データベース %1 のパスワードを入力してください。\n"
                                      "パスワードは保存されません（このプログラムを終了するまで記憶します）。")
                           .arg(where),
                       TPromptForm::Echo::Secret);
    if (ui::interaction().execDialog(prompt) != QDialog::Accepted) return false;
    credentials_.password = prompt.answer().toUtf8();
    restartWorker();
    return true;
}

// Settings.

void StoreController::editSettings()
{
    TDatabaseForm dialog(&form_);
    dialog.setSettings(settings_, settings_.embeddedPath.isEmpty() ? store::defaultEmbeddedPath() : settings_.embeddedPath,
                       store::defaultStationName());
    dialog.setPassword(credentials_.password.value_or(QByteArray()));
    testDialog_ = &dialog;
    connect(&dialog, &TDatabaseForm::testRequested, this, [this, &dialog] { testConnection(dialog); });
    store::StoreSettings chosen;
    for (;;) {
        if (ui::interaction().execDialog(dialog) != QDialog::Accepted) return;
        chosen = dialog.settings();
        chosen.embeddedPath = settings_.embeddedPath;
        try {
            QSettings s = programSettings();
            store::saveStoreSettings(s, chosen);
            s.sync();
            if (s.status() != QSettings::NoError) {
                warn(&form_, QStringLiteral("設定を保存できませんでした。今回変更した設定は次回の起動に引き継がれません…。"));
            }
            break;
        } catch (const store::StoreError& e) {
            warn(&form_, e.message());
        }
    }
    settings_ = chosen;
    const QByteArray password = dialog.password();
    credentials_.password = password.isEmpty() ? std::nullopt : std::optional<QByteArray>(password);
    restartWorker();
}

void StoreController::testConnection(TDatabaseForm& dialog)
{
    store::StoreSettings s = dialog.settings();
    s.embeddedPath = settings_.embeddedPath;
    store::Target target;
    try {
        target = store::targetOf(s);
    } catch (const store::StoreError& e) {
        dialog.showTest(e.message(), false);
        return;
    }
    store::Credentials credentials;
    if (!dialog.password().isEmpty()) credentials.password = dialog.password();
    dialog.showTesting();
    const quint64 ticket = ++testTicket_;
    background_.run([this, target, credentials, ticket] {
        const store::ConnectionCheck check = store::checkConnection(target, credentials);
        QMetaObject::invokeMethod(
            this,
            [this, check, ticket] {
                if (ticket == testTicket_ && testDialog_) testDialog_->showTest(check.text, check.ok);
            },
            Qt::QueuedConnection);
    });
}

// Publishing.

void StoreController::publishShown() { publish({form_.tabCtrl->currentIndex()}); }

void StoreController::publishAll()
{
    std::vector<int> all(size_t(form_.store_.count()));
    for (size_t i = 0; i < all.size(); ++i) all[i] = int(i);
    publish(all);
}

void StoreController::publish(const std::vector<int>& sheets)
{
    if (!requireStore()) return;
    form_.SaveSheet(form_.tabCtrl->currentIndex());
    const store::PlanRequest request{station(), store::operatorName(), {}};
    std::vector<SheetPlan> plans;
    QStringList defaults, leftOut;
    for (int index : sheets) {
        SheetPlan p{sheetName(index), store::planPublication(form_.store_[index], request)};
        if (p.plan.lots.empty()) {
            // Sheets without a lot to publish are passed over, telling why only when one was meant.
            for (const QString& line : store::skippedLines(p.plan.skipped)) leftOut << p.name + QStringLiteral(": ") + line;
            continue;
        }
        if (p.plan.defaultNames) defaults << (sheets.size() > 1 ? p.name + QStringLiteral(": ") : QString()) + *p.plan.defaultNames;
        plans.push_back(std::move(p));
    }
    if (plans.empty()) {
        guide(&form_, (QStringList{QStringLiteral("登録するロットがありません（ロット番号と測定値のあるロットを登録します）。")} + leftOut).join(u'\n'));
        return;
    }
    // Untouched names would merge the sheets of several stations into one characteristic.
    if (!defaults.isEmpty()
        && !ui::askYesNo(&form_, defaults.join(u'\n') + QStringLiteral("\n他のシートと同じ特性として登録されるおそれがあります。このまま登録しますか？"),
                         ui::kGuidanceCaption, ui::MessageIcon::Warning))
        return;
    bool proceed = true;
    const std::optional<QString> reason = changeReason(plans, proceed);
    if (!proceed) return;

    std::vector<store::SheetPublication> results;
    for (SheetPlan& p : plans) {
        if (reason) p.plan.reason = *reason;
        results.push_back({p.name, publishOne(p.plan)});
    }
    QString text = store::publishReport(results);
    if (!leftOut.isEmpty()) text += u'\n' + leftOut.join(u'\n');
    const bool failed = std::any_of(results.begin(), results.end(),
                                    [](const store::SheetPublication& r) { return r.outcome.kind == store::PublishOutcome::Kind::Failed; });
    if (failed) warn(&form_, text);
    else guide(&form_, text);
}

std::optional<QString> StoreController::changeReason(const std::vector<SheetPlan>& plans, bool& proceed)
{
    // What the store holds decides which lots changed: counted without storing anything, after
    // what waits in the outbox went ahead (it is stored before this publication).
    worker_->flushOutbox();
    std::vector<store::PublicationPlan> dry;
    for (const SheetPlan& p : plans) dry.push_back(p.plan);
    const store::Outcome<std::vector<store::PublishCounts>> counted = call<std::vector<store::PublishCounts>>(
        QStringLiteral("データベースと照合しています。"), [dry](store::Store& s) {
            store::PublishOptions options;
            options.dryRun = true;
            options.allowDefaultNames = true;
            std::vector<store::PublishCounts> out;
            for (const store::PublicationPlan& p : dry) out.push_back(s.publish(p, options));
            return out;
        });
    if (counted.error) {
        // A server out of reach gets the publication later, from the outbox; it cannot say now
        // what changed.
        if (store::isTransient(counted.error->fault()) && settings_.mode == store::StoreMode::Server) return std::nullopt;
        warn(&form_, counted.error->message());
        proceed = false;
        return std::nullopt;
    }
    QStringList changed;
    for (size_t i = 0; i < plans.size(); ++i) {
        const store::PublishCounts& c = (*counted.value)[i];
        QStringList lots;
        // The changed lots without a reason come last among those left out.
        for (auto s = c.skipped.end() - c.withoutReason; s != c.skipped.end(); ++s) lots << s->lot;
        if (!lots.isEmpty()) changed << (plans.size() > 1 ? plans[i].name + QStringLiteral(": ") : QString()) + lots.join(QStringLiteral(", "));
    }
    if (changed.isEmpty()) return std::nullopt;
    TPromptForm prompt(&form_, QStringLiteral("変更理由の入力"),
                       QStringLiteral("登録済みのロットの内容が変わっています。\n%1\n変更理由を入力してください。").arg(changed.join(u'\n')));
    if (ui::interaction().execDialog(prompt) != QDialog::Accepted) {
        proceed = false;
        return std::nullopt;
    }
    return prompt.answer();
}

store::PublishOutcome StoreController::publishOne(const store::PublicationPlan& plan)
{
    auto once = [&] {
        store::PublishOptions options;
        options.allowDefaultNames = true; // confirmed before
        return await<store::PublishOutcome>(QStringLiteral("データベースに登録しています。"),
                                            [&](QObject* receiver, std::function<void(store::PublishOutcome)> done) {
                                                worker_->publish(plan, options, receiver, std::move(done));
                                            });
    };
    store::PublishOutcome outcome = once();
    if (outcome.kind == store::PublishOutcome::Kind::Failed && outcome.error && askPassword(*outcome.error)) outcome = once();
    return outcome;
}

// Loading.

StoreController::Loaded* StoreController::loadedAt(int index)
{
    std::erase_if(loaded_, [this](const auto& entry) { return entry.first >= form_.store_.count(); });
    const auto found = loaded_.find(index);
    if (found == loaded_.end()) return nullptr;
    // A sheet renamed, or replaced by a way that does not say so, is no longer the one loaded.
    const model::SheetRecord& r = form_.store_[index];
    if (store::Characteristic{r.product, r.process, r.device, r.item} != found->second.sheet.origin.characteristic) {
        loaded_.erase(found);
        return nullptr;
    }
    return &found->second;
}

bool StoreController::shownSheetLoaded()
{
    const int shown = form_.tabCtrl->currentIndex();
    form_.SaveSheet(shown);
    return loadedAt(shown) != nullptr;
}

void StoreController::load()
{
    if (!requireStore()) return;
    const store::Outcome<std::vector<store::CharacteristicSummary>> list = call<std::vector<store::CharacteristicSummary>>(
        QStringLiteral("データベースに接続しています。"), [](store::Store& s) { return s.characteristics(); });
    if (list.error) {
        warn(&form_, list.error->message());
        return;
    }
    if (list.value->empty()) {
        guide(&form_, QStringLiteral("データベースに登録された特性はありません。"));
        return;
    }
    TStoreLoadForm dialog(&form_, *list.value);
    if (ui::interaction().execDialog(dialog) != QDialog::Accepted) return;
    const std::optional<store::Characteristic> chosen = dialog.chosen();
    if (!chosen) return;
    loadInto(form_.tabCtrl->currentIndex(), *chosen, dialog.range(), true);
}

void StoreController::refresh()
{
    if (!worker_ || !shownSheetLoaded()) return;
    const int shown = form_.tabCtrl->currentIndex();
    const store::SheetOrigin origin = loaded_.at(shown).sheet.origin;
    loadInto(shown, origin.characteristic, origin.range, false);
}

void StoreController::loadInto(int index, const store::Characteristic& c, const store::LoadRange& range, bool askAlways)
{
    form_.SaveSheet(index);
    const model::SheetRecord& now = form_.store_[index];
    const Loaded* before = loadedAt(index);
    // A sheet loaded before and not changed since is replaced without a question.
    const bool changedSince = askAlways || !before || before->asLoaded != now;
    if (changedSince && model::holdsMeasurements(now)
        && !ui::askYesNo(&form_, QStringLiteral("現在のシートのデータはデータベースのデータに置き換わります。よろしいですか？"),
                         ui::kGuidanceCaption, ui::MessageIcon::Warning))
        return;
    store::Outcome<store::LoadedSheet> got = call<store::LoadedSheet>(QStringLiteral("データベースから読み込み中です。"),
                                                                      [c, range](store::Store& s) { return s.load(c, range); });
    if (got.error) {
        warn(&form_, got.error->message()); // the sheet stays as it was
        return;
    }
    const std::optional<QString> note = got.value->note;
    applyLoaded(index, std::move(*got.value));
    if (note) guide(&form_, *note);
}

void StoreController::applyLoaded(int index, store::LoadedSheet loaded)
{
    TMainForm& f = form_;
    // Kept in the recovery journal as an import is, so "取り込み前のデータに戻す" brings it back.
    f.journalBeforeReplace(index);
    f.store_[index] = loaded.record;
    f.tabCtrl->setTabText(index, loaded.record.item);
    Loaded& entry = loaded_[index];
    entry.sheet = std::move(loaded);
    if (index == f.tabCtrl->currentIndex()) {
        f.shownTab_ = -1; // the view belongs to no record until the sheet is entered
        f.tabCtrlChange();
    }
    // The record as entering it shows it (the digits applied), for the next refresh to compare.
    if (index == f.tabCtrl->currentIndex()) f.SaveSheet(index);
    if (Loaded* kept = loadedAt(index)) kept->asLoaded = f.store_[index];
}

void StoreController::sheetEntered(int index)
{
    const Loaded* entry = index >= 0 && index < form_.store_.count() ? loadedAt(index) : nullptr;
    form_.mainMenuBaseline->setEnabled(entry != nullptr);
    if (entry) applyBaseline(index);
    else showBaselineNote({});
    watch(entry);
}

void StoreController::applyBaseline(int index)
{
    const Loaded* entry = loadedAt(index);
    if (!entry || !entry->sheet.baseline) {
        showBaselineNote({});
        return;
    }
    QString note;
    {
        TMainForm::ViewLoan loan(form_, index);
        note = store::applyBaseline(loan.view, *entry->sheet.baseline);
    }
    form_.cmbLimitChange();
    showBaselineNote(note);
}

void StoreController::sheetReplaced(int index)
{
    if (index < 0) loaded_.clear();
    else loaded_.erase(index);
}

// Baselines.

void StoreController::setBaseline()
{
    if (!requireStore()) return;
    if (!shownSheetLoaded()) {
        guide(&form_, QStringLiteral("データベースから読み込んだシートで使えます。"));
        return;
    }
    const int shown = form_.tabCtrl->currentIndex();
    const store::LoadedSheet sheet = loaded_.at(shown).sheet;
    store::BaselineLimits limits;
    try {
        TMainForm::ViewLoan loan(form_, shown);
        limits = store::limitsOfView(loan.view);
    } catch (const store::StoreError& e) {
        warn(&form_, e.message());
        return;
    }
    const QString lots = QStringLiteral("%1～%2 の %3 ロット").arg(sheet.lots.front().lot, sheet.lots.back().lot).arg(sheet.lots.size());
    if (!ui::askYesNo(&form_,
                      QStringLiteral("%1の管理限界（%2）を、この特性の基準にします。\n"
                                     "以後、この特性を読み込んだシートはこの基準の管理限界で判定します。よろしいですか？")
                          .arg(lots, limitsText(limits)),
                      ui::kGuidanceCaption, ui::MessageIcon::Warning))
        return;
    TPromptForm prompt(&form_, QStringLiteral("基準にする理由の入力"), QStringLiteral("%1を基準にする理由を入力してください。").arg(lots));
    if (ui::interaction().execDialog(prompt) != QDialog::Accepted) return;
    const QString reason = prompt.answer();
    const QString by = store::operatorName();
    const QString where = station();
    const store::Outcome<std::optional<store::Baseline>> set = call<std::optional<store::Baseline>>(
        QStringLiteral("基準を登録しています。"), [sheet, limits, by, where, reason](store::Store& s) {
            s.setBaseline(sheet, limits, by, where, reason);
            return s.baselineInForce(sheet.origin.characteristic);
        });
    if (set.error) {
        warn(&form_, QStringLiteral("基準を登録できませんでした。\n") + set.error->message());
        return;
    }
    // Every sheet loaded with this characteristic judges by it from now on.
    for (auto& [index, entry] : loaded_)
        if (entry.sheet.origin.characteristic == sheet.origin.characteristic) entry.sheet.baseline = *set.value;
    applyBaseline(shown);
    emit form_.resultsChanged();
    if (*set.value) guide(&form_, QStringLiteral("基準を登録しました。\n") + store::baselineText(**set.value));
}

// The live note.

void StoreController::watch(const Loaded* entry)
{
    if (!entry || !worker_) {
        stopWatching();
        return;
    }
    const std::pair<store::Characteristic, qint64> what{entry->sheet.origin.characteristic, entry->sheet.origin.newestSequence};
    if (watched_ == what) return;
    stopWatching();
    store::NewLotWatcher::Setup setup{worker_->setup().target, credentials_, what.first, what.second, station()};
    watcher_ = std::make_unique<store::NewLotWatcher>(std::move(setup));
    watcherToken_ = new QObject(this);
    connect(watcher_.get(), &store::NewLotWatcher::newLots, watcherToken_, [this](int count) { showNewLots(count); });
    watched_ = what;
}

// The outbox.

void StoreController::showUnsent()
{
    if (!requireStore()) return;
    TOutboxForm dialog(&form_);
    fillUnsent(dialog);
    if (unsent_.empty()) {
        guide(&form_, QStringLiteral("未送信データはありません。"));
        return;
    }
    connect(&dialog, &TOutboxForm::retryRequested, this, [this, &dialog](int row) {
        if (row < 0 || row >= int(unsent_.size())) return;
        worker_->retry(unsent_[size_t(row)].id);
        fillUnsent(dialog); // answered after the retry: the worker does one thing after the other
    });
    connect(&dialog, &TOutboxForm::discardRequested, this, [this, &dialog](int row) {
        if (row < 0 || row >= int(unsent_.size())) return;
        const store::OutboxEntry entry = unsent_[size_t(row)];
        TPromptForm prompt(&dialog, QStringLiteral("破棄する理由の入力"),
                           QStringLiteral("%1 の %2 ロットを送信せずに破棄します。破棄する理由を入力してください。")
                               .arg(store::characteristicPath(entry.plan.characteristic))
                               .arg(entry.plan.lots.size()));
        if (ui::interaction().execDialog(prompt) != QDialog::Accepted) return;
        const QString reason = prompt.answer();
        const std::optional<store::StoreError> error = await<std::optional<store::StoreError>>(
            QStringLiteral("未送信データを破棄しています。"),
            [&](QObject* receiver, std::function<void(std::optional<store::StoreError>)> done) {
                worker_->discard(entry.id, reason, receiver, std::move(done));
            });
        if (error) warn(&dialog, error->message());
        fillUnsent(dialog);
    });
    ui::interaction().execDialog(dialog);
}

void StoreController::fillUnsent(TOutboxForm& dialog)
{
    unsent_ = await<std::vector<store::OutboxEntry>>(QStringLiteral("未送信データを確かめています。"),
                                                      [this](QObject* receiver, std::function<void(std::vector<store::OutboxEntry>)> done) {
                                                          worker_->unsent(receiver, std::move(done));
                                                      });
    QList<QStringList> rows;
    for (const store::OutboxEntry& e : unsent_) rows << unsentRow(e);
    dialog.setRows(rows);
}

// The status bar.

void StoreController::makeStatusParts()
{
    TMainForm& f = form_;
    if (f.pnlStoreBaseline) return;
    QStatusBar* bar = f.statusBar();
    f.pnlStoreBaseline = new QLabel(bar);
    f.pnlStoreNewLots = new QLabel(bar);
    f.btnStoreRefresh = new QToolButton(bar);
    f.btnStoreRefresh->setText(QStringLiteral("更新"));
    f.btnStoreRefresh->setToolTip(QStringLiteral("新しいロットを含めて読み込み直します"));
    f.btnStoreUnsent = new QToolButton(bar);
    f.btnStoreUnsent->setToolTip(QStringLiteral("未送信データの一覧を表示します"));
    f.btnStoreUnsent->setAutoRaise(true);
    bar->addPermanentWidget(f.pnlStoreBaseline);
    bar->addPermanentWidget(f.pnlStoreNewLots);
    bar->addPermanentWidget(f.btnStoreRefresh);
    bar->addPermanentWidget(f.btnStoreUnsent);
    for (QWidget* w : {static_cast<QWidget*>(f.pnlStoreBaseline), static_cast<QWidget*>(f.pnlStoreNewLots),
                       static_cast<QWidget*>(f.btnStoreRefresh), static_cast<QWidget*>(f.btnStoreUnsent)})
        w->hide();
    f.on(f.btnStoreRefresh, &QToolButton::clicked, &TMainForm::btnStoreRefreshClick);
    f.on(f.btnStoreUnsent, &QToolButton::clicked, &TMainForm::mainMenuUnsentClick);
}

void StoreController::showBaselineNote(const QString& text)
{
    if (text.isEmpty() && !form_.pnlStoreBaseline) return;
    makeStatusParts();
    form_.pnlStoreBaseline->setText(text);
    form_.pnlStoreBaseline->setVisible(!text.isEmpty());
}

void StoreController::showNewLots(int count)
{
    if (count <= 0 && !form_.pnlStoreNewLots) return;
    makeStatusParts();
    form_.pnlStoreNewLots->setText(count > 0 ? store::newLotsNote(count) : QString());
    form_.pnlStoreNewLots->setVisible(count > 0);
    form_.btnStoreRefresh->setVisible(count > 0);
}

void StoreController::showUnsentNote(int lots)
{
    if (lots <= 0 && !form_.btnStoreUnsent) return;
    makeStatusParts();
    form_.btnStoreUnsent->setText(lots > 0 ? store::outboxNote(lots) : QString());
    form_.btnStoreUnsent->setVisible(lots > 0);
}
