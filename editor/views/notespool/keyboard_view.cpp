#include "editor/views/notespool/keyboard_view.h"

#include "editor/views/notespool/keyboard_keys.h"
#include "editor/views/shell/capture_surface.h"
#include "editor/views/shell/environment_keys.h"
#include "editor/views/shell/keyboard_capture.h"
#include "platform/ui/layout.h"
#include "platform/ui/scroll_view.h"

#include <algorithm>
#include <cmath>
#include <list>
#include <memory>

namespace pulvan::views {

using namespace ui;

namespace {

struct Grab {
    std::optional<int> source;
    std::optional<int> target;
    friend bool operator==(const Grab&, const Grab&) = default;
};

// A tap's short audition note, waiting for its note-off.
struct TapPreview {
    KeyboardView::AuditionPress press;
    std::function<void(int, int)> noteOff;
    foundation::Timer timer;
    bool done = false;
};

// What the keyboard keeps between rebuilds; deferred work reaches it weakly and does nothing once the
// keyboard has gone.
struct KeyboardRuntime : std::enable_shared_from_this<KeyboardRuntime> {
    KeyboardView view;  // the newest description
    KeyboardGeometry geometry;
    foundation::MainQueue* queue = nullptr;
    State<Grab> grab;
    std::shared_ptr<ScrollController> scroller = std::make_shared<ScrollController>();
    double scrollLeft = 0;
    double viewportW = 0;
    bool suppressTap = false;
    std::optional<double> panStartScrollLeft;
    bool didSetInitialCenter = false;
    std::optional<KeyboardView::AuditionPress> auditionPress;
    std::list<TapPreview> tapPreviews;
    std::shared_ptr<LitKeys> lit;
    // The inputs as last seen, to act on their changes.
    bool seen = false;
    KeyboardScrollRequest lastScrollRequest;
    double lastRequestedScrollLeft = 0;
    bool lastAuditionEnabled = false;

    void later(std::function<void(KeyboardRuntime&)> work) {
        queue->async([weak = weak_from_this(), work = std::move(work)] {
            if (auto self = weak.lock()) work(*self);
        });
    }

    void reportViewport() const { callIfSet(view.onViewportChanged, scrollLeft, viewportW, geometry.contentWidth()); }

    void setScrollLeft(double x, std::optional<Animation> animation = std::nullopt) {
        scroller->scrollTo(x, animation);
        if (scrollLeft == x) return;
        scrollLeft = x;
        reportViewport();
    }

    void scrollTo(double x) { setScrollLeft(geometry.snappedScrollLeft(x, viewportW)); }

    void setViewportWidth(double width) {
        if (viewportW == width) return;
        viewportW = width;
        reportViewport();
        centreInitially();
    }

    void centreInitially() {
        if (didSetInitialCenter || viewportW <= 0) return;
        didSetInitialCenter = true;
        scrollTo(geometry.keyCenter(view.initialCenterNote) - viewportW / 2);
    }

    void scrollToNewPoolNotes(const std::vector<int>& toPool, int attempt) {
        if (toPool.empty()) return;
        const int lowest = *std::min_element(toPool.begin(), toPool.end());
        if (viewportW <= 0) {
            if (attempt > 1) return;
            later([toPool, attempt](KeyboardRuntime& self) { self.scrollToNewPoolNotes(toPool, attempt + 1); });
            return;
        }
        if (auto target = geometry.scrollLeftRevealing(lowest, scrollLeft, viewportW, view.leadingOffsetWhiteCount))
            setScrollLeft(*target, Animation::easeInOut(0.28));
    }

    void releaseAudition() {
        if (auto held = std::exchange(auditionPress, std::nullopt)) callIfSet(view.onAuditionNoteOff, held->note, held->channel);
    }

    void cancelGrab() {
        releaseAudition();
        suppressTap = false;
        grab.set({});
    }

    void tap(Point at) {
        if (suppressTap) return;
        const auto note = geometry.hitTest(at, scrollLeft);
        if (!note) return;
        const bool wasInPool = std::find(view.pool.begin(), view.pool.end(), *note) != view.pool.end();
        callIfSet(view.onToggle, *note);
        if (wasInPool || !view.auditionEnabled) return;
        callIfSet(view.onAuditionNoteOn, *note, view.auditionChannel);
        std::erase_if(tapPreviews, [](const TapPreview& p) { return p.done; });
        TapPreview& preview = tapPreviews.emplace_back(TapPreview{{*note, view.auditionChannel}, view.onAuditionNoteOff, {}, false});
        preview.timer = queue->scheduleOneShot(foundation::nanosecondsFromSeconds(view.auditionTapPreviewDuration), [this, &preview] {
            preview.done = true;
            // A long press that took the note over stops it at its own release.
            if (auditionPress != preview.press) callIfSet(preview.noteOff, preview.press.note, preview.press.channel);
        });
    }

    // The keyboard leaves: every audition note it started ends now.
    void disappear() {
        releaseAudition();
        for (TapPreview& preview : tapPreviews) {
            if (std::exchange(preview.done, true)) continue;
            preview.timer.cancel();
            callIfSet(preview.noteOff, preview.press.note, preview.press.channel);
        }
    }

    void longPressBegan(Point at) {
        if (!view.grabEnabled) return;
        const auto note = geometry.hitTest(at, scrollLeft);
        if (!note) return;
        if (std::find(view.pool.begin(), view.pool.end(), *note) == view.pool.end()) {
            if (!view.auditionEnabled) return;
            callIfSet(view.onToggle, *note);
        }
        suppressTap = true;
        grab.set({note, note});
        if (view.auditionEnabled) {
            auditionPress = KeyboardView::AuditionPress{*note, view.auditionChannel};
            callIfSet(view.onAuditionNoteOn, *note, view.auditionChannel);
        }
    }

    void longPressChanged(Point at) {
        const Grab current = *grab;
        if (!current.source) return;
        const auto target = geometry.hitTest(at, scrollLeft);
        if (!target || current.target == target) return;
        Grab next{current.source, target};
        if (*target != *current.source && view.onMove && view.onMove(*current.source, *target)) {
            next.source = target;
            if (view.auditionEnabled && auditionPress && auditionPress->note != *target) {
                const int channel = auditionPress->channel;
                callIfSet(view.onAuditionNoteOff, auditionPress->note, channel);
                callIfSet(view.onAuditionNoteOn, *target, channel);
                auditionPress = KeyboardView::AuditionPress{*target, channel};
            }
        }
        grab.set(next);
    }

    void longPressEnded(Point at) {
        longPressChanged(at);
        releaseAudition();
        later([](KeyboardRuntime& self) {
            self.suppressTap = false;
            self.grab.set({});
        });
    }

    void panBegan() {
        cancelGrab();
        suppressTap = true;
        panStartScrollLeft = scrollLeft;
    }

    void panChanged(double dx) {
        if (panStartScrollLeft) scrollTo(*panStartScrollLeft - dx);
    }

    void panEnded() {
        panStartScrollLeft.reset();
        later([](KeyboardRuntime& self) { self.suppressTap = false; });
    }

    // Acts, a turn later, on the inputs that changed since the last build.
    void takeInputs(const KeyboardView& next) {
        view = next;
        geometry = next.geometry();
        if (!std::exchange(seen, true)) {
            lastScrollRequest = next.scrollRequest;
            lastRequestedScrollLeft = next.requestedScrollLeft;
            lastAuditionEnabled = next.auditionEnabled;
            return;
        }
        if (std::exchange(lastAuditionEnabled, next.auditionEnabled) != next.auditionEnabled)
            later([](KeyboardRuntime& self) { self.cancelGrab(); });
        if (!(lastScrollRequest == next.scrollRequest)) {
            lastScrollRequest = next.scrollRequest;
            later([toPool = next.scrollRequest.toPool](KeyboardRuntime& self) { self.scrollToNewPoolNotes(toPool, 0); });
        }
        if (std::exchange(lastRequestedScrollLeft, next.requestedScrollLeft) != next.requestedScrollLeft) {
            later([x = next.requestedScrollLeft](KeyboardRuntime& self) {
                if (std::abs(x - self.scrollLeft) > 1) self.scrollTo(x);
            });
        }
    }
};

}  // namespace

View KeyboardView::body(BuildContext& context) const {
    const auto grab = context.state<Grab>();
    const auto book = context.storage<std::shared_ptr<KeyboardRuntime>>();
    auto& runtime = *book;
    if (!runtime) {
        runtime = std::make_shared<KeyboardRuntime>();
        runtime->queue = &context.mainQueue();
        runtime->grab = grab;
    }
    runtime->takeInputs(*this);
    const std::shared_ptr<KeyboardRuntime> rt = runtime;

    const KeyboardKeys keys{
        .geometry = rt->geometry,
        .pool = pool,
        .accent = context.env<KezAccentKey>(),
        .grabbedSourceNote = grab->source,
        .grabbedTargetNote = grab->target,
    };
    View content = keys;
    if (activeTrackNotes) {
        if (!rt->lit) rt->lit = std::make_shared<LitKeys>(context.mainQueue(), trackActivityHoldDuration);
        rt->lit->follow(context.object<store::PlayheadState>(),
                        [&store = context.object<store::SequencerStore>(), read = activeTrackNotes] { return read(store); });
        content = zstack(
            {.alignment = unit::topLeading}, content,
            keyboardActivityBars(rt->geometry, rt->lit, activeTrackColor, grab->source != grab->target ? grab->source : std::nullopt));
    }
    const SingleTouchKeyboardCapture capture{
        .minimumPressDuration = grabPressDuration,
        .onTapAt = [rt](Point p) { rt->tap(p); },
        .onLongPressBegan = [rt](Point p) { rt->longPressBegan(p); },
        .onLongPressChanged = [rt](Point p) { rt->longPressChanged(p); },
        .onLongPressEnded = [rt](Point p) { rt->longPressEnded(p); },
        .onLongPressCancelled = [rt] { rt->cancelGrab(); },
        .onTwoFingerPanBegan = [rt] { rt->panBegan(); },
        .onTwoFingerPanChanged = [rt](double dx) { rt->panChanged(dx); },
        .onTwoFingerPanEnded = [rt] { rt->panEnded(); },
    };
    View strip =
        scrollView({.axis = ScrollAxis::horizontal, .showsIndicators = false, .controller = rt->scroller}, content.testId("keyboardKeys"));
    return geometryReader([rt, strip, capture](const GeometryProxy& proxy) {
               if (proxy.size().width != rt->viewportW) {
                   rt->later([width = proxy.size().width](KeyboardRuntime& self) { self.setViewportWidth(width); });
               }
               return zstack({.alignment = unit::topLeading}, strip, View(capture));
           })
        .frame({.height = keyboardHeight})
        .onAppear([rt] {
            rt->reportViewport();
            rt->later([](KeyboardRuntime& self) { self.centreInitially(); });
        })
        .onDisappear([rt] { rt->disappear(); });
}

}  // namespace pulvan::views
