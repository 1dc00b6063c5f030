#include "store/NewLotWatcher.h"

#include "store/PostgresConnection.h"
#include "store/Schema.h"
#include "store/Store.h"

#include <chrono>
#include <optional>

namespace store {

namespace {

// How often the listening thread looks whether it should stop.
constexpr int kSliceMs = 200;

} // namespace

NewLotWatcher::NewLotWatcher(Setup setup, QObject* parent) : QObject(parent), setup_(std::move(setup))
{
    thread_ = std::thread([this] { watch(); });
}

NewLotWatcher::~NewLotWatcher()
{
    stop_ = true;
    thread_.join();
}

bool NewLotWatcher::pause(int ms)
{
    for (int waited = 0; waited < ms && !stop_; waited += kSliceMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kSliceMs, ms - waited)));
    return !stop_;
}

void NewLotWatcher::watch()
{
    std::unique_ptr<Store> store;
    PostgresConnection* server = nullptr; // the store's connection when it listens
    std::optional<bool> connected;
    std::optional<int> told;
    std::optional<qint64> id;
    auto tell = [&](int count) {
        if (told == count) return;
        told = count;
        emit newLots(count);
    };
    while (!stop_) {
        try {
            bool look = false;
            if (!store) {
                std::unique_ptr<Connection> c = Store::connect(setup_.target, setup_.credentials);
                server = dynamic_cast<PostgresConnection*>(c.get());
                if (server) server->listen(kLotChannel);
                store = std::make_unique<Store>(std::move(c));
                if (connected != true) emit connectionChanged(true);
                connected = true;
                look = true; // whatever came while no one listened
            }
            if (server) {
                for (const auto& n : server->waitForNotifications(kSliceMs))
                    look = look || !id || n.payload == QString::number(*id);
            } else {
                look = true;
                if (!pause(setup_.pollMs)) break;
            }
            if (look) {
                if (!id) id = store->characteristicId(setup_.characteristic);
                tell(store->newLotsSince(setup_.characteristic, setup_.sinceSequence, setup_.ownStation));
            }
        } catch (const StoreError&) {
            store.reset();
            server = nullptr;
            if (connected != false) emit connectionChanged(false);
            connected = false;
            if (!pause(setup_.pollMs)) break;
        }
    }
}

} // namespace store
