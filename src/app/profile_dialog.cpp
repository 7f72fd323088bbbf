#include "app/profile_dialog.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "profiles/profile_file.h"
#include "ui/dark_controls.h"
#include "ui/skin_failure.h"
#include "ui/skin_layout.h"
#include "ui/skin_pictures.h"

namespace tavrin::app {
namespace {

constexpr const char* kProfileFilter = "(*.tvn)|*.tvn|(*.*)|*.*||";

struct ProfilePictures {
    QPixmap normal;
    QPixmap over;
    QPixmap down;
};

// Loaded once per run; nothing when one is missing.
const ProfilePictures* Pictures(const std::string& skinFolder)
{
    static std::optional<ProfilePictures> pictures;
    if (!pictures) {
        const QImage normal = ui::LoadSkinPicture(skinFolder + "Profile_normal.jpg");
        const QImage over = ui::LoadSkinPicture(skinFolder + "Profile_over.jpg");
        const QImage down = ui::LoadSkinPicture(skinFolder + "Profile_down.jpg");
        if (normal.isNull() || over.isNull() || down.isNull())
            return nullptr;
        pictures = ProfilePictures{QPixmap::fromImage(normal), QPixmap::fromImage(over), QPixmap::fromImage(down)};
    }
    return &*pictures;
}

}  // namespace

CTavrin_DlgProfile::CTavrin_DlgProfile(
    QWidget* parent, const std::string& layoutFile, const std::string& skinFolder, ProfileDialogHost host)
    : ui::CBaseDialog(parent, layoutFile, skinFolder)
    , host_(std::move(host))
    , list_(profiles::ProfileList::ForProfiles(host_.workingFile, host_.activeProfile))
{
    setObjectName("ProfileDialog");
    setWindowTitle(QString::fromStdString(host_.texts->Text("IDS_PROFILE_DIALOG_TITLE")));
}

void CTavrin_DlgProfile::showEvent(QShowEvent* event)
{
    if (!counted_) {
        counted_ = true;
        ++openCount_;
    }
    ui::CBaseDialog::showEvent(event);
}

void CTavrin_DlgProfile::done(int result)
{
    if (counted_) {
        counted_ = false;
        --openCount_;
    }
    ui::CBaseDialog::done(result);
}

bool CTavrin_DlgProfile::LayOut()
{
    if (!Pictures(SkinFolder())) {
        ui::EndForMissingSkin("the profile dialog's pictures could not be loaded");
        return false;
    }
    if (!ApplySkin())
        return false;
    const auto text = [this](const char* key) { return host_.texts->Text(key); };
    AddButton("FUNC_ADD", "IDS_PROFILE_ADD", [this] { OnAdd(); });
    AddButton("FUNC_LOAD", "IDS_PROFILE_LOAD", [this] { OnLoad(); });
    AddButton("FUNC_DELETE", "IDS_PROFILE_DELETE", [this] { OnDelete(); });
    apply_ = AddButton("CONTROL2_APPLY", "IDS_MAIN_Apply", [this] { OnApply(); });
    AddButton("CONTROL_OK", "IDS_MAIN_OK", [this] { OnOk(); });
    AddButton("CONTROL_CANCEL", "IDS_MAIN_Cancel", [this] { reject(); });

    table_ = new QTreeWidget(this);
    table_->setObjectName("PROGRAM_LIST");
    const ui::Placement place = ui::PlaceByRule(
        ui::PlacingRule::Plain, ui::ReadPlacementValue(LayoutFile(), ui::kPlacementSection, "PROGRAM_LIST"));
    table_->setGeometry(place.x, place.y, place.width, place.height);
    table_->setColumnCount(3);
    table_->setHeaderLabels({QString::fromStdString(text("IDS_PROFILE_COLUMN_ACTIVE")),
        QString::fromStdString(text("IDS_PROFILE_COLUMN_NAME")),
        QString::fromStdString(text("IDS_PROFILE_COLUMN_PATH"))});
    table_->setColumnWidth(0, 60);
    table_->setColumnWidth(1, 120);
    table_->setColumnWidth(2, 230);
    table_->setRootIsDecorated(false);
    // The list sits on the skin's dark panel.
    table_->setStyleSheet(ui::DarkControlsStyle());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAllColumnsShowFocus(true);
    connect(table_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (filling_ || column != 0)
            return;
        list_.SetChecked(
            static_cast<std::size_t>(table_->indexOfTopLevelItem(item)), item->checkState(0) == Qt::Checked);
        FillTable();
    });
    FillTable();
    list_.ClearModified();
    UpdateApply();
    return true;
}

ui::CPngButton* CTavrin_DlgProfile::AddButton(const char* key, const char* text, std::function<void()> command)
{
    const ProfilePictures& p = *Pictures(SkinFolder());
    auto* button = new ui::CPngButton(this);
    button->setObjectName(key);
    const ui::Placement place = ui::PlaceByRule(
        ui::PlacingRule::ImageButton, ui::ReadPlacementValue(LayoutFile(), ui::kPlacementSection, key));
    button->setGeometry(place.x, place.y, place.width, place.height);
    button->SetSkin(place.offsetX, place.offsetY, p.normal, p.over, p.down, p.normal, p.down, false);
    button->setEnabled(!place.disable);
    // The faces are blank; the text is the chosen language's, as on the main window's buttons.
    button->SetTextStyle(true, 10, "Arial", 0x00FFFFFF, 0x0000D7FF, 0x00FFFFFF, 0x00808080);
    button->setText(QString::fromStdString(host_.texts->Text(text)));
    connect(button, &QAbstractButton::clicked, this, std::move(command));
    return button;
}

void CTavrin_DlgProfile::FillTable()
{
    if (!table_)
        return;
    filling_ = true;
    table_->clear();
    for (const profiles::ProfileRow& row : list_.Rows()) {
        auto* item = new QTreeWidgetItem(table_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
        item->setText(1, QString::fromStdString(row.name));
        item->setText(2, QString::fromStdString(row.folder));
    }
    filling_ = false;
    UpdateApply();
}

void CTavrin_DlgProfile::UpdateApply()
{
    if (apply_)
        apply_->setEnabled(list_.Modified());
}

model::FileChoice CTavrin_DlgProfile::Choice(const std::string& initialName, bool saving) const
{
    return {host_.profileFolder + initialName, kProfileFilter, "tvn", saving};
}

void CTavrin_DlgProfile::OnAdd()
{
    const std::optional<std::string> path = host_.messages->ChooseFileToSave(Choice(profiles::kNewProfileName, true));
    if (!path)
        return;
    if (!profiles::CreateDefaultProfileFile(*path)) {
        host_.messages->ShowMessage("The new profile file \"" + *path + "\" could not be written; no row was added.");
        return;
    }
    list_.Append(*path);
    FillTable();
}

void CTavrin_DlgProfile::OnLoad()
{
    const std::optional<std::string> path = host_.messages->ChooseFileToOpen(Choice("*.tvn", false));
    if (!path)
        return;
    list_.Append(*path);
    FillTable();
}

void CTavrin_DlgProfile::OnDelete()
{
    QTreeWidgetItem* item = table_->currentItem();
    if (!item)
        return;
    list_.Remove(static_cast<std::size_t>(table_->indexOfTopLevelItem(item)));
    FillTable();
}

bool CTavrin_DlgProfile::OnApply()
{
    std::optional<int> active = list_.CheckedRow();
    if (active && *active >= profiles::kProfileRowsWithAMode) {
        host_.messages->ShowMessage("Only the first four rows stand for a keyboard profile (the fourth for its "
                                    "default mode); the active profile was left as it is.");
        active.reset();
    }
    std::string failure;
    if (!list_.Store(*host_.settings))
        failure = "The profile list could not be stored in \"" + host_.settings->Path() + "\".";
    if (const std::string applied = host_.apply ? host_.apply(active) : std::string(); !applied.empty())
        failure += (failure.empty() ? "" : " ") + applied;
    if (!failure.empty()) {
        host_.messages->ShowMessage(failure);
        return false;
    }
    list_.ClearModified();
    UpdateApply();
    return true;
}

void CTavrin_DlgProfile::OnOk()
{
    if (OnApply())
        accept();
}

void CTavrin_DlgProfile::ProfileChosen(int profile)
{
    list_.ProfileChosen(profile);
    FillTable();
}

void CTavrin_DlgProfile::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && host_.help) {
        host_.help();
        return;
    }
    ui::CBaseDialog::keyPressEvent(event);
}

}  // namespace tavrin::app
