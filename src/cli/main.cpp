// quorvane-cli: the window's judgements and sheet exchange from the command line.
#include "cli/Cli.h"

#include <QCoreApplication>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Qt turns bytes that are not UTF-8 into U+FFFD, so such a file name could never be opened:
// say so instead of reporting a file that does not exist.
bool isUtf8(const char* bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded = decoder.decode(QByteArrayView(bytes));
    return !decoder.hasError();
}

// Everything written, and flushed: a full disk or a closed pipe is a failure, not a success.
bool writeAll(std::FILE* stream, const QByteArray& bytes)
{
    if (!bytes.isEmpty() && std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) != size_t(bytes.size())) return false;
    return std::fflush(stream) == 0 && !std::ferror(stream);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        if (!isUtf8(argv[i])) {
            std::fprintf(stderr, "quorvane-cli: 引数 %d が UTF-8 の文字列ではありません。このようなファイル名は開けません"
                                 " (ファイル名を UTF-8 に変えてください)\n", i);
            return 2;
        }
    }
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    cli::CliRun run = cli::runCli(arguments);
    if (!writeAll(stdout, run.out)) {
        const int error = errno;
        run.err += QStringLiteral("quorvane-cli: 標準出力に書き込めません: %1\n")
                       .arg(error == ENOSPC ? QStringLiteral("空き容量が足りません (no space left on device)")
                                            : QString::fromLocal8Bit(std::strerror(error)));
        run.status = 2;
    }
    writeAll(stderr, run.err.toUtf8());
    return run.status;
}
