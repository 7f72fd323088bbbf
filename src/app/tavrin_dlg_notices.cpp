// The main window following what tavrinctl did to the keyboard: its notice is answered at once and
// followed afterwards, re-reading what changed as for the keyboard's own notifications, and asking
// before the keyboard's profiles replace edits not yet applied.
#include <utility>

#include "app/tavrin_app.h"
#include "app/tavrin_dlg.h"
#include "app/window_messages.h"
#include "profiles/keyboard_changes.h"

namespace tavrin::app {

void CTavrinDlg::OnKeyboardChangedNotice(std::uint32_t changes)
{
    Trace("MSG_KEYBOARD_CHANGED");
    notices_.changes |= changes & profiles::kAllKeyboardChanges;
    if (notices_.scheduled || notices_.changes == 0)
        return;
    // Not followed inside the handler: tavrinctl waits for the answer, not for the keyboard's reads
    // or the user's. Notices that come meanwhile join the one being followed.
    notices_.scheduled = true;
    QTimer::singleShot(0, this, [this] {
        WhenIdle([this] {
            while (notices_.changes != 0 && !closed_) {
                const std::uint32_t changes = std::exchange(notices_.changes, 0u);
                FollowKeyboardChanges(changes);
            }
            notices_.changes = 0;
            notices_.scheduled = false;
        });
    });
}

void CTavrinDlg::FollowKeyboardChanges(std::uint32_t changes)
{
    if (!keyboard_->Presence() || keyboard_->Presence()->LastPresence() == 0)
        return;
    const bool listModified = profileDialog_ && profileDialog_->List().Modified();
    const bool editsPending = settingsModified_ || listModified;
    profiles::KeyboardChangeReads reads = profiles::ReadsAfterKeyboardChange(changes, editsPending);
    if (reads.ask) {
        // Asked on the window's thread with nothing of the profile data or the keyboard held.
        const model::Answer answer = messages_.Ask(app_.Texts().Text("IDS_MAIN_KEYBOARD_CHANGED_PROMPT"));
        reads = profiles::ReadsAfterKeyboardChange(changes, editsPending, answer);
        Trace(answer == model::Answer::Yes ? "keyboard change taken over the edits"
                                           : "edits kept over the keyboard change");
    }
    if (reads.profiles) {
        // The profile dialog's unapplied list goes with the other edits.
        if (profileDialog_ && profileDialog_->List().Modified())
            profileDialog_->reject();
        HandleMessage(MSG_PROFILE_RELOAD, MSG_PROFILE_RELOAD_CHECK, 0);
    }
    if (reads.activeProfile)
        OnTimer(kTimerProfileChanged);
    if (reads.lighting)
        OnTimer(kTimerLightingReload);
    if (reads.keyColours) {
        // The painted keys lose their base-colour marks and stay in the layout they were kept in, so
        // that the panel's next base colour leaves them as they were painted.
        lighting_->TakeSelectedLayoutFromFile();
        ReloadLighting(true, true);
    }
}

}  // namespace tavrin::app
