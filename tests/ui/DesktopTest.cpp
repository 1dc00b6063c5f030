// Whether the desktop has a program for a document, asked of its MIME database.
#include "ui/Desktop.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)

namespace {

// Puts a stand-in "xdg-mime" first on the search path for the test's lifetime.
class FakeMimeDatabase {
public:
    explicit FakeMimeDatabase(const QByteArray& answer) : path_(qgetenv("PATH"))
    {
        QFile script(dir_.path() + QStringLiteral("/xdg-mime"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\n[ \"$1 $2\" = \"query default\" ] && printf '" + answer + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", dir_.path().toLocal8Bit() + ':' + path_);
    }
    ~FakeMimeDatabase() { qputenv("PATH", path_); }

private:
    QTemporaryDir dir_;
    QByteArray path_;
};

} // namespace

TEST(Desktop, AWorkbookOpensOnlyWhereTheDesktopNamesAProgramForIt)
{
    QTemporaryDir dir;
    const QString book = dir.path() + QStringLiteral("/20240131_174502_XbarR.xlsx");
    {
        FakeMimeDatabase none("");
        EXPECT_FALSE(ui::hasDefaultApplication(book));
    }
    {
        FakeMimeDatabase calc("libreoffice-calc.desktop\\n");
        EXPECT_TRUE(ui::hasDefaultApplication(book));
    }
}

#endif
