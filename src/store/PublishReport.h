// The window's message after publishing several sheets at once: the lots stored over all of
// them in one count, the lots kept for later, then per sheet the lots left out and the
// failures, each line named by its sheet.
#pragma once
#include "store/StoreWorker.h"

#include <QString>

#include <vector>

namespace store {

struct SheetPublication {
    QString sheet; // "シート2（軸外径）"
    PublishOutcome outcome;
};

QString publishReport(const std::vector<SheetPublication>& sheets);

} // namespace store
