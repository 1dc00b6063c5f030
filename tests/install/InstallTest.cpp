// `cmake --install` into a temporary prefix and the .deb that CPack builds: the program folder
// with everything the program looks for beside its executable, the links on the path, the
// desktop entry and its icon, the package's dependencies; and the installed program started
// from its link finds its own folder.
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

TEST_F(InstallTest, TheInstalledProgramStartedFromItsLinkUsesItsOwnFolder)
{
    // It creates "Save Files" beside its executable as it starts; the settings go to a folder
    // of the test's own.
    QTemporaryDir config;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), config.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(at(QStringLiteral("bin/quorvane")), {});
    ASSERT_TRUE(program.waitForStarted());
    const QString saveFiles = at(kProgramFolder + QStringLiteral("/Save Files"));
    bool created = false;
    for (int i = 0; i < 300 && !created && program.state() == QProcess::Running; ++i) {
        QThread::msleep(50);
        created = QFileInfo(saveFiles).isDir();
    }
    program.terminate();
    program.waitForFinished(10000);
    EXPECT_TRUE(created);
}

TEST_F(InstallTest, ThePackageHoldsTheTreeUnderUsrAndNamesItsDependencies)
{
    QTemporaryDir out;
    const Finished pack = run(QStringLiteral(QUORVANE_CPACK),
                         {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path()}, QStringLiteral(QUORVANE_BINARY_DIR));
    ASSERT_EQ(pack.exitCode, 0) << pack.out.toStdString() << pack.err.toStdString();
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("quorvane_*.deb")}, QDir::Files);
    ASSERT_EQ(debs.size(), 1);
    const QString deb = QDir(out.path()).filePath(debs.front());

    const Finished depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
    ASSERT_EQ(depends.exitCode, 0);
    // From dpkg-shlibdeps: the libraries the executables link; named: the platform plugin, the fonts and
    // Qt's Japanese texts.
    for (const char* package : {"libqt6widgets6", "libqt6charts6", "libqt6core6", "libzip4", "libsqlite3-0", "qt6-qpa-plugins", "fonts-noto-cjk",
                                "qt6-translations-l10n"})
        EXPECT_TRUE(depends.out.contains(QString::fromUtf8(package))) << package << " in " << depends.out.toStdString();

    const Finished contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
    ASSERT_EQ(contents.exitCode, 0);
    for (const char* path : {"./usr/lib/quorvane/quorvane", "./usr/lib/quorvane/操作手順書.pdf",
                             "./usr/lib/quorvane/Sample Files/SampleWorkbook.xlsx", "./usr/lib/quorvane/Form Files/XbarR.xlsx",
                             "./usr/bin/quorvane -> ../lib/quorvane/quorvane",
                             "./usr/share/applications/quorvane.desktop", "./usr/share/icons/hicolor/scalable/apps/quorvane.svg"})
        EXPECT_TRUE(contents.out.contains(QString::fromUtf8(path))) << path;

    // The shared "Save Files" folder is made when the package is configured.
    const Finished postinst = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--info"), deb, QStringLiteral("postinst")});
    EXPECT_TRUE(postinst.out.contains(QStringLiteral("chmod 1777 \"/var/lib/quorvane/Save Files\""))) << postinst.out.toStdString();
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
