#pragma once
#include "ui/FormDialog.h"

class QLabel;
class QPushButton;

// The about box: the product name and the version read at start-up.
class TAboutForm final : public ui::FormDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    // The file version text (four numbers) the main window read at start-up.
    void setFileVersion(const QString& version) { fileVersion_ = version; }
    void FormShow() override;

    QLabel* imgIcon = nullptr;
    QLabel* lblAppName = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QPushButton* OKButton = nullptr;

private:
    QString fileVersion_;
};
