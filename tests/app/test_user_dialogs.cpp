// The window's default dialogs: what a person sees when the seam is not
// replaced. Each dialog is answered from a timer while it runs modally.

#include "AppTestSupport.h"

#include "app/UserDialogs.h"
#include "views/SurfaceFormat.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs `answer` on the modal widget once it is up (or with nullptr after 10 s).
void answerModal(std::function<void(QWidget*)> answer)
{
    auto* poll = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, waited, answer]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && ++*waited < 200)
            return;
        poll->stop();
        poll->deleteLater();
        answer(modal);
    });
    poll->start(50);
}

} // namespace

class UserDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void openDialogShowsTheRequestAndCancels()
    {
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QtUserDialogs dialogs;
        QString name, title, directory, selected;
        QStringList filters;
        QFileDialog::ViewMode viewMode = QFileDialog::List;
        QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
        answerModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr)
                return;
            name = dialog->objectName();
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            viewMode = dialog->viewMode();
            fileMode = dialog->fileMode();
            directory = dialog->directory().absolutePath();
            selected = dialog->selectedFiles().value(0);
            dialog->reject();
        });
        const QString answer = dialogs.askOpenFileName(
            nullptr, {QStringLiteral("Open File"), QStringLiteral("Open Details File"),
                      QStringLiteral("Details File (*.dtl)"), sample.grd()});
        QVERIFY(answer.isEmpty());
        QCOMPARE(name, QStringLiteral("Open File"));
        QCOMPARE(title, QStringLiteral("Open Details File"));
        QCOMPARE(filters, QStringList{QStringLiteral("Details File (*.dtl)")});
        QCOMPARE(viewMode, QFileDialog::Detail);
        QCOMPARE(fileMode, QFileDialog::ExistingFile);
        // A remembered file opens its folder with the file selected.
        QCOMPARE(directory, sample.directory.path());
        QCOMPARE(selected, sample.grd());
    }

    void saveDialogGivesTheNameAndTheChosenFilter()
    {
        SampleFolder sample;
        QVERIFY(sample.isValid());
        QtUserDialogs dialogs;
        QStringList filters;
        answerModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr)
                return;
            filters = dialog->nameFilters();
            dialog->selectNameFilter(filters.value(1));
            // Typed by the person, then confirmed with Return.
            auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (nameEdit == nullptr) {
                dialog->reject();
                return;
            }
            nameEdit->setText(sample.path(QStringLiteral("mesh")));
            QTest::keyClick(nameEdit, Qt::Key_Return);
            if (dialog->isVisible())
                dialog->reject();
        });
        SaveDialogAnswer answer;
        const bool accepted = dialogs.askSaveFileName(
            nullptr,
            {QStringLiteral("Save File"), QStringLiteral("Save File"),
             QStringLiteral("Grid Ascii Format (*.grd);;Alias/Wavefront Object Format (*.obj)"), QString()},
            answer);
        QVERIFY(accepted);
        QCOMPARE(filters, (QStringList{QStringLiteral("Grid Ascii Format (*.grd)"),
                                       QStringLiteral("Alias/Wavefront Object Format (*.obj)")}));
        QCOMPARE(answer.selectedFilter, QStringLiteral("Alias/Wavefront Object Format (*.obj)"));
        QVERIFY2(answer.fileName.startsWith(sample.path(QStringLiteral("mesh"))), qPrintable(answer.fileName));
    }

    void messageBoxShowsCaptionAndText()
    {
        QtUserDialogs dialogs;
        QString title, text;
        answerModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr)
                return;
            title = box->windowTitle();
            text = box->text();
            box->accept();
        });
        dialogs.showMessage(nullptr, QStringLiteral("Talvane"), QStringLiteral("Details were not saved due to: x"));
        QCOMPARE(title, QStringLiteral("Talvane"));
        QCOMPARE(text, QStringLiteral("Details were not saved due to: x"));
    }
};

TALVANE_APP_TEST_MAIN(UserDialogsTest)

#include "test_user_dialogs.moc"
