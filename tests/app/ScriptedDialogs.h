#pragma once

#include "app/UserDialogs.h"

#include <QList>
#include <QString>

// Answers the window's dialogs from prepared queues and records every question
// and message, so the tests drive each action without a person. An empty queue
// answers "cancelled".
class ScriptedDialogs : public UserDialogs {
public:
    struct Message {
        QString caption;
        QString text;
    };
    struct Log {
        QList<QString> openAnswers;
        QList<SaveDialogAnswer> saveAnswers;
        QList<FileDialogRequest> openRequests;
        QList<FileDialogRequest> saveRequests;
        QList<Message> messages;
        QList<bool> yesNoAnswers;  // an empty queue answers No
        QList<Message> questions;
    };

    // The log outlives the window's ownership of the dialogs.
    explicit ScriptedDialogs(Log& log) : log(log) {}

    QString askOpenFileName(QWidget*, const FileDialogRequest& request) override
    {
        log.openRequests.append(request);
        return log.openAnswers.isEmpty() ? QString() : log.openAnswers.takeFirst();
    }

    bool askSaveFileName(QWidget*, const FileDialogRequest& request, SaveDialogAnswer& answer) override
    {
        log.saveRequests.append(request);
        if (log.saveAnswers.isEmpty())
            return false;
        answer = log.saveAnswers.takeFirst();
        return true;
    }

    void showMessage(QWidget*, const QString& caption, const QString& text) override
    {
        log.messages.append({caption, text});
    }

    bool askYesNo(QWidget*, const QString& caption, const QString& text) override
    {
        log.questions.append({caption, text});
        return !log.yesNoAnswers.isEmpty() && log.yesNoAnswers.takeFirst();
    }

private:
    Log& log;
};
