#pragma once

#include <QString>

class QWidget;

// What the window asks of a file dialog: the dialog's object name, its caption,
// its filters (separated by ";;") and where it starts.
struct FileDialogRequest {
    QString dialogName;
    QString caption;
    QString filter;
    QString startPath;
};

// The answer of a save dialog: the chosen name and the filter selected with it.
struct SaveDialogAnswer {
    QString fileName;
    QString selectedFilter;
};

// Everything the window asks of the person in front of it goes through here, so
// that every action can also be driven without a person (tests, scripted use).
// The default implementation shows modal Qt dialogs and message boxes.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // An existing file to open; empty when the dialog was cancelled.
    virtual QString askOpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // Any file name to save under; false when the dialog was cancelled.
    virtual bool askSaveFileName(QWidget* parent, const FileDialogRequest& request, SaveDialogAnswer& answer) = 0;
    // A message the user must see, in a box with the given caption.
    virtual void showMessage(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A question answered Yes (true) or No.
    virtual bool askYesNo(QWidget* parent, const QString& caption, const QString& text) = 0;
};

// Modal QFileDialog (detail view) and QMessageBox.
class QtUserDialogs : public UserDialogs {
public:
    QString askOpenFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool askSaveFileName(QWidget* parent, const FileDialogRequest& request, SaveDialogAnswer& answer) override;
    void showMessage(QWidget* parent, const QString& caption, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& caption, const QString& text) override;
};
