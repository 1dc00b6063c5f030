#include "MainFormFixture.h"

#include "app/QtTranslations.h"
#include "ui/Interaction.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

// Qt's own dialogs as the program shows them: Qt's texts in Japanese, the file types as the
// program words them.
class QtDialogsTest : public MainFormTest {
protected:
    void SetUp() override { translator = installQtTranslations(); }
    void TearDown() override
    {
        MainFormTest::TearDown();
        ui::setInteraction(&ui);
        if (translator) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    QTranslator* translator = nullptr;
};

TEST_F(QtDialogsTest, QtsOwnTextsAreJapanese)
{
    ASSERT_NE(translator, nullptr);
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), "ファイル名(&N):");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "キャンセル");
    EXPECT_EQ(QCoreApplication::translate("QPrintDialog", "Print"), "印刷");
}

TEST_F(QtDialogsTest, TheWorkbookOpenDialogShowsTheFileTypeAsWordedAndListsOnlyWorkbooks)
{
    ASSERT_NE(translator, nullptr);
    QTemporaryDir folder;
    for (const char* name : {"a.xls", "b.xlsx", "c.csv", "d.txt"}) {
        QFile f(folder.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    start();
    ui::setInteraction(nullptr); // Qt's real dialogs

    QStringList fileTypes, listed;
    QString fileNameLabel, cancelText;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        if (dialog->directory().absolutePath() != QDir(folder.path()).absolutePath()) dialog->setDirectory(folder.path());
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        auto* list = dialog->findChild<QListView*>("listView");
        if (!types || !list) return dialog->reject();
        QStringList names;
        for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
            names << list->model()->index(r, 0, list->rootIndex()).data().toString();
        // The folder is read in the background; a few rounds may pass before it is listed.
        if (names.isEmpty() && waited.elapsed() < 10000) return;
        fileTypes.clear();
        for (int i = 0; i < types->count(); ++i) fileTypes << types->itemText(i);
        names.sort();
        listed = names;
        if (auto* label = dialog->findChild<QLabel*>("fileNameLabel")) fileNameLabel = label->text();
        if (auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox"))
            if (QPushButton* cancel = box->button(QDialogButtonBox::Cancel)) cancelText = cancel->text();
        dialog->reject();
    });
    poll.start(50);
    form->mainMenuXlsImport->trigger();
    poll.stop();

    EXPECT_EQ(fileTypes, QStringList{"Excelブック (*.xls;*.xlsx)"});
    EXPECT_EQ(listed, (QStringList{"a.xls", "b.xlsx"}));
    EXPECT_EQ(fileNameLabel, "ファイル名(&N):");
    EXPECT_EQ(cancelText, "キャンセル");
    EXPECT_EQ(form->tabCtrl->count(), 3); // nothing was imported
}
