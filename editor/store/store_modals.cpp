#include "editor/store/sequencer_store.h"

namespace pulvan::store {

void SequencerStore::setActiveModal(std::optional<KezModal> modal) {
    const auto previous = activeModal_.get();
    activeModal_.set(modal);
    activeModalDidChange(previous);
}

void SequencerStore::activeModalDidChange(std::optional<KezModal> previous) {
    const auto current = activeModal_.get();
    const bool was303 = previous == KezModal::patternGenerator303;
    const bool is303 = current == KezModal::patternGenerator303;
    if (!was303 && is303) openPatternGenerator303UndoSession();
    if (was303 && !is303) {
        // The audition note must end before the session closes, or it would hang.
        stopPatternGenerator303Audition();
        closePatternGenerator303UndoSession();
    }
    if (!current && dropdown->has_value()) dropdown.set(std::nullopt);
}

void SequencerStore::setPinPerformanceDialog(bool pinned) {
    if (forcePinnedPerformanceDialog) {
        pinPerformanceDialog_.set(true);
        return;
    }
    const bool old = pinPerformanceDialog_.get();
    pinPerformanceDialog_.set(pinned);
    if (pinned != old) saveUserPreferences();
    if (!pinned && activeModal_.get() == KezModal::performance) setActiveModal(std::nullopt);
}

void SequencerStore::setPatternCopyToActive(bool armed) {
    patternCopyToActive_.set(armed);
    restartPatternArmTimeout();
}

void SequencerStore::setPatternSwapWithActive(bool armed) {
    patternSwapWithActive_.set(armed);
    restartPatternArmTimeout();
}

void SequencerStore::setSceneCopyToActive(bool armed) {
    sceneCopyToActive_.set(armed);
    restartSceneArmTimeout();
}

void SequencerStore::setSceneSwapWithActive(bool armed) {
    sceneSwapWithActive_.set(armed);
    restartSceneArmTimeout();
}

void SequencerStore::restartPatternArmTimeout() {
    restartArmTimeout(patternArmTimeoutTimer_, patternCopyToActive_.get() || patternSwapWithActive_.get(),
                      &SequencerStore::clearPatternArming);
}

void SequencerStore::restartSceneArmTimeout() {
    restartArmTimeout(sceneArmTimeoutTimer_, sceneCopyToActive_.get() || sceneSwapWithActive_.get(), &SequencerStore::clearSceneArming);
}

void SequencerStore::restartArmTimeout(foundation::Timer& timer, bool armed, void (SequencerStore::*clear)()) {
    timer.cancel();
    // The timer is a member, so it is cancelled with the store and never fires on a dead one.
    if (armed)
        timer =
            services_.mainQueue.scheduleOneShot(foundation::nanosecondsFromSeconds(armTimeoutSeconds), [this, clear] { (this->*clear)(); });
}

void SequencerStore::clearPatternArming() {
    setPatternCopyToActive(false);
    setPatternSwapWithActive(false);
}

void SequencerStore::clearSceneArming() {
    setSceneCopyToActive(false);
    setSceneSwapWithActive(false);
}

}  // namespace pulvan::store
