// Another user's loop racing the program's saves: a thread that keeps turning a name in the
// folder being written into a symbolic link to a file of the user's and back into nothing. The
// folder is a plain, non-sticky one (in a sticky /tmp the kernel's protected_symlinks would hide
// a save that follows the link). A save loses only when the link appears in the instant between
// a check and a write, so each test keeps saving for at least kSaves saves and kRaceMs, within
// kTimeLimitMs.
#pragma once
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace test_support {

class RacingLink {
public:
    static constexpr int kSaves = 200;
    static constexpr qint64 kRaceMs = 3000;
    static constexpr qint64 kTimeLimitMs = 25000;

    RacingLink()
    {
        QDir(root_.path()).mkdir(QStringLiteral("out"));
        QDir(root_.path()).mkdir(QStringLiteral("home"));
        ::chmod(QFile::encodeName(folder()).constData(), 0777); // writable by all, not sticky
        QFile f(victim());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kVictimContent);
    }
    ~RacingLink() { stop(); }

    QString folder() const { return root_.filePath(QStringLiteral("out")); }
    QString path(const QString& name) const { return folder() + u'/' + name; }
    QString victim() const { return root_.filePath(QStringLiteral("home/precious.txt")); }

    // Starts flipping `name` in the folder: a link to the victim, then no entry at all.
    void start(const QString& name)
    {
        const QByteArray link = QFile::encodeName(path(name));
        const QByteArray target = QFile::encodeName(victim());
        racer_ = std::thread([this, link, target] {
            while (!stop_.load()) {
                if (::symlink(target.constData(), link.constData()) != 0) continue; // a saved file has the name
                ++flips_;
                ::unlink(link.constData());
            }
        });
    }

    void stop()
    {
        stop_ = true;
        if (racer_.joinable()) racer_.join();
    }

    // Runs `save` at least kSaves times for at least kRaceMs (fewer only when the time limit is
    // reached first) while the link
    // flips, then checks that the victim was never written, replaced or removed and that the
    // race really ran. `save` returns whether that save wrote its file; the file is removed
    // after each save, so that the next one meets the race again.
    void race(const QString& name, const std::function<bool()>& save)
    {
        const QFileInfo before(victim());
        const ino_t inode = inodeOf(victim());
        start(name);
        QElapsedTimer clock;
        clock.start();
        int saves = 0, written = 0;
        const QByteArray saved = QFile::encodeName(path(name));
        while ((saves < kSaves || clock.elapsed() < kRaceMs) && clock.elapsed() < kTimeLimitMs) {
            written += save() ? 1 : 0;
            ++saves;
            // Each save starts from a free name again: what it saved is taken away (not a link).
            struct stat st {};
            if (::lstat(saved.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) ::unlink(saved.constData());
        }
        stop();
        ::testing::Test::RecordProperty("saves", saves);
        EXPECT_GE(saves, 20) << "too few saves to race within the time limit";
        EXPECT_GT(flips_.load(), 0) << "the link never flipped";
        EXPECT_GT(written, 0) << "no save ever got through";
        QFile f(victim());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), kVictimContent) << "a save went through the link";
        EXPECT_EQ(inodeOf(victim()), inode) << "the victim was replaced";
        EXPECT_EQ(QFileInfo(victim()).lastModified(), before.lastModified());
        EXPECT_EQ(QDir(root_.filePath(QStringLiteral("home"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("precious.txt")})
            << "something was created beside the victim";
    }

private:
    static ino_t inodeOf(const QString& path)
    {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_ino;
    }

    static constexpr const char* kVictimContent = "the user's own notes\n";
    QTemporaryDir root_;
    std::thread racer_;
    std::atomic<bool> stop_{false};
    std::atomic<long> flips_{0};
};

} // namespace test_support
