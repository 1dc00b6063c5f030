// The start script's check that the program's main window appeared: a program that ends
// before (another copy holds the lock, a crash) is a failed start, never a success.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Finished {
    int exitCode = -1;
    QString out, err;
};

Finished run(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QString kAwait = QStringLiteral(QUORVANE_AWAIT_WINDOW);

} // namespace

TEST(AwaitMainWindow, AProgramThatEndsAtOnceOrCrashesIsAFailedStart)
{
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const Finished quiet = run(kAwait, {"/bin/true"}, env);
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_TRUE(quiet.out.isEmpty()) << quiet.out.toStdString();
    EXPECT_TRUE(quiet.err.contains("another copy may be running")) << quiet.err.toStdString();

    const Finished crash = run(kAwait, {"/bin/sh", "-c", "kill -SEGV $$"}, env);
    EXPECT_EQ(crash.exitCode, 128 + 11);
    EXPECT_TRUE(crash.err.contains("exit status 139")) << crash.err.toStdString();

    const Finished waited = run(kAwait, {"--wait", "/bin/false"}, env);
    EXPECT_EQ(waited.exitCode, 1);
    EXPECT_TRUE(waited.err.contains("before its window appeared")) << waited.err.toStdString();
}

TEST(AwaitMainWindow, TheRealProgramsWindowIsFoundAndASecondCopyIsReported)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QT_QPA_PLATFORM"); // the X display of xvfb-run
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("XDG_RUNTIME_DIR", home.path());
    env.insert("XDG_DATA_HOME", home.path() + "/data");
    const QString script = QStringLiteral(R"(
        first=$("$0" "$1") || exit 10
        echo "first: $first"
        second_status=0
        "$0" "$1" || second_status=$?
        echo "second: $second_status"
        read -r pid win <<<"$first"
        kill "$pid"
        while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
    )");
    const Finished r = run("xvfb-run", {"-a", "bash", "-c", script, kAwait, QStringLiteral(QUORVANE_APP_EXE)}, env);
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(QRegularExpression("^first: \\d+ 0x[0-9a-f]+$", QRegularExpression::MultilineOption).match(r.out).hasMatch())
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("second: 1")) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains("another copy may be running")) << r.err.toStdString();
}
