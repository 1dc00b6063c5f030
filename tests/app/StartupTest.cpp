#include "MainFormFixture.h"

#include "app/SingleInstance.h"
#include "model/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <pwd.h>
#include <unistd.h>

namespace {

// The real program on the offscreen platform, with its settings and lock in `home`.
QProcessEnvironment programEnvironment(const QTemporaryDir& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("XDG_DATA_HOME", home.path() + "/data");
    return env;
}

} // namespace

TEST_F(MainFormTest, FirstStartShowsTheDefaultWorkbook)
{
    QDir(TMainForm::programFolder() + "/Save Files").removeRecursively();
    start();
    EXPECT_TRUE(QDir(TMainForm::programFolder() + "/Save Files").exists());
    EXPECT_EQ(form->windowTitle(), "Quorvane  [for Version 1.0.0.0]");
    ASSERT_EQ(form->tabCtrl->count(), 3);
    EXPECT_EQ(form->sheetStore().count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(form->tabCtrl->tabText(i), QString("Sheet%1").arg(i + 1));
    EXPECT_EQ(form->tabCtrl->currentIndex(), 0);
    EXPECT_EQ(form->spinRow->text(), "100");
    EXPECT_EQ(form->spinCol->text(), "10");
    EXPECT_EQ(form->editUnit->text(), "MM");
    EXPECT_EQ(form->spinKeta->text(), "3");
    EXPECT_EQ(form->editLabel->text(), "Sheet1");
    EXPECT_EQ(form->cmbSpecKind->currentText(), "公差規格");
    EXPECT_EQ(form->gridCtrl->rowCount(), 101);
    EXPECT_EQ(form->gridEdit->colCount(), 10);
    EXPECT_EQ(form->gridCtrl->cell(0, 1), "K001");
    EXPECT_EQ(form->gridCtrl->cell(0, 100), "K100");
    for (int r = 1; r <= 100; ++r) ASSERT_TRUE(form->gridCtrl->flag(1, r));
    EXPECT_FALSE(splash->isVisible());
    EXPECT_EQ(splash->lblTitle->text(), "アプリケーションを起動中です。");
    EXPECT_EQ(QApplication::focusWidget(), form->editProduct);
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(MainFormTest, ClosingWritesEverySettingAsTextAndTheNextStartReadsItBack)
{
    start();
    form->appSettings().Unit = "cm";
    form->appSettings().Tab = 5;
    form->ruleOptions().Check4 = false;
    form->ruleOptions().Chk7Comp1 = 13;
    form->appSettings().Target = "10.25";
    form->setGeometry(20, 30, 1000, 700);
    form->close();
    form.reset();

    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
    EXPECT_EQ(raw.value("Settings/Unit").toString(), "cm");
    EXPECT_EQ(raw.value("Settings/Tab").toString(), "5");
    EXPECT_EQ(raw.value("Options/Check4").toString(), "0");
    EXPECT_EQ(raw.value("Options/Check1").toString(), "1");
    EXPECT_EQ(raw.value("Options/Chk7Comp1").toString(), "13");
    EXPECT_EQ(raw.value("Windows/Width").toString(), "1000");
    EXPECT_EQ(raw.value("Settings/Target").toString(), "10.25");
    EXPECT_EQ(raw.value("Settings/SigmaIndex").toString(), "0");
    EXPECT_EQ(raw.allKeys().size(), 4 + 4 + 17 + 14); // "Windows": the main window's and the chart window's bounds

    start();
    EXPECT_EQ(form->appSettings().Unit, "cm");
    EXPECT_EQ(form->tabCtrl->count(), 5);
    EXPECT_FALSE(form->ruleOptions().Check4);
    EXPECT_EQ(form->ruleOptions().Chk7Comp1, 13);
    EXPECT_EQ(form->appSettings().Target, "10.25");
    EXPECT_EQ(form->width(), 1000);
}

TEST_F(MainFormTest, StoredValuesThatAreNotIntegersReadAsDefaults)
{
    {
        QSettings raw(QSettings::NativeFormat, QSettings::UserScope, "Mirelda", "Quorvane");
        raw.setValue("Settings/Keta", "x");
        raw.setValue("Settings/Row", "12a");
        raw.setValue("Settings/Unit", "");
        raw.setValue("Options/Check4", "0");
        raw.setValue("Options/Check5", "5");
        raw.setValue("Options/Chk2Comp1", "-3");
    }
    start();
    EXPECT_EQ(form->appSettings().Keta, 3);
    EXPECT_EQ(form->appSettings().Row, 100);
    EXPECT_EQ(form->appSettings().Unit, "");   // an existing empty value is kept
    EXPECT_EQ(form->editUnit->text(), "");
    EXPECT_FALSE(form->ruleOptions().Check4);
    EXPECT_TRUE(form->ruleOptions().Check5);
    EXPECT_EQ(form->ruleOptions().Chk2Comp1, 9); // not among the rule's choices
    EXPECT_EQ(form->ruleOptions().Chk3Comp1, 6);
}

TEST_F(MainFormTest, EnterMovesBetweenFieldsButStaysInGrids)
{
    start();
    form->editProduct->setFocus();
    QTest::keyClick(form->editProduct, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->editProcess);
    QTest::keyClick(form->editProcess, Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), form->editProduct);

    form->gridEdit->setFocus();
    QTest::keyClick(form->gridEdit, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), form->gridEdit);
}

TEST(SingleInstance, OneCopyPerExecutableNameAndStaleLocksAreTakenOver)
{
    const QString name = QString("quorvane-test-%1").arg(QCoreApplication::applicationPid());
    {
        SingleInstance first(name);
        EXPECT_TRUE(first.isFirst());
        EXPECT_FALSE(SingleInstance(name).isFirst());
        EXPECT_TRUE(SingleInstance(name + ".copy").isFirst());
    }
    EXPECT_TRUE(SingleInstance(name).isFirst());
}

TEST(SingleInstance, TheRealProgramStartsOnceAndAfterAKilledCopy)
{
    QTemporaryDir home;
    const QProcessEnvironment env = programEnvironment(home);
    auto launch = [&](QProcess& p) {
        p.setProcessEnvironment(env);
        p.start(QUORVANE_APP_EXE, {});
        return p.waitForStarted(10000);
    };
    QProcess first;
    ASSERT_TRUE(launch(first));
    ASSERT_FALSE(first.waitForFinished(2500)); // keeps running

    QProcess second;
    ASSERT_TRUE(launch(second));
    ASSERT_TRUE(second.waitForFinished(10000)); // ends at once, without a window
    EXPECT_EQ(second.exitCode(), 0);

    // A copy under another file name is another program.
    const QString copy = home.path() + "/quorvane-copy";
    ASSERT_TRUE(QFile::copy(QUORVANE_APP_EXE, copy));
    QProcess renamed;
    renamed.setProcessEnvironment(env);
    renamed.start(copy, {});
    ASSERT_TRUE(renamed.waitForStarted(10000));
    EXPECT_FALSE(renamed.waitForFinished(2500));
    renamed.kill();
    renamed.waitForFinished(5000);

    first.kill();
    first.waitForFinished(5000);
    QProcess third;
    ASSERT_TRUE(launch(third));
    EXPECT_FALSE(third.waitForFinished(2500)); // the killed copy's lock does not block it
    third.kill();
    third.waitForFinished(5000);
}

namespace {

// Sets environment variables for as long as it lives (empty: unset), and back again.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, QString>> values)
    {
        for (const auto& [name, value] : values) {
            saved_.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            if (value.isEmpty()) qunsetenv(name);
            else qputenv(name, QFile::encodeName(value));
        }
    }
    ~ScopedEnvironment()
    {
        for (const Saved& s : saved_) {
            if (s.set) qputenv(s.name, s.value);
            else qunsetenv(s.name);
        }
    }

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool set;
    };
    QList<Saved> saved_;
};

bool chownToNobody(const QString& path) { return ::lchown(QFile::encodeName(path).constData(), 65534, 65534) == 0; }

} // namespace

TEST(SingleInstance, TheLockIsInAFolderOfTheUsersOwnClosedToOthersAndNamesTheHost)
{
    QTemporaryDir runtime, data;
    const QString dataFolder = data.path() + "/Mirelda/Quorvane";
    {
        const ScopedEnvironment env{{"XDG_RUNTIME_DIR", runtime.path()}, {"XDG_DATA_HOME", data.path()}};
        EXPECT_EQ(SingleInstance::lockFolder(), runtime.path());
        EXPECT_EQ(SingleInstance::lockPath("quorvane"),
                  runtime.path() + "/Quorvane-quorvane-" + QSysInfo::machineHostName() + ".lock");
        // A runtime folder others may enter is not the user's own.
        ASSERT_TRUE(QFile::setPermissions(runtime.path(), QFile::Permissions(0x7755)));
        EXPECT_EQ(SingleInstance::lockFolder(), dataFolder);
    }
    EXPECT_EQ(QFileInfo(dataFolder).permissions() & (QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther), 0);
    {
        // No runtime folder at all (after su, from cron): never the shared temporary folder.
        const ScopedEnvironment env{{"XDG_RUNTIME_DIR", QString()}, {"XDG_DATA_HOME", data.path()}};
        EXPECT_EQ(SingleInstance::lockFolder(), dataFolder);
    }
    if (::geteuid() != 0) GTEST_SKIP() << "folders of another user's need the administrator to make";
    ASSERT_TRUE(QFile::setPermissions(runtime.path(), QFile::Permissions(0x7700)));
    ASSERT_TRUE(chownToNobody(runtime.path()));
    const ScopedEnvironment env{{"XDG_RUNTIME_DIR", runtime.path()}, {"XDG_DATA_HOME", data.path()}};
    EXPECT_EQ(SingleInstance::lockFolder(), dataFolder);
    // A data folder another user made for the program: no lock is honoured there, the copy starts.
    ASSERT_TRUE(chownToNobody(dataFolder));
    EXPECT_EQ(SingleInstance::lockFolder(), QString());
    EXPECT_TRUE(SingleInstance("quorvane").isFirst());
}

TEST(SingleInstance, ALockThatIsNotAFileOfTheUsersOwnIsNotHonoured)
{
    if (::geteuid() != 0) GTEST_SKIP() << "a lock file of another user's needs the administrator to make";
    QTemporaryDir runtime, elsewhere;
    const ScopedEnvironment env{{"XDG_RUNTIME_DIR", runtime.path()}};
    const QString name = QString("quorvane-test-%1").arg(QCoreApplication::applicationPid());
    const QString path = SingleInstance::lockPath(name);
    {
        // A lock held by a running process, then given to another user.
        QLockFile planted(path);
        ASSERT_TRUE(planted.tryLock(0));
        EXPECT_FALSE(SingleInstance(name).isFirst()); // the user's own lock holds
        ASSERT_TRUE(chownToNobody(path));
        EXPECT_TRUE(SingleInstance(name).isFirst());
    }
    // A link at the lock's name, to a file of the user's: neither honoured nor written through.
    const QString victim = elsewhere.filePath("notes");
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("mine");
    f.close();
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(victim, path));
    EXPECT_TRUE(SingleInstance(name).isFirst());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "mine");
}

TEST(SingleInstance, WithoutARuntimeFolderAnotherUsersLockInTheSharedTemporaryFolderStopsNoOne)
{
    if (::geteuid() != 0) GTEST_SKIP() << "a lock and a folder of another user's need the administrator to make";
    QTemporaryDir home, shared;
    QProcessEnvironment env = programEnvironment(home);
    env.remove("XDG_RUNTIME_DIR");
    env.insert("TMPDIR", shared.path());
    // What another user can plant in a shared /tmp: the lock the program used to fall back to,
    // held by a running process, and the runtime folder Qt would fall back to.
    QLockFile planted(shared.path() + "/Quorvane-quorvane.lock");
    ASSERT_TRUE(planted.tryLock(0));
    ASSERT_TRUE(chownToNobody(planted.fileName()));
    const QString runtime = shared.path() + "/runtime-" + QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    ASSERT_TRUE(QDir().mkdir(runtime));
    ASSERT_TRUE(chownToNobody(runtime));

    QProcess first, second;
    for (QProcess* p : {&first, &second}) p->setProcessEnvironment(env);
    first.start(QUORVANE_APP_EXE, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    EXPECT_FALSE(first.waitForFinished(2500)); // the window is up
    // The copies still exclude each other, through the lock in the user's own data folder.
    second.start(QUORVANE_APP_EXE, {});
    ASSERT_TRUE(second.waitForStarted(10000));
    EXPECT_TRUE(second.waitForFinished(10000));
    first.kill();
    first.waitForFinished(5000);
    EXPECT_EQ(QDir(home.path() + "/data/Mirelda/Quorvane").entryList({"Quorvane-quorvane-*.lock"}).size(), 1);
}

TEST(SessionEnd, ATerminationRequestClosesTheProgramAndWritesTheSettings)
{
    QTemporaryDir home;
    const QProcessEnvironment env = programEnvironment(home);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QUORVANE_APP_EXE, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_FALSE(program.waitForFinished(2500));
    program.terminate(); // what the system sends when the desktop session ends
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QSettings stored(home.path() + "/config/Mirelda/Quorvane.conf", QSettings::IniFormat);
    EXPECT_EQ(stored.value("Settings/Tab").toString(), "3");
    EXPECT_EQ(stored.value("Windows/Width").toString(), "950");
    EXPECT_EQ(stored.value("Options/Chk2Comp1").toString(), "9");
}
