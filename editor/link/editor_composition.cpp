#include "editor/link/editor_composition.h"

#include "editor/library/default_preset_file.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>

extern char** environ;

namespace pulvan::link {
namespace {

store::StoreServices storeServices(foundation::MainQueue& queue, StandaloneMIDISender& sender) {
    return {queue, foundation::Pasteboard::general(), foundation::UserDefaults::standard(),
            [&sender](std::uint8_t status, std::uint8_t data1, std::uint8_t data2) { sender.send(status, data1, data2); },
            library::readDefaultPresetFile};
}

library::PickerResult pickerResult(const x11::ChooserResult& result) {
    switch (result.status) {
        case x11::ChooserResult::Status::chosen: return library::pickedLocation(result.path);
        case x11::ChooserResult::Status::failed: return library::pickerFailed(result.error);
        default: return library::pickerCancelled();
    }
}

// What the user typed into the path prompt: ~ stands for the home folder.
std::filesystem::path typedPath(const std::string& text) {
    if (text.starts_with("~/") || text == "~") {
        if (const char* home = std::getenv("HOME")) return std::filesystem::path(home) / text.substr(std::min<std::size_t>(text.size(), 2));
    }
    return text;
}

}  // namespace

EditorComposition::EditorComposition(foundation::MainQueue& queue, bool standaloneApplication)
    : queue_(queue),
      midiSender_(standaloneApplication ? StandaloneMIDISender() : StandaloneMIDISender(StandaloneMIDISender::closed)),
      choosers_(queue) {}

std::unique_ptr<EditorComposition> EditorComposition::hosted(const KezVst3EngineHooks& hooks, foundation::MainQueue& queue) {
    std::unique_ptr<EditorComposition> c(new EditorComposition(queue, false));
    c->bridge_ = std::make_unique<EditorBridge>(hooks, storeServices(queue, c->midiSender_));
    c->bind(c->bridge_->store(), c->bridge_->link(), au::ComponentRegistry::shared());
    return c;
}

std::unique_ptr<EditorComposition> EditorComposition::standalone(foundation::MainQueue& queue, const au::ComponentRegistry& registry) {
    std::unique_ptr<EditorComposition> c(new EditorComposition(queue, true));
    c->ownStore_ = std::make_unique<store::SequencerStore>(storeServices(queue, c->midiSender_));
    c->ownLink_ = std::make_unique<StoreLink>(*c->ownStore_);
    c->bind(*c->ownStore_, *c->ownLink_, registry);
    return c;
}

void EditorComposition::bind(store::SequencerStore& store, StoreLink& link, const au::ComponentRegistry& registry) {
    store_ = &store;
    link_ = &link;
    appPlay_ = std::make_unique<StandaloneAppPlay>(link, midiSender_, registry);
    library::PresetDocumentHooks hooks;
    hooks.encodedPresetData = [&link]() -> std::optional<std::string> {
        const auto data = link.encodedPresetData();
        if (!data) return std::nullopt;
        return std::string(data->begin(), data->end());
    };
    hooks.applyPresetData = [&link](std::string_view data) { return link.applyPresetData({data.begin(), data.end()}); };
    hooks.applyChordProgressionPreset = [&store](const std::vector<model::Chord>& chords) { store.applyChordProgressionPreset(chords); };
    library_ = std::make_unique<library::PresetLibrary>(store, std::move(hooks));
    wholeDocument_ = link.documentWillBeReplaced.connect([this] {
        if (cancelGestures) cancelGestures();
    });
}

EditorComposition::~EditorComposition() {
    pathPrompt_.disconnect();
    wholeDocument_.disconnect();
    library_.reset();
    appPlay_.reset();
    ownLink_.reset();
    ownStore_.reset();
    bridge_.reset();
}

void EditorComposition::presentChooser(const views::ChooserRequest& request, std::optional<views::WindowReference> window,
                                       std::function<void(const library::PickerResult&)> completion) {
    x11::ChooserOptions options{request.chooseFolders, request.fileTypes, request.chooseFolders ? "Choose a folder" : "Choose a file",
                                window};
    choosers_.choose(std::move(options), [this, request, completion = std::move(completion)](const x11::ChooserResult& result) {
        if (result.status == x11::ChooserResult::Status::unavailable) {
            promptForPath(request, completion);
            return;
        }
        completion(pickerResult(result));
    });
}

void EditorComposition::promptForPath(const views::ChooserRequest& request, std::function<void(const library::PickerResult&)> completion) {
    auto answered = std::make_shared<bool>(false);
    store::DialogRequest prompt;
    prompt.kind = store::DialogRequest::Kind::prompt;
    prompt.title = request.chooseFolders ? "Choose a folder" : "Choose a file";
    prompt.message = request.chooseFolders ? "Type the full path of the folder." : "Type the full path of the file.";
    prompt.confirmLabel = "Choose";
    prompt.cancelLabel = "Cancel";
    prompt.placeholder = request.chooseFolders ? "/home/me/Presets" : "/home/me/Preset.json";
    prompt.promptRequiresNonEmptyInput = true;
    prompt.prefersGlobalAccent = true;
    const bool folders = request.chooseFolders;
    prompt.onConfirm = [answered, completion, folders](const std::string& text) {
        *answered = true;
        const std::filesystem::path path = typedPath(text);
        std::error_code error;
        const bool fits = folders ? std::filesystem::is_directory(path, error) : std::filesystem::is_regular_file(path, error);
        completion(fits ? library::pickedLocation(path)
                        : library::pickerFailed("There is no " + std::string(folders ? "folder" : "file") + " at " + path.string() + "."));
    };
    // The shell dismisses a dialog by clearing it: a prompt that goes unanswered was cancelled.
    const foundation::Uuid id = prompt.id;
    auto watch = store_->dialog.subscribe([answered, completion, id](const std::optional<store::DialogRequest>& shown) {
        if (*answered || (shown && shown->id == id)) return;
        *answered = true;
        completion(library::pickerCancelled());
    });
    // A prompt shown before is replaced now: its own watch still sees that, then goes.
    store_->dialog.set(std::move(prompt));
    pathPrompt_ = std::move(watch);
}

void EditorComposition::openURL(const std::string& url) {
    // A shell starts xdg-open in the background and ends at once, so xdg-open goes on without us and no
    // thread of ours waits for it: a plug-in's module may be unloaded long before the browser returns.
    // The URL is the shell's argument, never part of its script.
    const char* argv[] = {"sh", "-c", "xdg-open \"$1\" >/dev/null 2>&1 &", "sh", url.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return;
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace pulvan::link
