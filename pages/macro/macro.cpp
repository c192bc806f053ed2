#include "pages/macro/macro.h"

#include "core/devicesetters.h"
#include "core/devicestate.h"
#include "core/postmsg.h"
#include "core/savefilecommit.h"
#include "device/keyusagetable.h"
#include "device/macronames.h"
#include "device/macrorecordcodec.h"
#include "device/macrotextfile.h"
#include "pages/macro/adddelaytime.h"
#include "pages/macro/addkey.h"
#include "pages/macro/listwidgetrows.h"
#include "pages/macro/macroexportfile.h"
#include "pages/macro/questiondialog.h"
#include "ui/lang/langtext.h"
#include "ui/widgets/deleteconfirm.h"
#include "ui/widgets/exeisrun.h"
#include "ui/widgets/filechooser.h"
#include "ui/widgets/inportfail.h"
#include "ui/widgets/keyboardhook.h"
#include "ui/widgets/keynumberlimit.h"
#include "ui/widgets/samemacro.h"
#include "ui/widgets/skin.h"

#include "ui_macro.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

namespace {

const int RepeatUntil = 253;
const int RepeatUntilLoose = 254;
const int RepeatUntilClick = 255;
const int RepeatCountMax = 250;
const int DelayLimit = 65535;
const int LanguageWithNewTip = 5;

// Chooser items 4 to 8 (left, right, middle, forward, back): their language positions are the
// same numbers, their button bits these.
const int ChooserButtonCodes[] = {0x01, 0x02, 0x04, 0x10, 0x08};
const int FirstButtonItem = 4;
// The MouseButtonNames entry of each chooser item (that list holds back before forward).
const int ChooserButtonSlots[] = {0, 1, 2, 4, 3};

QString ListSheet(const QString& name, const QString& folder)
{
    const QString id = QStringLiteral("#") + name;
    return id + QStringLiteral("{background: transparent; color: rgb(255, 255, 255); outline: 0px;}")
        + id + QStringLiteral("::item:selected:active, ") + id
        + QStringLiteral("::item:selected:!active{background: #b9ea0a; color: rgb(0, 0, 0);}")
        + id + QStringLiteral("::item:hover:!selected{background: transparent;}")
        + id + QStringLiteral(" QScrollBar:vertical{width: 20px; background: rgb(30,30,30); margin: 22px 0px 22px 0px;}")
        + id + QStringLiteral(" QScrollBar::handle:vertical{background: rgb(117, 117, 117); border-radius: 3px;"
                              " min-height: 30px; margin: 2px 4px 2px 6px;}")
        + id + QStringLiteral(" QScrollBar::sub-line:vertical{height: 25px; background: rgb(30,30,30);"
                              " subcontrol-position: top; subcontrol-origin: margin;}")
        + id + QStringLiteral(" QScrollBar::add-line:vertical{height: 25px; background: rgb(30,30,30);"
                              " subcontrol-position: bottom; subcontrol-origin: margin;}")
        + id + QStringLiteral(" QScrollBar::up-arrow:vertical{image: ") + Skin::Url(folder, QStringLiteral("Up.png"))
        + QStringLiteral("; width: 15px; height: 15px; margin: 1px 2px 1px 4px;}")
        + id + QStringLiteral(" QScrollBar::down-arrow:vertical{image: ") + Skin::Url(folder, QStringLiteral("Down.png"))
        + QStringLiteral("; width: 15px; height: 15px; margin: 1px 2px 1px 4px;}")
        + id + QStringLiteral(" QScrollBar::add-page:vertical, ") + id
        + QStringLiteral(" QScrollBar::sub-page:vertical{background: transparent;}");
}

QString CommandButtonSheet(const QString& folder, const QString& color)
{
    return QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;")
        + Skin::ColorDeclaration(color) + QStringLiteral("background-image: ")
        + Skin::Url(folder, QStringLiteral("Button.png"))
        + QStringLiteral(";}QToolButton:hover{background-image: ") + Skin::Url(folder, QStringLiteral("ButtonHover.png"))
        + QStringLiteral("; }QToolButton:pressed{background-image: ")
        + Skin::Url(folder, QStringLiteral("ButtonClick.png")) + QStringLiteral("; }");
}

QString IdleSaveSheet(const QString& folder)
{
    return QStringLiteral("QToolButton{border:0px;background-position:center;background-repeat:no-repeat;"
                          "color: rgb(127,127,127);background-image: ")
        + Skin::Url(folder, QStringLiteral("Button.png")) + QStringLiteral(";}");
}

QString RecordButtonSheet(const QString& folder, const QString& color, const QString& stem)
{
    return QStringLiteral("QPushButton{border:0px;background-position:center;background-repeat:no-repeat;")
        + Skin::ColorDeclaration(color) + QStringLiteral("background-image: ")
        + Skin::Url(folder, stem + QStringLiteral(".png"))
        + QStringLiteral(";}QPushButton:hover{background-image: ")
        + Skin::Url(folder, stem + QStringLiteral("Hover.png")) + QStringLiteral("; }");
}

QString SpinBoxSheet(const QString& color)
{
    return QStringLiteral("QSpinBox{background-color: rgb(63, 63, 63);") + Skin::ColorDeclaration(color)
        + QStringLiteral("border: none;}");
}

} // namespace

Macro::Macro(QWidget* parent)
    : QWidget(parent)
    , m_ui(new Ui::Macro)
{
    m_ui->setupUi(this);
    Hook.reset(new KeyboardHook(true));
    SkinFolder = Skin::Folder(QStringLiteral("Macro"));
    MacroFolder = ::MacroFolder();
    QDir().mkpath(MacroFolder);
    m_rows.reset(new ListWidgetRows(m_ui->listWidgetKey, SkinFolder));
    for (int i = 0; i < 5; ++i)
        m_designerButtonNames << m_ui->ChooseEvent->itemText(FirstButtonItem + i);

    PostMsg::Connect(SIGNAL(SigButtonToMacro(FlashDataMap,int)), this, SLOT(SlotButtonToMacro(FlashDataMap,int)));
    PostMsg::Connect(SIGNAL(SigMacroDownLoadData(QString,int)), this, SLOT(SlotMacroDownLoadData(QString,int)));
    PostMsg::Connect(SIGNAL(SigSetMacroPage()), this, SLOT(SlotSetMacroPage()));

    // Under the page's own sheet a list that is not yet polished would keep the rules it was
    // made with (the selected row's text colour, the scroll bar and its arrow images): polished
    // first, it takes its new sheet at once.
    for (QListWidget* list : {m_ui->listWidgetHong, m_ui->listWidgetKey}) {
        list->ensurePolished();
        list->setStyleSheet(ListSheet(list->objectName(), SkinFolder));
    }

    m_ui->listWidgetHong->addItems(ListMacroNames(MacroFolder));
    // Whatever moves the current entry (a click, the keyboard, the right press of the context
    // menu) shows that macro, so the events on screen always belong to the current entry.
    connect(m_ui->listWidgetHong, &QListWidget::currentRowChanged, this, [this] { LoadSelectedMacro(); });

    DelayGroup = new QButtonGroup(this);
    DelayGroup->setExclusive(true);
    DelayGroup->addButton(m_ui->AutoInsertDelay);
    DelayGroup->addButton(m_ui->DefaultDelay);
    RepeatGroup = new QButtonGroup(this);
    RepeatGroup->setExclusive(true);
    RepeatGroup->addButton(m_ui->ReUntilLoose);
    RepeatGroup->addButton(m_ui->ReUntilClick);
    RepeatGroup->addButton(m_ui->ReNumber);
    RepeatGroup->addButton(m_ui->ReUntil);

    // Recorded keys must never act on the page's buttons.
    m_ui->StartRecord->setFocusPolicy(Qt::NoFocus);
    m_ui->StopRecord->setFocusPolicy(Qt::NoFocus);

    Skin::ApplyComboSkin(m_ui->ChooseEvent, SkinFolder);
    m_ui->ChooseEvent->setMaxVisibleItems(5);

    m_ui->StopRecord->hide();
    m_ui->AutoInsertDelay->setChecked(true);

    ButtonColorText = Skin::OptionColor(QStringLiteral("ButtonColor"));

    // Twice per change of mode: once for the control that turns off, once for the one that
    // turns on.
    connect(RepeatGroup, &QButtonGroup::idToggled, this, [this](int, bool) {
        RepeatChanged = true;
        SetSaveActive(true);
    });

    SetSaveActive(false);

    const QString labelColor = Skin::OptionColor(QStringLiteral("LabelColor"));
    for (QLabel* caption : {m_ui->label, m_ui->label_2, m_ui->label_3, m_ui->AutoInsertDelayLabel, m_ui->ReUntilLabel,
                            m_ui->ReUntilClickLabel, m_ui->ReUntilLooseLabel})
        caption->setStyleSheet(Skin::LabelStyle(labelColor));
    for (QCheckBox* box : {m_ui->AutoInsertDelay, m_ui->DefaultDelay, m_ui->ReUntilLoose, m_ui->ReUntilClick,
                           m_ui->ReUntil, m_ui->ReNumber})
        box->setStyleSheet(Skin::CheckBoxStyle(SkinFolder, labelColor));

    const QString commandSheet = CommandButtonSheet(SkinFolder, ButtonColorText);
    for (QToolButton* button : {m_ui->NewHong, m_ui->DeleteHong, m_ui->Amend, m_ui->DeleteKey})
        button->setStyleSheet(commandSheet);
    m_ui->StopRecord->setStyleSheet(RecordButtonSheet(SkinFolder, ButtonColorText, QStringLiteral("Stop")));
    m_ui->StartRecord->setStyleSheet(RecordButtonSheet(SkinFolder, ButtonColorText, QStringLiteral("Record")));

    const QString spinSheet = SpinBoxSheet(Skin::OptionColor(QStringLiteral("LinEditColorSecond")));
    m_ui->DelayTime->setStyleSheet(spinSheet);
    m_ui->NumberEdit->setStyleSheet(spinSheet);

    PostMsg::Connect(SIGNAL(SigAllLanguage(int)), this, SLOT(SlotAllLanguage(int)));
    SlotAllLanguage(CurrentLanguage);
}

Macro::~Macro()
{
    Hook->Uninstall();
    MacroRecording.store(0);
    if (m_recordLayout)
        PostMsg::instance()->EmitStartRecord(1);
}

KeyboardHook* Macro::RecordHook() const
{
    return Hook.data();
}

// ---- exchange with the button page ----

void Macro::SlotButtonToMacro(FlashDataMap DataMap, int KeyNumer)
{
    if (KeyNumer < 0 || KeyNumer >= int(sizeof(DataMap.macros) / sizeof(DataMap.macros[0])))
        return;
    const MacroRecord& record = DataMap.macros[KeyNumer];
    const QString name = MacroRecordName(record);
    if (!IsUsableMacroName(name))
        return;
    const QVector<MacroEventRow> rows = MacroRecordRows(record);
    const QString path = ::MacroFilePath(MacroFolder, name);

    if (MacroRecording.load()) {
        // The recording owns the lists; the file is written from the record alone.
        AppendMacroTextFile(path, rows);
        PostMsg::instance()->EmitAddMacroButton();
        return;
    }

    {
        // Entry changes here are bookkeeping, not the user picking a macro to show.
        const QSignalBlocker blocker(m_ui->listWidgetHong);
        m_rows->Clear();
        QListWidget* list = m_ui->listWidgetHong;
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!found.isEmpty()) {
            list->setCurrentItem(found.first());
        } else {
            const int current = list->currentRow();
            list->insertItem(current < 0 ? list->count() : current + 1, name);
            if (current < 0)
                list->setCurrentRow(list->count() - 1);
        }
        ShowRows(rows);
        AppendMacroTextFile(path, m_rows->Rows());
        MacroFilePath = path;
        list->setCurrentRow(-1);
    }
    PostMsg::instance()->EmitAddMacroButton();
    m_rows->Clear();
}

void Macro::SlotMacroDownLoadData(QString MacroName, int index)
{
    if (index < 0 || index >= int(sizeof(FlashDataMap::buttonFunctions) / sizeof(ButtonFunctionCode)))
        return;
    MacroName.remove(QChar(0));
    if (!UiSendsChanges.load() || !IsUsableMacroName(MacroName))
        return;
    // The saved file, not the list: the list may show another macro, unsaved edits or a
    // recording by now.
    const MacroFileContent content = ReadMacroTextFile(::MacroFilePath(MacroFolder, MacroName));
    if (!content.loaded)
        return;
    const MacroRecord record = BuildMacroRecord(MacroName, content.rows);
    const ButtonFunctionCode code =
        DeviceConfig.read([index](const FlashDataMap& m) { return m.buttonFunctions[index]; });
    SetButtonMacro(index, &code, &record);
}

// ---- recording ----

void Macro::SlotSetMacroPage()
{
    PostMsg::instance()->EmitStartRecord(1);
    Hook->Uninstall();
    ShowRecordingStopped(true);
}

void Macro::on_StartRecord_clicked()
{
    if (!MacroSelected()) {
        ExeIsRun notice(nullptr);
        notice.ShowSecondText();
        PlaceDialog(&notice, -100, -50);
        notice.exec();
        return;
    }
    PostMsg::instance()->EmitStartRecord(0);
    Recorder.Start();
    m_ui->ChooseEvent->setEnabled(false);
    EventsChanged = true;
    Hook->SetCallback([this](int keyCode, bool downOrUp, bool aotu) { UpdateCapslockTip(keyCode, downOrUp, aotu); });
    Hook->Install();
    m_ui->StartRecord->hide();
    m_ui->StopRecord->show();
    MacroRecording.store(1);
    m_recordLayout = true;
    m_rows->Clear();
    m_ui->DelayTime->hide();
    m_ui->NumberEdit->hide();
    m_ui->listWidgetHong->setEnabled(false);
    // Keys typed now are recorded; none of them may press a button of the page.
    setFocus(Qt::OtherFocusReason);
}

void Macro::on_StopRecord_clicked()
{
    PostMsg::instance()->EmitStartRecord(1);
    Hook->Uninstall();
    ShowRecordingStopped(false);
}

void Macro::ShowRecordingStopped(bool idleSave)
{
    Recorder.Stop();
    m_ui->StopRecord->hide();
    m_ui->StartRecord->show();
    m_ui->DelayTime->show();
    m_ui->NumberEdit->show();
    m_ui->listWidgetHong->setEnabled(true);
    m_ui->ChooseEvent->setEnabled(true);
    MacroRecording.store(0);
    m_recordLayout = false;
    SetSaveActive(!idleSave);
}

void Macro::UpdateCapslockTip(int keyCode, bool downOrUp, bool aotu)
{
    Q_UNUSED(aotu)
    if (!MacroRecording.load() || !MacroSelected())
        return;
    const MacroRecorder::Result result = Recorder.Key(keyCode, downOrUp, Hook->EventTime(),
                                                      m_ui->AutoInsertDelay->isChecked(),
                                                      m_ui->DelayTime->value(), *m_rows);
    if (result != MacroRecorder::Result::LimitReached)
        return;
    Hook->Uninstall();
    MacroRecording.store(0);
    // Not inside the key callback: the notice's event loop must not run under the hook.
    QTimer::singleShot(0, this, [this] {
        KeyNumberLimit notice(nullptr);
        notice.PlaceOver(this, -100, -50);
        notice.exec();
    });
}

// ---- commands ----

void Macro::on_NewHong_clicked()
{
    if (RefuseWhileRecording())
        return;
    QuestionDialog dialog(nullptr);
    dialog.SetPrompt(false);
    PlaceDialog(&dialog, -100, -50);
    dialog.exec();
    const QString name = dialog.NameText;
    if (name.isEmpty() || !IsUsableUserName(name))
        return;
    if (IsTakenName(name)) {
        ShowSameMacro(QSize());
        return;
    }
    const QString path = ::MacroFilePath(MacroFolder, name);
    if (!CreateMacroTextFile(path))
        return;
    MacroFilePath = path;
    {
        const QSignalBlocker blocker(m_ui->listWidgetHong);
        m_ui->listWidgetHong->addItem(name);
        m_ui->listWidgetHong->setCurrentRow(m_ui->listWidgetHong->count() - 1);
    }
    m_rows->Clear();
    // Not blocked: a different mode or count before counts as a repeat change.
    m_ui->ReNumber->setChecked(true);
    m_ui->NumberEdit->setValue(1);
}

void Macro::CreateMewMacro()
{
    on_NewHong_clicked();
}

void Macro::on_DeleteHong_clicked()
{
    if (RefuseWhileRecording() || !MacroSelected())
        return;
    DeleteConfirm dialog(nullptr);
    dialog.PlaceOver(this, -100, -50);
    dialog.exec();
    if (!dialog.Confirmed)
        return;
    const QString name = SelectedMacroName();
    const QString path = ::MacroFilePath(MacroFolder, name);
    // The file first: a macro whose file stays would come back with the next listing.
    if (!QFile::remove(path) && QFileInfo::exists(path))
        return;
    PostMsg::instance()->EmitDeleteMacroButton(MacroCaptionPrefix + name);
    {
        const QSignalBlocker blocker(m_ui->listWidgetHong);
        delete m_ui->listWidgetHong->takeItem(m_ui->listWidgetHong->currentRow());
        m_ui->listWidgetHong->setCurrentRow(-1);
    }
    m_rows->Clear();
}

void Macro::DeleteMacro()
{
    on_DeleteHong_clicked();
}

void Macro::on_Amend_clicked()
{
    if (RefuseWhileRecording())
        return;
    const int row = m_rows->Selected();
    if (row < 0)
        return;
    const MacroEventRow old = m_rows->At(row);
    if (old.IsDelay()) {
        AddDelayTime dialog(nullptr);
        PlaceDialog(&dialog, -50, -70);
        dialog.exec();
        if (!dialog.Confirmed)
            return;
        MacroEventRow delay = old;
        delay.text = QString::number(uint(dialog.DelayValue)) + QStringLiteral("ms");
        m_rows->Replace(row, delay);
    } else {
        addKey dialog(nullptr);
        PlaceDialog(&dialog, -50, -70);
        const int answer = dialog.exec();
        if (answer != 1 || !dialog.Confirmed)
            return;
        m_rows->Replace(row, MacroEventFromName(dialog.KeyName, !old.IsRelease()));
    }
    SetSaveActive(true);
}

void Macro::on_NumberEdit_editingFinished()
{
}

void Macro::on_ReUntilLoose_released()
{
}

void Macro::on_ReUntilClick_released()
{
}

void Macro::on_ReNumber_released()
{
}

void Macro::on_InsertEvent_released()
{
}

void Macro::on_AutoInsertDelay_released()
{
}

void Macro::on_ChooseEvent_activated(int index)
{
    switch (index) {
    case 1:
    case 2: {
        addKey dialog(nullptr);
        PlaceDialog(&dialog, -50, -70);
        const int answer = dialog.exec();
        if (answer != 1 || !dialog.Confirmed || !MacroSelected())
            return;
        EventsChanged = true;
        InsertKeyEventItem(*m_rows, MacroEventFromName(dialog.KeyName, index == 1));
        SetSaveActive(true);
        return;
    }
    case 3: {
        AddDelayTime dialog(nullptr);
        PlaceDialog(&dialog, -50, -70);
        dialog.exec();
        if (!dialog.Confirmed || !MacroSelected() || m_rows->Selected() < 0)
            return;
        EventsChanged = true;
        InsertDelayItem(*m_rows, dialog.DelayValue);
        SetSaveActive(true);
        return;
    }
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
        if (!MacroSelected())
            return;
        EventsChanged = true;
        InsertMouseButtonItems(*m_rows,
                               MacroEventFromCode(KindMouseButton, ChooserButtonCodes[index - FirstButtonItem], true));
        SetSaveActive(true);
        return;
    default:
        return;
    }
}

void Macro::on_DeleteKey_clicked()
{
    if (RefuseWhileRecording() || !MacroSelected())
        return;
    // Three rows or fewer go all at once, selected or not.
    const int count = m_rows->Count();
    if (!DeleteEventItems(*m_rows) && count > 3)
        return;
    EventsChanged = true;
    SetSaveActive(true);
}

void Macro::on_Save_clicked()
{
    if (RefuseWhileRecording())
        return;
    SetSaveActive(false);
    if (!MacroSelected())
        return;
    // Everything the file gets is taken now, in one piece.
    const QString name = SelectedMacroName();
    const QString path = ::MacroFilePath(MacroFolder, name);
    MacroFilePath = path;
    // A file removed behind the page's back is written again: the edits are what counts.
    if (!SaveMacroTextFile(path, RepeatValue(), m_rows->Rows(), false)) {
        // Nothing was written: the edits stay unsaved and can be saved again.
        SetSaveActive(true);
        ShowFileNotice(&InportFail::ShowSaveFailedText);
        return;
    }
    if (EventsChanged) {
        PostMsg::instance()->EmitUpDataMacro(name, 0);
        EventsChanged = false;
    }
    if (RepeatChanged) {
        PostMsg::instance()->EmitUpDataMacro(name, 1);
        RepeatChanged = false;
    }
}

void Macro::on_listWidgetKey_itemChanged(QListWidgetItem* item)
{
    Q_UNUSED(item)
    EventsChanged = true;
}

void Macro::on_NumberEdit_valueChanged(int)
{
    RepeatChanged = true;
    SetSaveActive(true);
}

void Macro::on_listWidgetHong_clicked(QModelIndex index)
{
    Q_UNUSED(index)
    LoadSelectedMacro();
}

void Macro::on_listWidgetHong_customContextMenuRequested(QPoint pos)
{
    QMenu menu(this);
    if (m_ui->listWidgetHong->itemAt(pos)) {
        connect(menu.addAction(MenuTexts.value(0)), &QAction::triggered, this, &Macro::ExPortMacro);
        connect(menu.addAction(MenuTexts.value(1)), &QAction::triggered, this, &Macro::RenameMacro);
        connect(menu.addAction(MenuTexts.value(2)), &QAction::triggered, this, &Macro::DeleteMacro);
    } else {
        connect(menu.addAction(MenuTexts.value(3)), &QAction::triggered, this, &Macro::CreateMewMacro);
        connect(menu.addAction(MenuTexts.value(4)), &QAction::triggered, this, &Macro::InPortMacro);
    }
    menu.exec(QCursor::pos());
}

void Macro::RenameMacro()
{
    QuestionDialog dialog(nullptr);
    dialog.SetPrompt(true);
    PlaceDialog(&dialog, -100, -50);
    dialog.exec();
    const QString name = dialog.NameText;
    if (name.isEmpty() || !IsUsableUserName(name) || !MacroSelected())
        return;
    if (IsTakenName(name)) {
        ShowSameMacro(dialog.size());
        return;
    }
    const QString old = SelectedMacroName();
    // The file first: a row renamed over a file that kept its name would lose its macro.
    if (!RenameMacroTextFile(MacroFolder, old, name))
        return;
    MacroFilePath = ::MacroFilePath(MacroFolder, name);
    m_ui->listWidgetHong->currentItem()->setText(name);
    PostMsg::instance()->EmitMacroRename(old, name);
}

void Macro::ExPortMacro()
{
    if (!MacroSelected())
        return;
    const QString path = ChooseFile(this, true, QStringLiteral("FileSave"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    const ListWidgetRows* rows = m_rows.data();
    if (WriteMacroExportFile(file, SelectedMacroName(), RepeatValue(), m_rows->Rows(),
                             [rows](const MacroEventRow& row) { return rows->IconFor(row); }))
        CommitSaveFile(file);
}

void Macro::InPortMacro()
{
    const QString path = ChooseFile(this, false, QStringLiteral("SelectFile"));
    if (path.isEmpty())
        return;
    const MacroImportFile imported = ReadMacroExportFile(path);
    if (!imported.headerRead) {
        ShowFileNotice(&InportFail::ShowUnreadableText);
        return;
    }
    if (IsTakenName(imported.name)) {
        ShowSameMacro(QSize(300, 110));
        return;
    }
    if (imported.marker != QLatin1String("Dovoz"))
        return;
    if (!imported.rowsRead || !IsUsableUserName(imported.name)) {
        ShowFileNotice(&InportFail::ShowUnreadableText);
        return;
    }
    QVector<MacroEventRow> rows;
    rows.reserve(imported.rows.size());
    for (const MacroEventRow& row : imported.rows) {
        // Events resolve to keys; a delay goes to the text file as it is, and one that file
        // would refuse makes no macro.
        if (row.IsDelay() && !IsMacroFileDelay(row.text)) {
            ShowFileNotice(&InportFail::ShowUnreadableText);
            return;
        }
        rows << ResolveImportedRow(row);
    }

    const QString filePath = ::MacroFilePath(MacroFolder, imported.name);
    if (!CreateMacroTextFile(filePath)) {
        ShowFileNotice(&InportFail::ShowUnreadableText);
        return;
    }
    if (!SaveMacroTextFile(filePath, imported.repeat, rows)) {
        QFile::remove(filePath);
        ShowFileNotice(&InportFail::ShowUnreadableText);
        return;
    }
    MacroFilePath = filePath;
    {
        // The repeat controls stay as they are; the imported value is in the file.
        const QSignalBlocker blocker(m_ui->listWidgetHong);
        m_ui->listWidgetHong->addItem(imported.name);
        m_ui->listWidgetHong->setCurrentRow(m_ui->listWidgetHong->count() - 1);
    }
    // The rows of the macro shown before go: the list belongs to the imported macro now.
    m_rows->Clear();
    ShowRows(rows);
}

void Macro::on_DelayTime_valueChanged(int value)
{
    // The box takes five digits, but a fixed delay keeps to the delay dialog's 65535.
    if (value >= DelayLimit)
        m_ui->DelayTime->setValue(DelayLimit);
}

void Macro::on_pushButton_clicked()
{
}

// ---- language ----

void Macro::SlotAllLanguage(int index)
{
    const auto text = [index](int position) { return LangText(LangTable::MacroTexts, index, position); };
    m_ui->label->setText(text(0));
    m_ui->label_2->setText(text(1));
    m_ui->NewHong->setText(text(2));
    m_ui->NewHong->setToolTip(index == LanguageWithNewTip ? text(2) : QString());
    m_ui->DeleteHong->setText(text(3));
    m_ui->Amend->setText(text(4));
    m_ui->DeleteKey->setText(text(5));
    m_ui->StartRecord->setText(text(6));
    m_ui->StopRecord->setText(text(7));
    m_ui->AutoInsertDelayLabel->setText(text(8));
    m_ui->DefaultDelay->setText(text(9));
    m_ui->ReUntilLooseLabel->setText(text(10));
    m_ui->ReUntilClickLabel->setText(text(11));
    m_ui->ReUntilLabel->setText(text(12));
    m_ui->ReNumber->setText(text(13));
    m_ui->label_3->setText(text(14));
    for (int item = 1; item <= 3; ++item)
        m_ui->ChooseEvent->setItemText(item, text(14 + item));
    for (int i = 0; i < 5; ++i) {
        QString name = LangText(LangTable::ButtoninterfaceTexts, index, FirstButtonItem + i);
        if (name.isEmpty())
            name = m_designerButtonNames.value(i);
        MouseButtonNames[ChooserButtonSlots[i]] = name;
        m_ui->ChooseEvent->setItemText(FirstButtonItem + i, name);
    }
    m_ui->Save->setText(text(18));
    MacroCaptionPrefix = LangText(LangTable::ButtoninterfaceTexts, index, 48);
    MenuTexts.clear();
    for (int position = 20; position <= 24; ++position)
        MenuTexts << text(position);
}

// ---- events ----

void Macro::mousePressEvent(QMouseEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return;
    // The spin boxes sit in the page frame, which covers the page from its origin.
    const QPoint at = event->pos();
    if (m_ui->DelayTime->geometry().contains(at) || m_ui->NumberEdit->geometry().contains(at))
        return;
    m_ui->DelayTime->clearFocus();
    m_ui->NumberEdit->clearFocus();
    setFocus(Qt::OtherFocusReason);
}

void Macro::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F12) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Macro::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        const int chosen = m_ui->ChooseEvent->currentIndex();
        const int delay = m_ui->DelayTime->value();
        const int count = m_ui->NumberEdit->value();
        {
            const QSignalBlocker b1(m_ui->ChooseEvent);
            const QSignalBlocker b2(m_ui->DelayTime);
            const QSignalBlocker b3(m_ui->NumberEdit);
            m_ui->retranslateUi(this);
            m_ui->ChooseEvent->setCurrentIndex(chosen);
            m_ui->DelayTime->setValue(delay);
            m_ui->NumberEdit->setValue(count);
        }
        SlotAllLanguage(CurrentLanguage);
    }
    QWidget::changeEvent(event);
}

// ---- helpers ----

bool Macro::MacroSelected() const
{
    return m_ui->listWidgetHong->currentRow() >= 0;
}

QString Macro::SelectedMacroName() const
{
    const QListWidgetItem* item = m_ui->listWidgetHong->currentItem();
    return item ? item->text() : QString();
}

int Macro::RepeatValue() const
{
    if (m_ui->ReUntilLoose->isChecked())
        return RepeatUntilLoose;
    if (m_ui->ReUntilClick->isChecked())
        return RepeatUntilClick;
    if (m_ui->ReUntil->isChecked())
        return RepeatUntil;
    return m_ui->NumberEdit->value();
}

void Macro::SetRepeatControls(int repeat)
{
    switch (repeat) {
    case RepeatUntilLoose:
        m_ui->ReUntilLoose->setChecked(true);
        return;
    case RepeatUntilClick:
        m_ui->ReUntilClick->setChecked(true);
        return;
    case RepeatUntil:
        m_ui->ReUntil->setChecked(true);
        return;
    default:
        m_ui->ReNumber->setChecked(true);
        m_ui->NumberEdit->setValue(repeat >= 1 && repeat <= RepeatCountMax ? repeat : 1);
        return;
    }
}

void Macro::SetSaveActive(bool active)
{
    m_ui->Save->setStyleSheet(active ? CommandButtonSheet(SkinFolder, ButtonColorText) : IdleSaveSheet(SkinFolder));
    m_ui->Save->setEnabled(active);
}

bool Macro::RefuseWhileRecording()
{
    if (!MacroRecording.load())
        return false;
    ExeIsRun notice(nullptr);
    notice.ShowPleaseStopText();
    PlaceDialog(&notice, -100, -50);
    notice.exec();
    return true;
}

void Macro::LoadSelectedMacro()
{
    SetSaveActive(false);
    m_rows->Clear();
    if (!MacroSelected())
        return;
    MacroFilePath = ::MacroFilePath(MacroFolder, SelectedMacroName());
    const MacroFileContent content = ReadMacroTextFile(MacroFilePath);
    {
        // Setting the controls from the file is no change of the user's.
        const QSignalBlocker repeatBlocker(RepeatGroup);
        const QSignalBlocker countBlocker(m_ui->NumberEdit);
        SetRepeatControls(content.loaded && content.hasRepeatLine ? content.repeat : 1);
        ShowRows(content.rows);
    }
    // A file that is there but was refused is no empty macro. A missing one is (Save writes
    // it again).
    const QFileInfo file(MacroFilePath);
    if (!content.loaded && (file.exists() || file.isSymLink()))
        NoticeUnreadableMacro();
}

void Macro::NoticeUnreadableMacro()
{
    // Not inside the list's signal: a press that changed the entry is still being handled, and
    // its click loads the macro once more. One notice for both.
    if (m_unreadableNoticePending)
        return;
    m_unreadableNoticePending = true;
    QTimer::singleShot(0, this, [this] {
        ShowFileNotice(&InportFail::ShowUnreadableText);
        m_unreadableNoticePending = false;
    });
}

void Macro::ShowRows(const QVector<MacroEventRow>& rows)
{
    for (const MacroEventRow& row : rows)
        m_rows->Insert(m_rows->Count(), row);
}

bool Macro::IsUsableUserName(const QString& name)
{
    // The listing skips "xml" names and strips ".ini": such a macro would not come back.
    return IsUsableMacroName(name) && !name.contains(QLatin1String("xml")) && !name.contains(QLatin1String(".ini"));
}

bool Macro::IsTakenName(const QString& name) const
{
    const QListWidget* list = m_ui->listWidgetHong;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == name)
            return true;
    }
    if (!IsUsableMacroName(name))
        return false;
    const QFileInfo file(::MacroFilePath(MacroFolder, name));
    return file.exists() || file.isSymLink();
}

void Macro::ShowSameMacro(const QSize& placedAs)
{
    SameMacro notice(nullptr);
    notice.PlaceOver(this, -100, -50, placedAs);
    notice.exec();
}

void Macro::ShowFileNotice(void (InportFail::*message)())
{
    InportFail notice(nullptr);
    // This notice is about a macro file, not the last check of a configuration file.
    (notice.*message)();
    PlaceDialog(&notice, -100, -50);
    notice.exec();
}

void Macro::PlaceDialog(QDialog* dialog, int dx, int dy) const
{
    Skin::MoveCenteredOver(dialog, this, QPoint(dx, dy));
}

QString Macro::ChooseFile(QWidget* parent, bool save, const QString& caption)
{
    FileChooser::Request request;
    request.save = save;
    request.caption = caption;
    request.folder = FileChooser::StartFolder(QStringLiteral("G:"));
    request.filter = QStringLiteral("File(*.ini)");
    // An export named without an extension is still one the import lists.
    if (save)
        request.defaultSuffix = QStringLiteral("ini");
    return FileChooser::Ask(parent, request);
}

MacroEventRow Macro::ResolveImportedRow(const MacroEventRow& row)
{
    if (row.hasKey || row.IsDelay())
        return row;
    const bool down = !row.IsRelease();
    if (FindKeyUsageRow(row.text, true))
        return MacroEventFromName(row.text, down);
    if (!row.text.isEmpty()) {
        const auto tables = LanguageTables::Global();
        const int languages = tables ? tables->LanguageCount(LangTable::ButtoninterfaceTexts) : 0;
        for (int language = 0; language < languages; ++language) {
            for (int i = 0; i < 5; ++i) {
                if (LangText(LangTable::ButtoninterfaceTexts, language, FirstButtonItem + i) == row.text)
                    return MacroEventFromCode(KindMouseButton, ChooserButtonCodes[i], down);
            }
        }
    }
    return MacroEventFromName(QString(), down);
}
