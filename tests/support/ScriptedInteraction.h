#pragma once
#include "ui/Interaction.h"

#include <QDialog>
#include <QList>
#include <QStringList>
#include <deque>
#include <functional>

// Records everything the program shows and answers from a script; never blocks.
class ScriptedInteraction final : public ui::Interaction {
public:
    ScriptedInteraction() { ui::setInteraction(this); }
    ~ScriptedInteraction() override { ui::setInteraction(nullptr); }

    QList<ui::Message> messages;
    QList<QUrl> openedDocuments;
    QStringList fileDialogTitles;
    std::deque<QString> fileAnswers;  // next answer of a file or folder dialog ("" = cancelled)
    // Drives a dialog of the program shown modally; returns its result. The dialog is shown
    // (not modal) while the script runs.
    std::deque<std::function<int(QDialog&)>> dialogScripts;
    // Called when a message is shown (for example to look at the window at that moment).
    std::function<void(const ui::Message&)> onMessage;

    void showMessage(QWidget*, const ui::Message& m) override;
    // Questions asked, and the next answers (true = Yes); a question without an answer fails the test.
    QList<ui::Message> questions;
    std::deque<bool> answers;
    bool askYesNo(QWidget*, const ui::Message& question) override;
    QString openFileName(QWidget*, const QString& title, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString& title, const QString&, const QString&) override;
    QString folderName(QWidget*, const QString& caption, const QString&) override;
    int execDialog(QDialog& dialog) override;
    // Whether the desktop has a program for the documents it is asked to open.
    bool desktopOpens = true;
    bool openDocument(const QUrl& url) override
    {
        openedDocuments.append(url);
        return desktopOpens;
    }

private:
    QString nextFileAnswer(const QString& title);
};
