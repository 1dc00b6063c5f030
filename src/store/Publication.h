// What publishing a sheet sends: its characteristic, its header as shown, and every lot that
// has a lot number and at least one value, each with a publication id made once, so that a
// resend (from the outbox, after a lost answer) is recognised and stored only once. Built from
// the sheet's record without a store, so the window can ask its questions first.
#pragma once
#include "model/SheetRecord.h"
#include "store/Characteristic.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace store {

// The header stored with every lot revision, so the history shows which specification applied.
struct LotHeader {
    QString unit, specKind, digits, specUpper, specLower;
    friend bool operator==(const LotHeader&, const LotHeader&) = default;
};

struct LotContent {
    bool enabled = true;
    QStringList cells; // the measurement texts in column order, blanks kept
    friend bool operator==(const LotContent&, const LotContent&) = default;
};

// Two contents are the same lot when the enable state and the values compared as numbers agree:
// "1.5" is "1.500", a blank is a blank whatever its characters, trailing blanks do not count.
// A text that is not a number compares as the text itself.
bool sameContent(const LotContent& a, const LotContent& b);

struct PlannedLot {
    int row = 0; // lot row on the sheet, from 1
    QString lot; // as entered
    LotContent content;
    QString publicationId; // a UUID
};

struct SkippedLot {
    int row = 0;
    QString lot;
    QString reason;
};

struct PublicationPlan {
    Characteristic characteristic;
    LotHeader header;
    QString station;
    QString operatorName;
    QString reason; // for lots whose content changed; empty when none was given
    std::vector<PlannedLot> lots;    // in sheet order
    std::vector<SkippedLot> skipped; // lots with a number or values that are not sent, and why
    // The item name or lot numbers are still the ones a new sheet gets ("Sheet1", K001…): what
    // the front end asks about (or the command line refuses) before publishing.
    std::optional<QString> defaultNames;

    // The plan kept in the outbox and read back.
    QByteArray toJson() const;
    static std::optional<PublicationPlan> fromJson(const QByteArray& json);
};

struct PlanRequest {
    QString station;
    QString operatorName;
    QString reason;
};

PublicationPlan planPublication(const model::SheetRecord& record, const PlanRequest& request);

} // namespace store
