// The main window with a history store: the settings the window reads at start, the names and
// lots of the shown sheet typed in, and the store's dialogs answered through their controls.
#pragma once
#include "MainFormFixture.h"
#include "StoreTestSupport.h"

#include "app/StoreController.h"
#include "dialogs/TPromptForm.h"
#include "store/StoreSettings.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <QTreeWidget>

inline const store::Characteristic kShaft{QStringLiteral("ギアシャフト"), QStringLiteral("外径研削"), QStringLiteral("G-03"),
                                          QStringLiteral("軸外径")};
inline const QString kStation = QStringLiteral("検査1");

class StoreWindowTest : public MainFormTest {
protected:
    store::StoreSettings settings;

    // The settings the window starts with: the store's embedded file, or its server database as `user`.
    void useStore(const store_test::FreshStore& fresh, const QString& user = QStringLiteral("engineer_login"))
    {
        if (fresh.engine() == store::Engine::Embedded) {
            settings.mode = store::StoreMode::Embedded;
            settings.embeddedPath = fresh.db();
            settings.station = kStation;
            writeSettings();
            return;
        }
        useServer(fresh.server()->cluster().socketFolder(), fresh.server()->cluster().port(), fresh.server()->name(), user);
    }
    void useServer(const QString& host, const QString& port, const QString& database, const QString& user)
    {
        settings.mode = store::StoreMode::Server;
        settings.host = host;
        settings.port = port;
        settings.database = database;
        settings.user = user;
        settings.station = kStation;
        writeSettings();
    }
    void writeSettings()
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Mirelda"), QStringLiteral("Quorvane"));
        store::saveStoreSettings(s, settings);
    }
    // The outbox tried every few moments rather than every half minute.
    void sendOftenFromTheOutbox()
    {
        form->storeController()->flushIntervalMs = 300;
        form->storeController()->restartWorker();
    }

    // Text entered into a field key by key; a character no key gives (Japanese) comes as the
    // text of a key press, as an input method hands it over.
    static void enter(QWidget* field, const QString& text)
    {
        field->setFocus();
        QApplication::processEvents();
        for (const QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(field, c.toLatin1());
                continue;
            }
            QKeyEvent down(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &down);
            QKeyEvent up(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field, &up);
        }
        QApplication::processEvents();
    }

    // The four names entered into the header, and lot numbers of the sheet's own.
    void nameSheet(const store::Characteristic& c, const QString& lotPrefix = QStringLiteral("L"))
    {
        for (QLineEdit* e : {form->editProduct, form->editProcess, form->editMbc, form->editLabel}) e->clear();
        enter(form->editProduct, c.product);
        enter(form->editProcess, c.process);
        enter(form->editMbc, c.device);
        enter(form->editLabel, c.item);
        for (int row = 1; row <= 10; ++row) form->gridCtrl->setCell(0, row, lotPrefix + QString::number(row));
    }

    // Answers the next prompt by typing `text` and pressing OK; its question into `question`.
    void answerPrompt(const QString& text, QString* question = nullptr)
    {
        ui.dialogScripts.push_back([text, question](QDialog& d) {
            auto& prompt = dynamic_cast<TPromptForm&>(d);
            if (question) *question = prompt.lblQuestion->text();
            enter(prompt.editAnswer, text);
            QTest::mouseClick(prompt.btnOk, Qt::LeftButton);
            return d.result();
        });
    }

    QString lastMessage() const { return ui.messages.isEmpty() ? QString() : ui.messages.last().text; }
    QString lastMessageHead() const { return lastMessage().section(u'\n', 0, 0); }
    QString lastQuestion() const { return ui.questions.isEmpty() ? QString() : ui.questions.last().text; }
    static bool shows(QWidget* w, const QString& text)
    {
        const auto* label = qobject_cast<QLabel*>(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        return w && w->isVisible() && (label ? label->text() : button ? button->text() : QString()) == text;
    }
    static int shownRows(QTreeWidget* list)
    {
        int n = 0;
        for (int i = 0; i < list->topLevelItemCount(); ++i) n += list->topLevelItem(i)->isHidden() ? 0 : 1;
        return n;
    }
};
