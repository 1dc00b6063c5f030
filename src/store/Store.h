// The history store's operations, the same for both front ends and both engines: publishing a
// sheet's lots, listing the characteristics, a lot's revisions, loading a range of lots into a
// sheet, and the baselines. Every text from the operator goes in as a bound parameter. Lot
// revisions are only ever added: never updated, never deleted. One thread uses a store; the
// window runs it on a worker (StoreWorker), never on its own thread.
#pragma once
#include "model/SheetRecord.h"
#include "store/Baseline.h"
#include "store/Characteristic.h"
#include "store/Connection.h"
#include "store/Publication.h"
#include "store/Schema.h"
#include "store/Target.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace store {

struct PublishOptions {
    bool allowDefaultNames = false; // the operator confirmed a sheet with default names
    bool requireReason = true;      // a changed lot without a reason is not stored
    bool dryRun = false;            // count only: what would be new, changed, unchanged
    // Called inside the transaction as the lots are written (lots written so far, all lots).
    std::function<void(int, int)> progress;
};

struct PublishCounts {
    int added = 0;
    int changed = 0;
    int unchanged = 0;
    int alreadyStored = 0; // a resend: these lots' publication was stored before
    int withoutReason = 0; // changed lots left out for want of a reason (among `skipped`)
    std::vector<SkippedLot> skipped;
    int stored() const { return added + changed + unchanged + alreadyStored; }
};

struct CharacteristicSummary {
    Characteristic characteristic;
    QString unit;                 // the newest revision's
    int lots = 0;                 // distinct lot numbers
    std::optional<qint64> lastUs; // the newest revision's publication time
};

struct Revision {
    qint64 sequence = 0;
    qint64 publishedUs = 0; // the server's clock, microseconds since 1970 (UTC)
    QString station, operatorName;
    std::optional<QString> reason;
    LotContent content;
    LotHeader header;
};

// Which lots a sheet is loaded with: the last N (at most 100) in publication order, or those
// first published between two times (both included), optionally only one station's.
struct LoadRange {
    static constexpr int kMaxLots = 100;
    std::optional<int> last;
    std::optional<qint64> fromUs, toUs;
    QString station; // empty: every station
    friend bool operator==(const LoadRange&, const LoadRange&) = default;
};

// Where a loaded sheet came from, kept with it so that it can be refreshed and published back.
struct SheetOrigin {
    QString storeKey; // Target::key()
    Characteristic characteristic;
    LoadRange range;
    qint64 newestSequence = 0; // the characteristic's newest revision when loaded
};

struct LoadedLot {
    QString lot;
    qint64 firstSequence = 0; // its place in publication order
};

struct LoadedSheet {
    model::SheetRecord record;
    std::vector<LoadedLot> lots; // in publication order, as the sheet's rows
    SheetOrigin origin;
    int lotsInRange = 0;         // may be more than the sheet holds
    std::optional<QString> note; // said when the range held more lots than were loaded
    std::optional<Baseline> baseline;
};

class Store {
public:
    enum class Open { Existing, CreateEmbedded };
    // Connects and checks the schema. With CreateEmbedded a missing embedded file is made and
    // given the schema (the embedded store needs no set-up). Throws StoreError.
    static std::unique_ptr<Store> open(const Target& target, const Credentials& credentials = {}, Open mode = Open::Existing);
    // Creates or upgrades the schema (and on PostgreSQL the roles). Throws StoreError.
    static InitResult init(const Target& target, const Credentials& credentials = {});
    // A connection of the target's engine, schema unchecked.
    static std::unique_ptr<Connection> connect(const Target& target, const Credentials& credentials, Open mode = Open::Existing);

    explicit Store(std::unique_ptr<Connection> connection);
    Connection& connection() { return *c_; }

    // Stores the plan's lots in one transaction: a lot number the characteristic does not have
    // yet is new; one whose content differs from its newest revision adds a revision (with the
    // plan's reason); one with the same content adds nothing; a lot whose publication id is
    // stored already is not stored again. Throws StoreError: Invalid for default names that were
    // not confirmed, or the store's failure (nothing of the plan is then stored).
    PublishCounts publish(const PublicationPlan& plan, const PublishOptions& options = {});

    std::vector<CharacteristicSummary> characteristics();
    // Every revision of a lot, oldest first. Throws StoreError (NotFound) for an unknown characteristic.
    std::vector<Revision> history(const Characteristic& c, const QString& lot);
    // The lots of a range as a sheet: in publication order, max(10, lots) lots, the widest lot's
    // measurement count, the newest revision's header and digits; at most the newest 100 of a
    // longer range, with a note. Throws StoreError (NotFound) for an unknown characteristic or
    // an empty range, (Invalid) for a range that is not one.
    LoadedSheet load(const Characteristic& c, const LoadRange& range);

    std::optional<Baseline> baselineInForce(const Characteristic& c);
    // Records a baseline over the loaded lots of `origin` (the first and last in publication
    // order). Returns its id. Throws StoreError (Permission on a role that may not).
    qint64 setBaseline(const LoadedSheet& loaded, const BaselineLimits& limits, const QString& by,
                       const QString& station, const QString& reason);
    void retractBaseline(qint64 id, const QString& by, const QString& station, const QString& reason);

    // Lots of the characteristic with a revision after `sequence` from a station other than
    // `exceptStation`: what the live note counts.
    int newLotsSince(const Characteristic& c, qint64 sequence, const QString& exceptStation);
    // The characteristic's id, none when it is not stored.
    std::optional<qint64> characteristicId(const Characteristic& c);
    // Characteristics with a lot first published at or after the time.
    std::vector<Characteristic> characteristicsWithLotsSince(qint64 us);

private:
    qint64 requireCharacteristic(const Characteristic& c);

    std::unique_ptr<Connection> c_;
};

// Server time from a stored value, in local time.
QString isoLocalTime(qint64 us);

} // namespace store
