#include "ui/widgets/exeisrun.h"

#include "core/macroini.h"
#include "core/postmsg.h"
#include "ui/lang/exeisrunfile.h"
#include "ui/widgets/skin.h"

#include "ui_exeisrun.h"

#include <QHash>

ExeIsRun::ExeIsRun(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ExeIsRun)
{
    ui->setupUi(this);
    PostMsg::Connect(SIGNAL(SigChangeLanguage(int)), this, SLOT(SlotChangeLanguage(int)));
    ImageFolder = Skin::WarningDialogFolder();
    Skin::ApplyNoticeSkin(this, ImageFolder, ui->DeleteConfirmA, ui->label, ui->CloseButton);
    Skin::ApplyConfirmButton(ui->NewHong, ImageFolder);
    // A missing or non-numeric value reads as English.
    SlotChangeLanguage(MacroIni::instance()->value(QStringLiteral("Language"), QStringLiteral("Language")).toInt());
}

ExeIsRun::~ExeIsRun()
{
    delete ui;
}

void ExeIsRun::ShowSecondText()
{
    ui->label->setText(SecondText);
}

void ExeIsRun::ShowPleaseStopText()
{
    ui->label->setText(PleaseStopText);
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
    // Keys the file does not hold (or an unreadable file) leave their texts as they are.
    const QHash<QString, QString> texts = ExeIsRunFile::Read(ExeIsRunFile::Path(index));
    if (texts.contains(QStringLiteral("label")))
        ui->label->setText(texts.value(QStringLiteral("label")));
    if (texts.contains(QStringLiteral("NewHong")))
        ui->NewHong->setText(texts.value(QStringLiteral("NewHong")));
    if (texts.contains(QStringLiteral("label_2")))
        SecondText = texts.value(QStringLiteral("label_2"));
    if (texts.contains(QStringLiteral("PleaseStop")))
        PleaseStopText = texts.value(QStringLiteral("PleaseStop"));
}
