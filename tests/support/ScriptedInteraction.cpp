#include "ScriptedInteraction.h"

#include <QApplication>
#include <gtest/gtest.h>

void ScriptedInteraction::showMessage(QWidget*, const ui::Message& m)
{
    messages.append(m);
    if (onMessage) onMessage(m);
}

bool ScriptedInteraction::askYesNo(QWidget*, const ui::Message& question)
{
    questions.append(question);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << question.text.toStdString();
        return false;
    }
    const bool a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedInteraction::nextFileAnswer(const QString& title)
{
    fileDialogTitles.append(title);
    if (fileAnswers.empty()) {
        ADD_FAILURE() << "unexpected dialog: " << title.toStdString();
        return {};
    }
    QString a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

QString ScriptedInteraction::openFileName(QWidget*, const QString& title, const QString&, const QString&)
{
    return nextFileAnswer(title);
}

QString ScriptedInteraction::saveFileName(QWidget*, const QString& title, const QString&, const QString&)
{
    return nextFileAnswer(title);
}

QString ScriptedInteraction::folderName(QWidget*, const QString& caption, const QString&)
{
    return nextFileAnswer(caption);
}

int ScriptedInteraction::execDialog(QDialog& dialog)
{
    if (dialogScripts.empty()) {
        ADD_FAILURE() << "unexpected dialog: " << dialog.windowTitle().toStdString();
        return QDialog::Rejected;
    }
    auto script = std::move(dialogScripts.front());
    dialogScripts.pop_front();
    dialog.setResult(0);
    dialog.show();
    QApplication::processEvents();
    const int result = script(dialog);
    dialog.hide();
    return result;
}
