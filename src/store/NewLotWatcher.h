// Watches a characteristic for lots other stations publish after a sheet was loaded, on a
// thread of its own with a connection of its own: on PostgreSQL it listens for the store's
// notifications (and after a dropped connection connects and listens again, counting what it
// missed meanwhile); the embedded store is polled. The count goes out as a signal whenever it
// changes.
#pragma once
#include "store/Characteristic.h"
#include "store/Target.h"

#include <QObject>

#include <atomic>
#include <thread>

namespace store {

class NewLotWatcher : public QObject {
    Q_OBJECT
public:
    struct Setup {
        Target target;
        Credentials credentials;
        Characteristic characteristic;
        qint64 sinceSequence = 0; // SheetOrigin::newestSequence
        QString ownStation;       // this station's lots are not news
        int pollMs = 500;         // the embedded store's polling, and the pause before reconnecting
    };
    explicit NewLotWatcher(Setup setup, QObject* parent = nullptr);
    // Stops the thread and waits for it (at most a connection attempt's time limit).
    ~NewLotWatcher() override;

signals:
    // Emitted on the watcher's thread: connect with a receiver (or this object) of the thread
    // that handles them, so that they are queued there.
    // Lots published by other stations since the sheet was loaded.
    void newLots(int count);
    // Whether the store can be reached; a false is followed by attempts to connect again.
    void connectionChanged(bool connected);

private:
    void watch();
    bool pause(int ms); // false when stopping

    Setup setup_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace store
