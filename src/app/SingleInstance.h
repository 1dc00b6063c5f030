#pragma once
#include <QLockFile>
#include <QString>
#include <memory>

// One running copy per executable file name: a lock named after the file name in the user's
// runtime folder. A copy under another name has its own lock; a lock left behind by a copy
// that was killed is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& executableFileName);
    bool isFirst() const { return first_; }
    static QString lockPath(const QString& executableFileName);

private:
    std::unique_ptr<QLockFile> lock_;
    bool first_ = false;
};
