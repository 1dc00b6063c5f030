#pragma once
#include "ui/Interaction.h"

#include <QList>
#include <deque>
#include <functional>

// Answers the program's dialogs while the manual's screenshots are taken: file dialogs from a
// queue, the program's own dialogs through a callback (which looks at the dialog and closes
// it), and every message is kept, so that the session can refuse to go on after one.
class ToolInteraction final : public ui::Interaction {
public:
    ToolInteraction() { ui::setInteraction(this); }
    ~ToolInteraction() override { ui::setInteraction(nullptr); }

    std::deque<QString> fileAnswers;
    std::function<int(QDialog&)> onDialog;
    QList<ui::Message> messages;
    QList<QUrl> openedDocuments;

    void showMessage(QWidget*, const ui::Message& m) override { messages.append(m); }
    // Questions are kept like messages and answered from the queue; one not expected is answered no.
    std::deque<bool> answers;
    bool askYesNo(QWidget*, const ui::Message& m) override
    {
        messages.append(m);
        if (answers.empty()) return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return nextAnswer(); }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return nextAnswer(); }
    QString folderName(QWidget*, const QString&, const QString&) override { return nextAnswer(); }
    int execDialog(QDialog& dialog) override;
    bool openDocument(const QUrl& url) override
    {
        openedDocuments.append(url);
        return true;
    }

private:
    QString nextAnswer();
};
