// An output folder in which someone else has planted symbolic links on the names the program
// is about to write: links to a file of the user's outside the folder, and links to nothing
// (whose target a write through the link would create).
#pragma once
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace test_support {

class PlantedLinks {
public:
    PlantedLinks()
    {
        QDir(root_.path()).mkdir(QStringLiteral("out"));
        QDir(root_.path()).mkdir(QStringLiteral("home"));
        QFile f(victim());
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kVictimContent);
    }

    // The folder the program writes into.
    QString folder() const { return root_.filePath(QStringLiteral("out")); }
    QString path(const QString& name) const { return folder() + u'/' + name; }
    // The user's own file outside that folder.
    QString victim() const { return root_.filePath(QStringLiteral("home/.bashrc")); }

    // `name` in the folder becomes a link to the user's file.
    void linkToVictim(const QString& name) { plant(name, victim()); }
    // `name` in the folder becomes a link to a file outside it that does not exist.
    void linkToNothing(const QString& name) { plant(name, root_.filePath(QStringLiteral("home/planted-") + name)); }

    // Nothing outside the folder was written or created, and every link is still there, unchanged.
    void expectNothingWrittenThrough() const
    {
        QFile f(victim());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), kVictimContent);
        EXPECT_EQ(QDir(root_.filePath(QStringLiteral("home"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral(".bashrc")});
        for (auto it = planted_.begin(); it != planted_.end(); ++it) {
            const QFileInfo link(path(it.key()));
            EXPECT_TRUE(link.isSymLink()) << it.key().toStdString();
            EXPECT_EQ(link.symLinkTarget(), it.value()) << it.key().toStdString();
        }
    }

private:
    void plant(const QString& name, const QString& target)
    {
        ASSERT_TRUE(QFile::link(target, path(name))) << name.toStdString();
        planted_.insert(name, QFileInfo(target).absoluteFilePath());
    }

    static constexpr const char* kVictimContent = "export PATH=/usr/bin\n";
    QTemporaryDir root_;
    QMap<QString, QString> planted_;
};

} // namespace test_support
