// store_publish_child DB ITEM LOTS: publishes a sheet of LOTS lots (K-0001…) under the
// characteristic "P/Q/R/ITEM" and, once every revision is written but before the commit, prints
// "inside" and waits to be killed.
#include "store/Store.h"

#include <QCoreApplication>

#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) return 2;
    model::SheetRecord r;
    r.product = QStringLiteral("P");
    r.process = QStringLiteral("Q");
    r.device = QStringLiteral("R");
    r.item = args[2];
    r.unit = QStringLiteral("mm");
    r.digits = QStringLiteral("3");
    r.lotCount = args[3].toInt();
    r.measurementCount = 5;
    for (int i = 1; i <= r.lotCount; ++i) r.dataLines << QStringLiteral("K-%1,1.0,1.1,1.2,1.3,1.4").arg(i, 4, 10, QChar(u'0'));
    try {
        const auto db = store::Store::open(store::parseTarget(args[1]));
        store::PublishOptions options;
        options.progress = [](int done, int total) {
            if (done < total) return;
            std::puts("inside");
            std::fflush(stdout);
            for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
        };
        db->publish(store::planPublication(r, {QStringLiteral("child"), QStringLiteral("child"), {}}), options);
    } catch (const store::StoreError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
