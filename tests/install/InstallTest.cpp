// `cmake --install` into a temporary prefix and the .deb that CPack builds: the program folder
// with everything the program looks for beside its executable, the links on the path, the
// desktop entry and its icon; the installed program writing only into the user's own folder;
// the package's contents, dependencies and maintainer script, checked by lintian.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Finished {
    int exitCode = -1;
    QString out, err;
};

Finished run(const QString& program, const QStringList& args, const QString& workDir = {},
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QString kProgramFolder = QStringLiteral("lib/quorvane");
const QFile::Permissions kAnyoneElse = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                       QFile::WriteOther | QFile::ExeOther;

// Starts the program and waits until `folder` appears, which it makes as it starts.
bool startsAndCreates(const QString& program, const QProcessEnvironment& env, const QString& folder)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, {});
    if (!p.waitForStarted()) return false;
    bool created = false;
    for (int i = 0; i < 300 && !created && p.state() == QProcess::Running; ++i) {
        QThread::msleep(50);
        created = QFileInfo(folder).isDir();
    }
    p.terminate();
    p.waitForFinished(10000);
    return created;
}

QString desktopValue(const QString& entry, const QString& key)
{
    const QRegularExpression re(QStringLiteral("^%1=(.*)$").arg(key), QRegularExpression::MultilineOption);
    return re.match(entry).captured(1);
}

} // namespace

class InstallTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        prefix = new QTemporaryDir;
        const Finished r = run(QStringLiteral(QUORVANE_CMAKE),
                          {QStringLiteral("--install"), QStringLiteral(QUORVANE_BINARY_DIR), QStringLiteral("--prefix"), prefix->path()});
        installed = r.exitCode == 0;
        if (!installed) installError = r.out + r.err;
    }
    static void TearDownTestSuite()
    {
        delete prefix;
        prefix = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(installed) << installError.toStdString(); }

    static QString at(const QString& relative) { return QDir(prefix->path()).filePath(relative); }

    static inline QTemporaryDir* prefix = nullptr;
    static inline bool installed = false;
    static inline QString installError;
};

TEST_F(InstallTest, OneProgramFolderHoldsEverythingTheProgramLooksForBesideItself)
{
    const QDir folder(at(kProgramFolder));
    EXPECT_TRUE(QFileInfo(folder.filePath(QStringLiteral("quorvane"))).isExecutable());
    for (const char* name : {"SampleWorkbook.xlsx", "SampleSheet1.csv", "SampleSheet2.csv", "SampleSheet3.csv"})
        EXPECT_TRUE(QFileInfo::exists(folder.filePath(QStringLiteral("Sample Files/") + QString::fromUtf8(name)))) << name;
    for (const char* name : {"XbarR.xlsx", "XbarS.xlsx", "X-Rs.xlsx", "Histogram.xlsx"})
        EXPECT_TRUE(QFileInfo::exists(folder.filePath(QStringLiteral("Form Files/") + QString::fromUtf8(name)))) << name;
    QFile manual(folder.filePath(QStringLiteral("操作手順書.pdf")));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    EXPECT_TRUE(manual.read(5) == "%PDF-");
    EXPECT_GT(manual.size(), 100000);

    // The link on the path leads to the program in its folder.
    const QFileInfo link(at(QStringLiteral("bin/quorvane")));
    EXPECT_TRUE(link.isSymLink());
    EXPECT_EQ(link.canonicalFilePath(), QFileInfo(folder.filePath(QStringLiteral("quorvane"))).canonicalFilePath());
}

TEST_F(InstallTest, TheDesktopEntryStartsTheProgramOnThePathWithTheInstalledIcon)
{
    QFile f(at(QStringLiteral("share/applications/quorvane.desktop")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(f.readAll());
    EXPECT_EQ(desktopValue(entry, QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(desktopValue(entry, QStringLiteral("Exec")), QStringLiteral("quorvane"));
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("bin/") + desktopValue(entry, QStringLiteral("Exec")))));
    const QString icon = desktopValue(entry, QStringLiteral("Icon"));
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon))));
    EXPECT_TRUE(desktopValue(entry, QStringLiteral("Categories")).contains(QStringLiteral("Office;")));

    // The freedesktop.org validator finds nothing wrong with it.
    const Finished v = run(QStringLiteral("desktop-file-validate"), {f.fileName()});
    EXPECT_EQ(v.exitCode, 0) << v.out.toStdString() << v.err.toStdString();
    EXPECT_EQ(v.out.trimmed(), QString()) << v.out.toStdString();
}

TEST_F(InstallTest, TheInstalledProgramWritesOnlyIntoTheUsersOwnFolder)
{
    // The settings, the lock and the documents folder go to a home of the test's own.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    const QString own = home.path() + QStringLiteral("/Documents/Quorvane/Save Files");

    // A copy of the program folder that the user made is theirs: "Save Files" beside it, as in a build tree.
    QTemporaryDir copies;
    const QString portable = copies.filePath(QStringLiteral("quorvane"));
    ASSERT_EQ(run(QStringLiteral("cp"), {QStringLiteral("-a"), at(kProgramFolder), portable}).exitCode, 0);
    EXPECT_TRUE(startsAndCreates(portable + QStringLiteral("/quorvane"), env, portable + QStringLiteral("/Save Files")));
    EXPECT_FALSE(QFileInfo::exists(own));

    // Installed for every user, the program folder belongs to none of them (here: to another
    // user): it stays as installed, and the user's own folder is made for them alone.
    if (::geteuid() != 0) GTEST_SKIP() << "giving the program folder to another user needs the administrator";
    const QByteArray folder = QFile::encodeName(at(kProgramFolder));
    ASSERT_EQ(::chown(folder.constData(), 65534, 65534), 0);
    const bool created = startsAndCreates(at(QStringLiteral("bin/quorvane")), env, own);
    ASSERT_EQ(::chown(folder.constData(), ::geteuid(), ::getegid()), 0);
    EXPECT_TRUE(created);
    EXPECT_FALSE(QFileInfo::exists(at(kProgramFolder + QStringLiteral("/Save Files"))));
    for (const QString& level : {home.path() + QStringLiteral("/Documents"), home.path() + QStringLiteral("/Documents/Quorvane"), own})
        EXPECT_EQ(QFileInfo(level).permissions() & kAnyoneElse, QFile::Permissions()) << level.toStdString();
}

namespace {

// The .deb that CPack builds from this build folder, made once for the tests that look into it.
class Package : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        out = new QTemporaryDir;
        const Finished pack = run(QStringLiteral(QUORVANE_CPACK), {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out->path()},
                                  QStringLiteral(QUORVANE_BINARY_DIR));
        const QStringList debs = QDir(out->path()).entryList({QStringLiteral("quorvane_*.deb")}, QDir::Files);
        if (pack.exitCode == 0 && debs.size() == 1) deb = QDir(out->path()).filePath(debs.front());
        else packError = pack.out + pack.err;
    }
    static void TearDownTestSuite()
    {
        delete out;
        out = nullptr;
    }
    void SetUp() override { ASSERT_FALSE(deb.isEmpty()) << packError.toStdString(); }

    static QString field(const QString& name)
    {
        return run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, name}).out.trimmed();
    }

    static inline QTemporaryDir* out = nullptr;
    static inline QString deb, packError;
};

// Every entry under a folder, with the target of each link, as `find` lists them.
QStringList tree(const QString& root)
{
    return run(QStringLiteral("find"), {root, QStringLiteral("-printf"), QStringLiteral("%P %y %l %m\\n")}).out.split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

TEST_F(Package, HoldsTheTreeUnderUsrWithItsDocumentsAndNamesItsDependencies)
{
    // From dpkg-shlibdeps: the libraries the executables link; named: the platform plugin, the fonts and Qt's Japanese texts.
    const QString depends = field(QStringLiteral("Depends"));
    for (const char* package : {"libqt6widgets6", "libqt6charts6", "libqt6core6", "libzip4", "libsqlite3-0", "qt6-qpa-plugins", "fonts-noto-cjk",
                                "qt6-translations-l10n"})
        EXPECT_TRUE(depends.contains(QString::fromUtf8(package))) << package << " in " << depends.toStdString();
    // Recommending a spreadsheet program made apt replace a headless one with a desktop suite.
    EXPECT_EQ(field(QStringLiteral("Recommends")), QStringLiteral("xdg-utils"));
    EXPECT_TRUE(field(QStringLiteral("Suggests")).contains(QStringLiteral("libreoffice-calc")));

    const Finished contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
    ASSERT_EQ(contents.exitCode, 0);
    for (const char* path : {"./usr/lib/quorvane/quorvane", "./usr/lib/quorvane/操作手順書.pdf",
                             "./usr/lib/quorvane/Sample Files/SampleWorkbook.xlsx", "./usr/lib/quorvane/Form Files/XbarR.xlsx",
                             "./usr/bin/quorvane -> ../lib/quorvane/quorvane",
                             "./usr/share/applications/quorvane.desktop", "./usr/share/icons/hicolor/scalable/apps/quorvane.svg",
                             "./usr/share/man/man1/quorvane.1.gz", "./usr/share/man/man1/quorvane-cli.1.gz",
                             "./usr/share/doc/quorvane/copyright", "./usr/share/doc/quorvane/changelog.gz"})
        EXPECT_TRUE(contents.out.contains(QString::fromUtf8(path))) << path;
    // Nothing outside /usr, no folder anyone may write into, nothing owned by anyone but root.
    for (const QString& line : contents.out.split(u'\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.startsWith(u'd') || line.startsWith(u'-') || line.startsWith(u'l')) << line.toStdString();
        EXPECT_TRUE(line.startsWith(u'l') || (line.at(5) != u'w' && line.at(8) != u'w')) << line.toStdString();
        EXPECT_TRUE(line.contains(QStringLiteral(" root/root "))) << line.toStdString();
        EXPECT_TRUE(line.contains(QStringLiteral(" ./usr/")) || line.endsWith(QStringLiteral(" ./"))) << line.toStdString();
    }

    // The copyright file in the machine-readable form, pointing at the licence every system has.
    QTemporaryDir unpacked;
    ASSERT_EQ(run(QStringLiteral("dpkg-deb"), {QStringLiteral("--extract"), deb, unpacked.path()}).exitCode, 0);
    QFile copyright(unpacked.filePath(QStringLiteral("usr/share/doc/quorvane/copyright")));
    ASSERT_TRUE(copyright.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(copyright.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")));
    EXPECT_TRUE(text.contains(QStringLiteral("License: GPL-3+")));
    EXPECT_TRUE(text.contains(QStringLiteral("/usr/share/common-licenses/GPL-3")));
    // The manual pages read without a complaint from the formatter.
    for (const char* page : {"quorvane.1.gz", "quorvane-cli.1.gz"}) {
        const QString path = unpacked.filePath(QStringLiteral("usr/share/man/man1/") + QString::fromUtf8(page));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("80"));
        const Finished man = run(QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-E"), QStringLiteral("UTF-8"),
                                                          QStringLiteral("-l"), path}, {}, env);
        EXPECT_EQ(man.exitCode, 0) << page;
        EXPECT_EQ(man.err, QString()) << page << ": " << man.err.toStdString();
        EXPECT_TRUE(man.out.contains(QStringLiteral("quorvane"))) << page;
    }
}

TEST_F(Package, AnUpgradeRemovesOnlyTheOldLinkAndKeepsTheUsersFiles)
{
    QTemporaryDir control;
    ASSERT_EQ(run(QStringLiteral("dpkg-deb"), {QStringLiteral("--control"), deb, control.path()}).exitCode, 0);
    // Only postinst: no postrm, so a purge deletes nothing but the package's own files.
    EXPECT_EQ(QDir(control.path()).entryList(QDir::Files), (QStringList{"control", "md5sums", "postinst"}));

    // A system as the earlier package left it: the link beside the program, the shared folder
    // with a user's report in it.
    QTemporaryDir root;
    const QString shared = root.filePath(QStringLiteral("var/lib/quorvane/Save Files"));
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("usr/lib/quorvane"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("/var/lib/quorvane/Save Files"), root.filePath(QStringLiteral("usr/lib/quorvane/Save Files"))));
    QFile report(shared + QStringLiteral("/20240131_174502_XbarR.xlsx"));
    ASSERT_TRUE(report.open(QIODevice::WriteOnly));
    report.write("a user's report");
    report.close();
    ASSERT_TRUE(QFile::setPermissions(shared, QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                                                 QFile::WriteOther | QFile::ExeOther)));
    QStringList before = tree(root.path());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DPKG_ROOT"), root.path());
    const Finished configure = run(QStringLiteral("sh"), {control.filePath(QStringLiteral("postinst")), QStringLiteral("configure"),
                                                          QStringLiteral("0.9.0.0")}, {}, env);
    EXPECT_EQ(configure.exitCode, 0) << configure.err.toStdString();
    // The link went; everything else is as it was, permissions included.
    before.removeAll(QStringLiteral("usr/lib/quorvane/Save Files l /var/lib/quorvane/Save Files 777"));
    EXPECT_EQ(tree(root.path()), before);

    // A folder of that name that is not the old link is not the package's to remove.
    ASSERT_TRUE(QDir(root.filePath(QStringLiteral("usr/lib/quorvane"))).mkdir(QStringLiteral("Save Files")));
    const QStringList withFolder = tree(root.path());
    EXPECT_EQ(run(QStringLiteral("sh"), {control.filePath(QStringLiteral("postinst")), QStringLiteral("configure"), QString()}, {}, env).exitCode, 0);
    EXPECT_EQ(tree(root.path()), withFolder);
}

TEST_F(Package, LintianFindsNoErrorAndNoWarning)
{
    const Finished lintian = run(QStringLiteral("lintian"), {QStringLiteral("--fail-on"), QStringLiteral("error,warning"), deb});
    EXPECT_EQ(lintian.exitCode, 0) << lintian.out.toStdString() << lintian.err.toStdString();
    for (const QString& line : lintian.out.split(u'\n', Qt::SkipEmptyParts))
        EXPECT_FALSE(line.startsWith(QStringLiteral("E:")) || line.startsWith(QStringLiteral("W:"))) << line.toStdString();
}

TEST_F(Package, ItsProgramsAreBuiltWithDebiansHardening)
{
#ifndef QUORVANE_HARDENED
    GTEST_SKIP() << "a sanitizer or debug build is not hardened; the release build's package is checked";
#endif
    // Lintian's own checks of the binaries, pedantic and informational tags shown too.
    const QStringList tags{"hardening-no-bindnow", "hardening-no-fortify-functions", "hardening-no-pie", "hardening-no-relro"};
    const Finished lintian = run(QStringLiteral("lintian"), {QStringLiteral("--pedantic"), QStringLiteral("--display-info"),
                                                             QStringLiteral("--tags"), tags.join(u','), deb});
    EXPECT_EQ(lintian.exitCode, 0) << lintian.out.toStdString() << lintian.err.toStdString();
    for (const QString& tag : tags) EXPECT_FALSE(lintian.out.contains(tag)) << lintian.out.toStdString();
}

#ifdef QUORVANE_INSTALLS_CLI
TEST_F(InstallTest, TheInstalledCommandJudgesTheInstalledSamples)
{
    const QString cli = at(QStringLiteral("bin/quorvane-cli"));
    ASSERT_TRUE(QFileInfo(cli).isSymLink());
    const QString samples = at(kProgramFolder + QStringLiteral("/Sample Files/"));

    // The workbook: three sheets, the first two failing as the manual describes, so status 1.
    const Finished book = run(cli, {QStringLiteral("judge"), samples + QStringLiteral("SampleWorkbook.xlsx"), QStringLiteral("--format"),
                                   QStringLiteral("json")});
    EXPECT_EQ(book.exitCode, 1) << book.err.toStdString();
    EXPECT_EQ(book.err, QString());
    const QJsonArray sheets = QJsonDocument::fromJson(book.out.toUtf8()).object().value(QStringLiteral("sheets")).toArray();
    ASSERT_EQ(sheets.size(), 3) << book.out.toStdString();
    const auto judgements = [&](int i) {
        const QJsonObject j = sheets[i].toObject().value(QStringLiteral("judgements")).toObject();
        return QStringList{j.value(QStringLiteral("spec")).toString(), j.value(QStringLiteral("capability")).toString(),
                           j.value(QStringLiteral("spc")).toString()};
    };
    EXPECT_EQ(judgements(0), (QStringList{"不合格", "不合格", "不合格"}));
    EXPECT_EQ(judgements(1), (QStringList{"合格", "合格", "不合格"}));
    EXPECT_EQ(judgements(2), (QStringList{"合格", "合格", "合格"}));

    // The stable sheet alone passes, from the workbook and from its CSV file.
    EXPECT_EQ(run(cli, {QStringLiteral("judge"), samples + QStringLiteral("SampleWorkbook.xlsx"), QStringLiteral("--sheet"), QStringLiteral("3")})
                  .exitCode,
              0);
    const Finished csv = run(cli, {QStringLiteral("judge"), samples + QStringLiteral("SampleSheet3.csv")});
    EXPECT_EQ(csv.exitCode, 0) << csv.err.toStdString();
    EXPECT_TRUE(csv.out.contains(QStringLiteral("溶接強度"))) << csv.out.toStdString();
}
#endif
