// The main window's history store: its settings, the worker that talks to the store off the
// window's thread, publishing sheets, loading a characteristic's lots into a sheet (which then
// remembers where it came from, gets its baseline again each time it is entered and hears of
// lots other stations publish), baselines, and the publications kept on this PC while the
// server cannot be reached. The store itself is in src/store; TMainForm's handlers forward here.
#pragma once
#include "app/BackgroundThreads.h"
#include "model/SheetRecord.h"
#include "store/Store.h"
#include "store/StoreSettings.h"
#include "store/StoreWorker.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class TDatabaseForm;
class TMainForm;
class TOutboxForm;

namespace store {
class NewLotWatcher;
} // namespace store

class StoreController final : public QObject {
    Q_OBJECT
public:
    explicit StoreController(TMainForm& form);
    ~StoreController() override;

    // Reads the settings and starts the store's worker when a store is set.
    void start();
    // The worker (and the watcher) made again for the settings and password held now.
    void restartWorker();

    // "データベース設定(&D)…".
    void editSettings();
    // "データベースへ登録(&P)" and "全シートをデータベースへ登録".
    void publishShown();
    void publishAll();
    // "データベースから読込(&L)…".
    void load();
    // The live note's refresh: the shown sheet loaded again with the range it was loaded with.
    void refresh();
    // "この範囲を基準にする(&B)".
    void setBaseline();
    // "未送信データ(&O)…".
    void showUnsent();

    // Sheet `index` was entered: a sheet loaded from the store gets its baseline again, and the
    // live note follows the shown sheet.
    void sheetEntered(int index);
    // An operation replaces sheet `index` (-1: every sheet): what was loaded there is forgotten.
    void sheetReplaced(int index);

    // Whether the shown sheet was loaded from the store (and still names its characteristic).
    bool shownSheetLoaded();

    // How often the worker tries to send what waits in the outbox, in milliseconds.
    int flushIntervalMs = 30000;

private:
    // A sheet loaded from the store: where it came from and its lots, and the record as the
    // sheet held it right after loading (a refresh asks before it replaces changes made since).
    struct Loaded {
        store::LoadedSheet sheet;
        model::SheetRecord asLoaded;
    };
    struct SheetPlan {
        QString name;
        store::PublicationPlan plan;
    };

    bool requireStore();
    QString station() const;
    QString sheetName(int index) const;
    Loaded* loadedAt(int index);
    void publish(const std::vector<int>& sheets);
    std::optional<QString> changeReason(const std::vector<SheetPlan>& plans, bool& proceed);
    store::PublishOutcome publishOne(const store::PublicationPlan& plan);
    void loadInto(int index, const store::Characteristic& c, const store::LoadRange& range, bool askAlways);
    void applyLoaded(int index, store::LoadedSheet loaded);
    void applyBaseline(int index);
    void watch(const Loaded* loaded);
    void stopWatching();
    void stopWorker();
    void testConnection(TDatabaseForm& dialog);
    void fillUnsent(TOutboxForm& dialog);
    // A password asked for when the server refused to go on without one; true when one was given.
    bool askPassword(const store::StoreError& error);

    // Waits for a worker's answer with the busy window shown; the window keeps being painted
    // and its timers run, the operator's input waits.
    template <class T>
    T await(const QString& busy, const std::function<void(QObject*, std::function<void(T)>)>& request);
    // A job on the worker, asked again once after a password was given.
    template <class R>
    store::Outcome<R> call(const QString& busy, std::function<R(store::Store&)> job);

    void showBaselineNote(const QString& text);
    void showNewLots(int count);
    void showUnsentNote(int lots);
    void makeStatusParts();

    TMainForm& form_;
    store::StoreSettings settings_;
    store::Credentials credentials_; // in memory only
    std::unique_ptr<store::StoreWorker> worker_;
    QObject* workerToken_ = nullptr; // the context of the worker's signals: gone, they are dropped
    std::unique_ptr<store::NewLotWatcher> watcher_;
    QObject* watcherToken_ = nullptr;
    std::optional<std::pair<store::Characteristic, qint64>> watched_;
    std::map<int, Loaded> loaded_; // by sheet index
    std::vector<store::OutboxEntry> unsent_; // the rows of the list shown
    QPointer<TDatabaseForm> testDialog_;
    quint64 testTicket_ = 0;
    BackgroundThreads background_; // last: its threads end before the rest goes
};
