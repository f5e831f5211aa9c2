#include "app/UserDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

// A modal dialog in detail view, created for one question and deleted after it.
void prepareFileDialog(QFileDialog& dialog, const FileDialogRequest& request, QFileDialog::FileMode mode)
{
    const bool opening = mode == QFileDialog::ExistingFile;
    dialog.setObjectName(request.dialogName);
    dialog.setWindowTitle(request.caption);
    dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
    dialog.setFileMode(mode);
    dialog.setViewMode(QFileDialog::Detail);
    dialog.setModal(true);
    if (!request.startPath.isEmpty()) {
        // A start path that is a file opens its folder; an open dialog also selects
        // the file (the last one chosen), a save dialog leaves the name to the user.
        const QFileInfo start(request.startPath);
        if (start.isDir()) {
            dialog.setDirectory(start.absoluteFilePath());
        } else {
            dialog.setDirectory(start.absolutePath());
            if (opening)
                dialog.selectFile(start.fileName());
        }
    }
}

} // namespace

QString QtUserDialogs::askOpenFileName(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent);
    prepareFileDialog(dialog, request, QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool QtUserDialogs::askSaveFileName(QWidget* parent, const FileDialogRequest& request, SaveDialogAnswer& answer)
{
    QFileDialog dialog(parent);
    prepareFileDialog(dialog, request, QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    answer.fileName = dialog.selectedFiles().constFirst();
    answer.selectedFilter = dialog.selectedNameFilter();
    return !answer.fileName.isEmpty();
}

void QtUserDialogs::showMessage(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::information(parent, caption, text);
}

bool QtUserDialogs::askYesNo(QWidget* parent, const QString& caption, const QString& text)
{
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
           == QMessageBox::Yes;
}
