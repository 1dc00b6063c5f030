// A characteristic of the history: the four header texts that name it, compared exactly (a
// full-width letter, a look-alike or a trailing blank makes another characteristic).
#pragma once
#include <QString>

namespace store {

struct Characteristic {
    QString product, process, device, item;
    friend bool operator==(const Characteristic&, const Characteristic&) = default;
};

// "品種/工程/装置/項目" as the command line names a characteristic: "\/" is a "/" inside a text and
// "\\" a backslash. Throws StoreError (Fault::Invalid) unless it holds exactly four texts.
Characteristic parseCharacteristicPath(const QString& path);

// The four texts written that way.
QString characteristicPath(const Characteristic& c);

} // namespace store
