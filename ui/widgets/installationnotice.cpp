#include "ui/widgets/installationnotice.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_installationnotice.h"

#include <QFileInfo>
#include <QToolButton>

namespace {

// A table's text, or the built-in English one when the language files gave none.
QString textOr(LangTable table, int index, int position, const char* english)
{
    const QString text = LangText(table, index, position);
    return text.isEmpty() ? QString::fromLatin1(english) : text;
}

// A long path without blanks may wrap after each "/".
QString wrappable(const QString& path)
{
    QString text = path;
    return text.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
}

} // namespace

InstallationNotice::InstallationNotice(const QVector<InstallationProblem>& problems, QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::InstallationNotice)
{
    m_ui->setupUi(this);
    for (const InstallationProblem& problem : problems) {
        QStringList& list = problem.userFolder ? m_folders : m_files;
        if (!list.contains(problem.shown))
            list << problem.shown;
    }
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, m_ui->InstallationNoticeA, m_ui->label, m_ui->CloseButton,
                          Skin::FrameImage::Border);
    Skin::ApplyConfirmButton(m_ui->NewHong, ImageFolder);
    // Missing images are one of the things this notice tells: the skin's light text then needs
    // a dark ground of its own.
    if (!QFileInfo::exists(ImageFolder + QStringLiteral("BackGround.png")))
        m_ui->InstallationNoticeA->setStyleSheet(m_ui->InstallationNoticeA->styleSheet()
                                                 + QStringLiteral("#InstallationNoticeA{background-color: rgb(36,36,40);}"));
    connect(m_ui->NewHong, &QToolButton::clicked, this, &QDialog::close);
    connect(m_ui->CloseButton, &QToolButton::clicked, this, &QDialog::close);
    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

InstallationNotice::~InstallationNotice() = default;

void InstallationNotice::SlotAllLanguage(int index)
{
    QStringList parts;
    if (!m_files.isEmpty())
        parts << textOr(LangTable::InstallationNoticeTexts, index, 0,
                        "Some files of the program are missing or cannot be read. "
                        "Please install Vexo Gaming Mouse again.")
                + QLatin1Char('\n') + m_files.join(QStringLiteral(", "));
    if (!m_folders.isEmpty()) {
        QStringList folders;
        for (const QString& folder : m_folders)
            folders << wrappable(folder);
        parts << textOr(LangTable::InstallationNoticeTexts, index, 1,
                        "Your settings and macros cannot be saved: this folder cannot be written.")
                + QLatin1Char('\n') + folders.join(QLatin1Char('\n'));
    }
    m_ui->label->setText(parts.join(QStringLiteral("\n\n")));
    m_ui->NewHong->setText(textOr(LangTable::QuestionTexts, index, 2, "OK"));
}
