#pragma once
#include <QtGlobal>
#include <atomic>
#include <string>

namespace spreadsheet {

// Bytes of parts that reading one workbook may parse: every part parsed is charged with its
// size, so a part a file lists many times costs many times, and the parts read into trees
// (which take several times their text) are charged against a smaller share as well. Parts read
// at the same time on several threads charge one budget.
inline constexpr long long kMaxParsedBytes = 256LL << 20;
inline constexpr long long kMaxTreeBytes = 64LL << 20;

class ParseBudget {
public:
    // Throws spreadsheet::Error when the part would exceed the budget.
    void chargeStreamed(qsizetype bytes, const std::string& part);
    void chargeTree(qsizetype bytes, const std::string& part);

private:
    std::atomic<long long> parsed_{0};
    std::atomic<long long> trees_{0};
};

} // namespace spreadsheet
