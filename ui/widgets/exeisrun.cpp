#include "ui/widgets/exeisrun.h"

#include "core/macroini.h"
#include "core/postmsg.h"
#include "ui/lang/exeisrunfile.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_exeisrun.h"

#include <QHash>

namespace {

// The notice's keys with their positions in the text tables and their built-in English texts.
struct NoticeKey {
    const char* name;
    int position;
    const char* english;
};
const NoticeKey Message{"label", 0, "Vexo Gaming Mouse is already running."};
const NoticeKey Second{"label_2", 1, "Please select a macro first."};
const NoticeKey Confirm{"NewHong", 2, "OK"};
const NoticeKey PleaseStop{"PleaseStop", 3, "Please stop recording first."};

} // namespace

ExeIsRun::ExeIsRun(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::ExeIsRun)
{
    m_ui->setupUi(this);
    PostMsg::Connect(SIGNAL(SigChangeLanguage(int)), this, SLOT(SlotChangeLanguage(int)));
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, m_ui->DeleteConfirmA, m_ui->label, m_ui->CloseButton);
    Skin::ApplyConfirmButton(m_ui->NewHong, ImageFolder);
    // A missing or non-numeric value reads as English.
    SlotChangeLanguage(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt());
}

ExeIsRun::~ExeIsRun() = default;

void ExeIsRun::ShowSecondText()
{
    m_ui->label->setText(SecondText);
}

void ExeIsRun::ShowPleaseStopText()
{
    m_ui->label->setText(PleaseStopText);
}

void ExeIsRun::on_NewHong_clicked()
{
    close();
}

void ExeIsRun::on_CloseButton_clicked()
{
    close();
}

void ExeIsRun::SlotChangeLanguage(int index)
{
    // A text the language's own file lacks (or the whole file) comes from the text tables, once
    // the main window has loaded them, else in English: never the form's placeholders.
    const QHash<QString, QString> texts = ExeIsRunFile::Read(ExeIsRunFile::Path(index));
    const auto text = [&](const NoticeKey& key) {
        QString found = texts.value(QLatin1String(key.name));
        if (found.isEmpty())
            found = LangText(LangTable::EXEIsRunTexts, index, key.position);
        return found.isEmpty() ? QString::fromLatin1(key.english) : found;
    };
    m_ui->label->setText(text(Message));
    m_ui->NewHong->setText(text(Confirm));
    SecondText = text(Second);
    PleaseStopText = text(PleaseStop);
}
