#ifndef FILECHOOSER_H
#define FILECHOOSER_H
// The one road to the file dialogs of the export and import commands, with a seam that lets
// tests answer in place of the user. GUI thread.
#include <QString>

#include <functional>

class QWidget;

class FileChooser
{
public:
    struct Request {
        bool save = false;
        QString caption;
        QString folder;        // where the dialog starts
        QString filter;
        QString defaultSuffix; // added to a saved name without one before the replace question (save only)
    };
    using Answer = std::function<QString(QWidget* parent, const Request& request)>;

    // The chosen path, "" when cancelled.
    static QString Ask(QWidget* parent, const Request& request);
    // Tests answer here; an empty function restores the dialogs.
    static void SetAnswerForTests(Answer answer);
    // The folder a dialog asked for as "G:" starts in when there is no such folder: home.
    static QString StartFolder(const QString& wanted);
};

#endif
