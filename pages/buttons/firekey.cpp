#include "pages/buttons/firekey.h"

#include "core/postmsg.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/skin.h"

#include "ui_firekey.h"

FireKey::FireKey(QWidget* parent)
    : QDialog(parent)
    , m_ui(new Ui::FireKey)
{
    m_ui->setupUi(this);
    ImageFolder = Skin::WarningDialogFolder();
    setWindowFlags(Skin::DialogWindowFlags());

    const QString label = Skin::LabelStyle(Skin::OptionColor(QStringLiteral("LabelColor")));
    m_ui->label->setStyleSheet(label);
    m_ui->label_2->setStyleSheet(label);
    m_ui->label_3->setStyleSheet(label);
    // The cancel button wears the confirm button's images.
    Skin::ApplyConfirmButton(m_ui->NewHong, ImageFolder);
    Skin::ApplyConfirmButton(m_ui->NewHong_2, ImageFolder);
    // The light number colour needs the dark panel behind it; without the colour the boxes
    // keep the toolkit's look, so the numbers stay legible either way.
    const QString number = Skin::ColorDeclaration(Skin::OptionColor(QStringLiteral("LinEditColor")));
    if (!number.isEmpty()) {
        const QString box =
            QStringLiteral("QSpinBox{") + number + QStringLiteral("background:transparent;border:1px solid gray;}");
        m_ui->Count->setStyleSheet(box);
        m_ui->Time->setStyleSheet(box);
    }
    m_ui->CloseButton->setStyleSheet(Skin::CloseButtonStyle(ImageFolder));
    m_ui->FireKeyA->setStyleSheet(
        Skin::FrameStyle(m_ui->FireKeyA->objectName(), ImageFolder, Skin::FrameImage::Border));

    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

FireKey::~FireKey() = default;

void FireKey::SetTime(int value)
{
    m_ui->Time->setValue(value);
}

void FireKey::SetCount(int value)
{
    m_ui->Count->setValue(value);
}

void FireKey::on_NewHong_clicked()
{
    Confirmed = true;
    TimeValue = m_ui->Time->value();
    CountValue = m_ui->Count->value();
    close();
}

void FireKey::on_NewHong_2_clicked()
{
    Confirmed = false;
    close();
}

void FireKey::on_CloseButton_clicked()
{
    Confirmed = false;
    close();
}

void FireKey::SlotAllLanguage(int index)
{
    m_ui->label->setText(LangText(LangTable::FireKeyTexts, index, 0));
    m_ui->label_2->setText(LangText(LangTable::FireKeyTexts, index, 1));
    m_ui->label_3->setText(LangText(LangTable::FireKeyTexts, index, 2));
    m_ui->NewHong->setText(LangText(LangTable::QuestionTexts, index, 2));
    m_ui->NewHong_2->setText(LangText(LangTable::QuestionTexts, index, 3));
}
