#include "ToolInteraction.h"

#include <QApplication>
#include <QDialog>

QString ToolInteraction::nextAnswer()
{
    if (fileAnswers.empty()) return {};
    QString answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
}

int ToolInteraction::execDialog(QDialog& dialog)
{
    dialog.setResult(0);
    dialog.show();
    QApplication::processEvents();
    const int result = onDialog ? onDialog(dialog) : int(QDialog::Rejected);
    dialog.hide();
    QApplication::processEvents();
    return result;
}
