#pragma once
#include "ui/FormDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

// A question answered with one line of text: the reason for a change, a baseline or a discard,
// or a password (shown as dots). OK stays unavailable while the answer is blank.
class TPromptForm final : public ui::FormDialog {
    Q_OBJECT
public:
    enum class Echo { Normal, Secret };
    TPromptForm(QWidget* parent, const QString& title, const QString& question, Echo echo = Echo::Normal);

    QString answer() const;

    QLabel* lblQuestion = nullptr;
    QLineEdit* editAnswer = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

    void FormShow() override;
};
