// The output mirror seen from another MIDI client: one shared virtual source
// for every instance in the process, carrying what the instances play.
#include <gtest/gtest.h>

#include "pluginterfaces/vst/ivsthostapplication.h"
#include "tests/vst3/plugin_instance.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace Steinberg;

namespace kez::test {
namespace {

// A JACK client with one MIDI input that keeps every message it receives.
class MidiReceiver {
public:
    MidiReceiver() {
        client_ = jack_client_open("pulvan-vst3-test", JackNoStartServer, nullptr);
        if (!client_) return;
        input_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(client_, &MidiReceiver::process, this);
        jack_activate(client_);
    }
    ~MidiReceiver() {
        if (client_) jack_client_close(client_);
    }
    bool open() const { return client_ && input_; }

    std::vector<std::string> virtualPorts() const {
        std::vector<std::string> names;
        if (const char** ports = jack_get_ports(client_, "Kez Virtual Port", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput)) {
            for (const char** port = ports; *port; ++port) names.emplace_back(*port);
            jack_free(ports);
        }
        return names;
    }
    bool listenTo(const std::string& port) { return jack_connect(client_, port.c_str(), jack_port_name(input_)) == 0; }

    std::vector<std::vector<std::uint8_t>> received() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

private:
    static int process(jack_nframes_t frames, void* self) {
        auto* receiver = static_cast<MidiReceiver*>(self);
        void* buffer = jack_port_get_buffer(receiver->input_, frames);
        const jack_nframes_t count = jack_midi_get_event_count(buffer);
        std::lock_guard lock(receiver->mutex_);  // a test's receiver; not a real-time path
        for (jack_nframes_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, i) == 0) receiver->messages_.emplace_back(event.buffer, event.buffer + event.size);
        }
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* input_ = nullptr;
    std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> messages_;
};

// A host that wraps the plug-in as an Audio Unit says so on its context.
class WrapperMarker final : public Vst::IVst3ToAUWrapper {
public:
    tresult PLUGIN_API queryInterface(const TUID, void** obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }
};

class AudioUnitWrapperHost final : public Vst::HostApplication {
public:
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
        if (FUnknownPrivate::iidEqual(iid, Vst::IVst3ToAUWrapper::iid)) {
            *obj = &marker_;
            return kResultOk;
        }
        return HostApplication::queryInterface(iid, obj);
    }

private:
    WrapperMarker marker_;
};

extern "C" char** environ;

// A JACK server of this test program's own: other programs on the shared test
// server open sources of the same name, which would make counting them racy.
class PrivateJackServer {
public:
    PrivateJackServer() : name_(PULVAN_TEST_JACK_SERVER "-vst3") {
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        const char* argv[] = {"jackd", "--no-realtime", "-n", name_.c_str(), "-d", "dummy", "-r", "44100", "-p", "256", nullptr};
        if (posix_spawnp(&pid_, "jackd", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = 0;
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
    }
    ~PrivateJackServer() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool started() const { return pid_ > 0; }

private:
    std::string name_;
    pid_t pid_ = 0;
};

class VirtualPort : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (std::system("command -v jackd >/dev/null 2>&1") == 0) server = new PrivateJackServer();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!server) GTEST_SKIP() << "jackd is not installed";
        ASSERT_TRUE(server->started());
        // The server takes a moment to come up.
        ASSERT_TRUE(waitFor([&] {
            receiver = std::make_unique<MidiReceiver>();
            return receiver->open();
        })) << "the private JACK server did not start";
        bundle = std::make_unique<LoadedBundle>(PULVAN_VST3_BUNDLE_PATH);
        ASSERT_TRUE(bundle->loaded()) << bundle->error();
        host = makeHostContext();
    }
    void TearDown() override { instances.clear(); }
    void addInstance(FUnknown* context = nullptr) {
        IPluginFactory* factory = bundle->factory();
        // The processor alone, on the engine's demo configuration.
        instances.push_back(std::make_unique<PluginInstance>(factory, context ? context : host.get(), EditorSide::absent));
        factory->release();
        ASSERT_TRUE(instances.back()->ready());
    }
    template <typename Predicate>
    bool waitFor(Predicate predicate) {
        for (int i = 0; i < 500 && !predicate(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return predicate();
    }

    static PrivateJackServer* server;
    std::unique_ptr<MidiReceiver> receiver;
    std::unique_ptr<LoadedBundle> bundle;
    std::unique_ptr<Steinberg::Vst::HostApplication> host;
    std::vector<std::unique_ptr<PluginInstance>> instances;
};

PrivateJackServer* VirtualPort::server = nullptr;

TEST_F(VirtualPort, InstancesShareOneSourceThatLastsUntilTheLastIsGone) {
    for (int i = 0; i < 3; ++i) addInstance();
    ASSERT_TRUE(waitFor([&] { return receiver->virtualPorts().size() == 1; }));
    instances.pop_back();
    instances.pop_back();
    EXPECT_EQ(receiver->virtualPorts().size(), 1u);
    instances.pop_back();
    EXPECT_TRUE(waitFor([&] { return receiver->virtualPorts().empty(); }));
}

TEST_F(VirtualPort, NoSourceInsideAnAudioUnitWrapper) {
    AudioUnitWrapperHost wrapper;
    addInstance(&wrapper);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(receiver->virtualPorts().empty());
    EXPECT_FALSE(ofType(instances.back()->play(10, 512), Vst::Event::kNoteOnEvent).empty());
    addInstance();
    EXPECT_TRUE(waitFor([&] { return receiver->virtualPorts().size() == 1; }));
    instances.clear();
}

TEST_F(VirtualPort, CarriesWhatAnInstancePlays) {
    addInstance();
    ASSERT_TRUE(waitFor([&] { return receiver->virtualPorts().size() == 1; }));
    ASSERT_TRUE(receiver->listenTo(receiver->virtualPorts().front()));
    instances.front()->play(60, 512);  // 30720 samples: the first three notes
    std::vector<std::vector<std::uint8_t>> noteOns;
    auto collectNoteOns = [&] {
        noteOns.clear();
        for (const auto& message : receiver->received())
            if (message.size() == 3 && (message[0] & 0xF0) == 0x90) noteOns.push_back(message);
        return noteOns.size() >= 3;
    };
    ASSERT_TRUE(waitFor(collectNoteOns)) << noteOns.size() << " note-ons arrived";
    EXPECT_EQ(noteOns[0], (std::vector<std::uint8_t>{0x90, 48, 110}));
    EXPECT_EQ(noteOns[1], (std::vector<std::uint8_t>{0x90, 60, 90}));
    EXPECT_EQ(noteOns[2], (std::vector<std::uint8_t>{0x90, 63, 90}));
}

}  // namespace
}  // namespace kez::test
