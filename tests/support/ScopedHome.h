// A home folder of the test's own for as long as the object lives: the user's folders the
// program derives from it (documents, configuration) are made there, not in the real home.
#pragma once
#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

namespace test_support {

class ScopedHome {
public:
    ScopedHome()
        : oldHome_(qgetenv("HOME"))
        , oldConfig_(qgetenv("XDG_CONFIG_HOME"))
        , hadConfig_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", home_.path().toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME"); // the documents folder is looked up in the home's .config
    }
    ~ScopedHome()
    {
        qputenv("HOME", oldHome_);
        if (hadConfig_) qputenv("XDG_CONFIG_HOME", oldConfig_);
    }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

    QString path() const { return home_.path(); }

private:
    QTemporaryDir home_;
    QByteArray oldHome_, oldConfig_;
    bool hadConfig_;
};

} // namespace test_support
