#pragma once
#include <QLockFile>
#include <QString>
#include <memory>

// One running copy per executable file name on a host: a lock named after both, in a folder
// that is the user's own and closed to everyone else, so no other user can hold it. A copy under
// another name has its own lock; a lock left behind by a copy that was killed is taken over; a
// lock file that is not the user's own is not honoured. Where no such folder can be had, or the
// lock cannot be written at all, the copy starts: not starting would tell the operator nothing.
class SingleInstance {
public:
    explicit SingleInstance(const QString& executableFileName);
    bool isFirst() const { return first_; }

    // The user's runtime folder when it is theirs and closed to others, otherwise the program's
    // folder in their data folder, made so; empty when neither can be had.
    static QString lockFolder();
    // "Quorvane-<executable>-<host>.lock" in the lock folder; empty when there is none.
    static QString lockPath(const QString& executableFileName);

private:
    std::unique_ptr<QLockFile> lock_;
    bool first_ = false;
};
