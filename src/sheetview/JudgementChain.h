// The judgement chain on the sheet view, as the judgement buttons run it: first the
// specification judgement, then (with the three-sigma method after computing the control limits) the
// capability judgement, then the SPC rules. Each stage runs the one before it and goes on
// only when that stage left a result in its panel; the stops that show no message are the
// chain's, not the front end's.
#pragma once
#include "judge/CapabilityStudy.h"
#include "judge/StandardLimits.h"
#include "model/SheetRecord.h"
#include "sheetview/Notice.h"
#include "sheetview/SheetView.h"

#include <optional>

namespace sheetview {

enum class HeaderField { Item, Unit, SpecUpper, SpecLower };

struct ChainContext {
    const model::RuleOptions* rules = nullptr; // the SPC stage's rule options
    model::SheetRecord* record = nullptr;      // the shown sheet's record, saved on the way; none: not saved
};

// What a run did beyond the view, for the front end to show once it has shown the view.
struct ChainReport {
    std::optional<Notice> notice;      // the message that stopped the chain
    std::optional<HeaderField> focus;  // the blank required field, to take the focus
    bool specFinished = false;         // the scan ended: its grid goes back to the first lot and column
    bool capabilityFinished = false;   // the capability judgement ended: its grid's first row is current
    bool spcFinished = false;          // the SPC judgement ended: its grid's first row is current
};

// The required-field check: empties the specification judgement's panel, then finds the first blank
// of the item name, the unit and the limit fields in use; that one gets the focus and the
// guidance message. False when one is blank.
bool checkRequiredFields(SheetView& view, ChainReport& report);

// Each raises model::ConvertError for a text that must be a number and is not; what the
// stage wrote up to that point stays in the view.
void judgeSpecification(SheetView& view, const ChainContext& context, ChainReport& report);
// The three-sigma limits from the enabled lots; false when fewer than two values leave the
// fields as they are. Under the control chart constants the limits for the nominal lot size
// (the measurement count); false when they cannot be computed, and the fields are emptied.
bool computeControlLimits(SheetView& view);

// The limits of every used lot by the control chart constants, from the sheet's values;
// nothing when they cannot be computed. Raises model::ConvertError.
std::optional<judge::StandardLimits> standardLimitsOf(const SheetView& view);

// The capability study of the sheet's used values, when the capability judgement has a
// result and the specification limits convert.
std::optional<judge::CapabilityStudy> capabilityStudyOf(const SheetView& view);
void judgeCapability(SheetView& view, const ChainContext& context, ChainReport& report);
void judgeSpc(SheetView& view, const ChainContext& context, ChainReport& report);

// The measurement cells drawn red after a judgement: displayed, not blank, and outside the
// limits the header shows now. (column, row) with column from 0 and lot row from 1.
struct CellAt {
    int col = 0;
    int row = 0;
    friend bool operator==(const CellAt&, const CellAt&) = default;
};
std::vector<CellAt> outOfSpecCells(const SheetView& view);

} // namespace sheetview
