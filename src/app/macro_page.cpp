#include "app/macro_page.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <cstdio>

#include "model/assignable_functions.h"
#include "model/key_table.h"

namespace tavrin::app {
namespace {

const QString kPress = QStringLiteral("\u2193");
const QString kRelease = QStringLiteral("  \u2191");
constexpr int kKeyColumnWidth = 70;
constexpr int kActionColumnWidth = 60;
constexpr int kDelayColumnWidth = 76;

QString FromUtf16(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToUtf16(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace

MacroPage::MacroPage(
    MacroPageControls controls, MacroPageHost host, const model::MacroList& working, std::uint16_t selectId)
    : controls_(controls)
    , host_(std::move(host))
    , panel_(std::make_unique<model::MacroPanel>(
          working, selectId, ToUtf16(QString::fromStdString(Text("IDS_MACRO_NEW_PREFIX")))))
{
    // The option is stored as "0" or "1"; anything else reads as off and is written back so.
    const std::string entry = RecordDelaysEntry();
    const int stored = host_.settings->GetSettingNumber(profiles::kProfilesSection, entry, 0);
    const bool on = stored == 1;
    host_.settings->WriteSettingFlag(profiles::kProfilesSection, entry, on ? 1 : 0);
    panel_->SetRecordDelays(on);

    controls_.rows->setColumnCount(3);
    controls_.rows->setRootIsDecorated(false);
    controls_.rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    controls_.rows->setAllColumnsShowFocus(true);
    controls_.rows->setColumnWidth(0, kKeyColumnWidth);
    controls_.rows->setColumnWidth(1, kActionColumnWidth);
    controls_.rows->setColumnWidth(2, kDelayColumnWidth);
    controls_.names->setEditable(true);
    controls_.names->setInsertPolicy(QComboBox::NoInsert);
    controls_.names->lineEdit()->setMaxLength(static_cast<int>(model::kMacroNameUnits - 1));
    controls_.cycles->setMaxLength(3);
    Connect();
    Refresh();
}

MacroPage::~MacroPage() = default;

std::string MacroPage::Formatted(const char* key, unsigned number) const
{
    const std::string format = Text(key);
    return model::FormatNumber(format, number).value_or(format);
}

std::string MacroPage::RecordDelaysEntry() const
{
    return Text("IDS_MACRO_ACTION_RECORD_DELAY");
}

void MacroPage::Reset(const model::MacroList& working)
{
    CloseCellEditor();
    const std::uint16_t selected = panel_->SelectedId();
    const bool delays = panel_->RecordDelays();
    panel_ = std::make_unique<model::MacroPanel>(
        working, selected, ToUtf16(QString::fromStdString(Text("IDS_MACRO_NEW_PREFIX"))));
    panel_->SetRecordDelays(delays);
    Refresh();
}

void MacroPage::Connect()
{
    const MacroPageControls& c = controls_;
    connect(c.add, &QAbstractButton::clicked, this, [this] { OnAdd(); });
    connect(c.remove, &QAbstractButton::clicked, this, [this] { OnDelete(); });
    connect(c.record, &QAbstractButton::clicked, this, [this] { OnRecord(); });
    const std::pair<ui::CPngButton*, model::RowMove> moves[] = {{c.toTop, model::RowMove::Top},
        {c.up, model::RowMove::Up}, {c.down, model::RowMove::Down}, {c.toBottom, model::RowMove::Bottom}};
    for (const auto& [button, move] : moves)
        connect(button, &QAbstractButton::clicked, this, [this, move = move] {
            CloseCellEditor();
            panel_->MoveSelectedRow(move);
            Changed();
        });
    connect(c.deleteRow, &QAbstractButton::clicked, this, [this] {
        CloseCellEditor();
        panel_->DeleteSelectedRow();
        Changed();
    });
    connect(c.clearRows, &QAbstractButton::clicked, this, [this] { OnClearRows(); });
    connect(c.undo, &QAbstractButton::clicked, this, [this] { OnUndo(); });
    connect(c.redo, &QAbstractButton::clicked, this, [this] { OnRedo(); });
    connect(c.names, &QComboBox::activated, this, [this](int index) {
        if (filling_ || index < 0)
            return;
        panel_->SelectMacro(static_cast<std::size_t>(index));
        Changed();
    });
    connect(c.names->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        panel_->Rename(ToUtf16(text));
        // The list shows the new name without moving the caret of the field being typed in.
        const QSignalBlocker block(controls_.names);
        if (const auto selected = panel_->Selected();
            selected && static_cast<int>(*selected) < controls_.names->count())
            controls_.names->setItemText(static_cast<int>(*selected), text);
        else
            FillNames();
        UpdateEnables();
        if (host_.changed)
            host_.changed();
    });
    connect(c.mouseClicks, &QComboBox::activated, this, [this](int entry) {
        panel_->InsertMouseClick(entry, host_.clockMs());
        Changed();
    });
    connect(c.recordDelays, &QCheckBox::clicked, this, [this](bool on) {
        panel_->SetRecordDelays(on);
        host_.settings->WriteSettingFlag(profiles::kProfilesSection, RecordDelaysEntry(), on ? 1 : 0);
    });
    connect(c.cycles, &QLineEdit::textEdited, this, [this](const QString& text) {
        const std::uint8_t shown = panel_->SetCyclesText(text.toStdString());
        if (text != QString::number(shown)) {
            const QSignalBlocker block(controls_.cycles);
            controls_.cycles->setText(QString::number(shown));
        }
        UpdateEnables();
        if (host_.changed)
            host_.changed();
    });
    connect(c.rows, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (filling_)
            return;
        const QList<QTreeWidgetItem*> chosen = controls_.rows->selectedItems();
        if (chosen.isEmpty())
            panel_->SelectRow(std::nullopt);
        else
            panel_->SelectRow(static_cast<std::size_t>(controls_.rows->indexOfTopLevelItem(chosen.front())));
        UpdateEnables();
    });
    connect(c.rows, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int column) { EditCell(column); });
}

void MacroPage::SetTexts()
{
    const auto set
        = [](ui::CPngButton* button, const std::string& text) { button->setText(QString::fromStdString(text)); };
    set(controls_.toTop, Text("IDS_COMPOSITE_MACRO_ACTION_UPTOP"));
    set(controls_.up, Text("IDS_COMPOSITE_MACRO_ACTION_UP"));
    set(controls_.down, Text("IDS_COMPOSITE_MACRO_ACTION_DOWN"));
    set(controls_.toBottom, Text("IDS_COMPOSITE_MACRO_ACTION_DOWNBOTTOM"));
    set(controls_.deleteRow, Text("IDS_COMPOSITE_MACRO_ACTION_DELETE"));
    set(controls_.clearRows, Text("IDS_COMPOSITE_MACRO_ACTION_CLEAR"));
    controls_.undo->SetTooltip(QString::fromStdString(Text("IDS_MACRO_ACTION_UNDO")), true);
    controls_.redo->SetTooltip(QString::fromStdString(Text("IDS_MACRO_ACTION_REDO")), true);
    controls_.nameLabel->setText(QString::fromStdString(Text("IDS_MACRO_NAME")));
    controls_.cyclesLabel->setText(QString::fromStdString(Text("IDS_MACRO_CYCLES")));
    controls_.recordDelaysLabel->setText(QString::fromStdString(Text("IDS_MACRO_RECORD_DELAY")));
    controls_.rows->setHeaderLabels({QString::fromStdString(Text("IDS_MACRO_MACRO_ACTION_COLUME_KEYS")),
        QString::fromStdString(Text("IDS_MACRO_MACRO_ACTION_COLUME_ACTION")),
        QString::fromStdString(Text("IDS_MACRO_MACRO_ACTION_COLUME_DELAY"))});
    {
        const QSignalBlocker block(controls_.mouseClicks);
        controls_.mouseClicks->clear();
        const std::vector<std::string> names = model::MouseFunctionNames(*host_.texts);
        for (std::size_t entry = 0; entry < model::kMouseButtonCount && entry < names.size(); ++entry)
            controls_.mouseClicks->addItem(QString::fromStdString(names[entry]));
        controls_.mouseClicks->setPlaceholderText(QString::fromStdString(Text("IDS_MACRO_MOU_KEY")));
        controls_.mouseClicks->setCurrentIndex(-1);
    }
    Refresh();
}

void MacroPage::SetVisible(bool visible)
{
    const MacroPageControls& c = controls_;
    for (QWidget* widget : std::initializer_list<QWidget*>{c.nameLabel, c.names, c.rows, c.add, c.remove, c.record,
             c.toTop, c.up, c.down, c.toBottom, c.deleteRow, c.clearRows, c.undo, c.redo, c.mouseClicks, c.recordDelays,
             c.recordDelaysLabel, c.cyclesLabel, c.cycles})
        widget->setVisible(visible);
}

void MacroPage::Refresh()
{
    FillNames();
    FillRows();
    {
        const QSignalBlocker block(controls_.cycles);
        controls_.cycles->setText(panel_->Selected() ? QString::number(panel_->Cycles()) : QString());
    }
    {
        const QSignalBlocker block(controls_.recordDelays);
        controls_.recordDelays->setChecked(panel_->RecordDelays());
    }
    controls_.record->setText(QString::fromStdString(
        Text(panel_->Recording() ? "IDS_MACRO_ACTION_STOP_RECORD" : "IDS_COMPOSITE_MACRO_ACTION_RECORD")));
    controls_.record->SetChecked(panel_->Recording());
    UpdateEnables();
}

void MacroPage::FillNames()
{
    filling_ = true;
    const QSignalBlocker block(controls_.names);
    controls_.names->clear();
    for (std::size_t index = 0; index < panel_->MacroCount(); ++index)
        controls_.names->addItem(FromUtf16(panel_->NameAt(index)));
    const auto selected = panel_->Selected();
    controls_.names->setCurrentIndex(selected ? static_cast<int>(*selected) : -1);
    if (!selected)
        controls_.names->setEditText(QString());
    filling_ = false;
}

void MacroPage::FillRows()
{
    CloseCellEditor();
    filling_ = true;
    controls_.rows->clear();
    const QColor grey = controls_.rows->palette().color(QPalette::Disabled, QPalette::Text);
    for (const model::MacroAction& action : panel_->Rows()) {
        auto* item = new QTreeWidgetItem(controls_.rows);
        item->setText(0, QString::fromStdString(model::DisplayedName(action.key, *host_.texts)));
        item->setText(1, action.release ? kRelease : kPress);
        item->setText(2, QString::number(action.delay));
        item->setForeground(0, grey);
        item->setForeground(1, grey);
    }
    if (const auto row = panel_->SelectedRow(); row && static_cast<int>(*row) < controls_.rows->topLevelItemCount()) {
        QTreeWidgetItem* item = controls_.rows->topLevelItem(static_cast<int>(*row));
        controls_.rows->setCurrentItem(item);
        controls_.rows->scrollToItem(item);
    }
    filling_ = false;
}

void MacroPage::UpdateEnables()
{
    const MacroPageControls& c = controls_;
    const bool selected = panel_->Selected().has_value();
    const bool recording = panel_->Recording();
    for (QWidget* widget : std::initializer_list<QWidget*>{
             c.record, c.toTop, c.up, c.down, c.toBottom, c.deleteRow, c.clearRows, c.cycles})
        widget->setEnabled(selected);
    c.mouseClicks->setEnabled(selected && !recording);
    c.add->setEnabled(!recording);
    c.remove->setEnabled(!recording && selected);
    c.names->setEnabled(!recording);
    c.undo->setEnabled(!recording && panel_->CanUndo());
    c.redo->setEnabled(!recording && panel_->CanRedo());
}

void MacroPage::Changed()
{
    Refresh();
    if (host_.changed)
        host_.changed();
}

void MacroPage::OnAdd()
{
    if (!panel_->AddMacro()) {
        host_.messages->ShowMessage(Formatted("IDS_MACRO_ERR_MAX", model::kMaxMacros));
        return;
    }
    Changed();
}

void MacroPage::OnDelete()
{
    const bool deleted = panel_->DeleteSelectedMacro([this](std::uint16_t id) {
        if (!host_.keysPlayMacro || !host_.keysPlayMacro(id))
            return true;
        return host_.messages->Ask(Text("IDS_KEY_MACRO_DELETE_CONFIRM_OF_KEYS")) == model::Answer::Yes;
    });
    if (deleted)
        Changed();
}

void MacroPage::OnRecord()
{
    if (panel_->Recording()) {
        StopRecording();
        return;
    }
    CloseCellEditor();
    panel_->StartRecording(host_.clockMs());
    // The keys go to the recording, not to a control that had the focus.
    controls_.rows->setFocus();
    Refresh();
}

void MacroPage::StopRecording()
{
    if (!panel_->Recording())
        return;
    panel_->StopRecording();
    Changed();
}

void MacroPage::OnClearRows()
{
    CloseCellEditor();
    if (panel_->Rows().empty())
        return;
    if (host_.messages->Ask(Text("IDS_MACRO_ACTION_CLEAR_CONFIRM")) != model::Answer::Yes)
        return;
    panel_->ClearRows();
    Changed();
}

void MacroPage::OnUndo()
{
    CloseCellEditor();
    if (panel_->Undo())
        Changed();
}

void MacroPage::OnRedo()
{
    CloseCellEditor();
    if (panel_->Redo())
        Changed();
}

bool MacroPage::FeedKey(model::KeyCode code, bool release, bool autoRepeat)
{
    const model::KeyFeed fed = panel_->FeedKey(code, release, autoRepeat, host_.clockMs());
    if (fed == model::KeyFeed::PassThrough)
        return false;
    if (fed == model::KeyFeed::Recorded)
        Changed();
    return true;
}

void MacroPage::EditCell(int column)
{
    const auto row = panel_->SelectedRow();
    if (!row || *row >= panel_->Rows().size() || column < 0 || column > 2)
        return;
    // Editing a delay stops a recording first; so does any cell, since the keys must reach it.
    StopRecording();
    CloseCellEditor();
    QTreeWidgetItem* item = controls_.rows->topLevelItem(static_cast<int>(*row));
    if (!item)
        return;
    const std::size_t at = *row;
    const model::MacroAction action = panel_->Rows()[at];
    if (column == 2) {
        auto* field = new QLineEdit(QString::number(action.delay));
        field->setMaxLength(9);
        connect(field, &QLineEdit::editingFinished, this, [this, field, at] {
            if (cellEditor_ != field)
                return;
            const model::DelayEdit edit = panel_->SetRowDelay(at, field->text().toStdString());
            cellEditor_ = nullptr;
            if (edit.tooLarge)
                host_.messages->ShowMessage(Formatted("IDS_MACRO_ACTION_ERR_DELAY_MAX", model::kMaxMacroDelay));
            ChangedLater(field);
        });
        cellEditor_ = field;
    } else {
        auto* list = new QComboBox;
        if (column == 0) {
            for (std::uint16_t position = 0; position < model::kAssignableKeyCount; ++position) {
                const model::KeyCode code = model::CodeFromListPosition(position);
                list->addItem(QString::fromStdString(model::NameAtListPosition(position, *host_.texts)), code);
                if (code == action.key)
                    list->setCurrentIndex(position);
            }
        } else {
            list->addItems({kPress, kRelease});
            list->setCurrentIndex(action.release ? 1 : 0);
        }
        connect(list, &QComboBox::activated, this, [this, list, at, column](int index) {
            if (cellEditor_ != list || index < 0)
                return;
            cellEditor_ = nullptr;
            if (column == 0)
                panel_->SetRowKey(at, static_cast<model::KeyCode>(list->itemData(index).toUInt()));
            else
                panel_->SetRowRelease(at, index == 1);
            ChangedLater(list);
        });
        cellEditor_ = list;
    }
    controls_.rows->setItemWidget(item, column, cellEditor_);
    cellEditor_->setFocus();
}

void MacroPage::ChangedLater(QWidget* editor)
{
    // The editor is still inside its own signal: it goes, and the rows are redrawn, once that
    // has returned.
    editor->hide();
    editor->deleteLater();
    QMetaObject::invokeMethod(
        this, [this] { Changed(); }, Qt::QueuedConnection);
}

void MacroPage::CloseCellEditor()
{
    if (!cellEditor_)
        return;
    QWidget* editor = cellEditor_;
    cellEditor_ = nullptr;
    editor->hide();
    editor->deleteLater();
}

}  // namespace tavrin::app
