#include "ui/widgets/filechooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

FileChooser::Answer& TestAnswer()
{
    static FileChooser::Answer answer;
    return answer;
}

} // namespace

QString FileChooser::Ask(QWidget* parent, const Request& request)
{
    if (TestAnswer())
        return TestAnswer()(parent, request);
    QFileDialog dialog(parent, request.caption, request.folder, request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (request.save && !request.defaultSuffix.isEmpty()) {
        dialog.setDefaultSuffix(request.defaultSuffix);
        // A desktop's own dialog may ask about replacing the name as typed, the suffix being
        // added after it closed; Qt's dialog adds it first and asks about the file written.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void FileChooser::SetAnswerForTests(Answer answer)
{
    TestAnswer() = std::move(answer);
}

QString FileChooser::StartFolder(const QString& wanted)
{
    return !wanted.isEmpty() && QFileInfo(wanted).isDir() ? wanted : QDir::homePath();
}
