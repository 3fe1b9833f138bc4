#pragma once

// The fixture the update job's tests share: a job wired to fakes, running in
// a fresh folder that holds the update file "a.sh".
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "job/update_job.h"
#include "job_fakes.h"
#include "scratch_session.h"

namespace trelvo::testing {

namespace fs = std::filesystem;

inline constexpr const char* kSuccess = "Aktualisierung erfolgreich beendet";
inline constexpr const char* kConnectFailed = "Verbindungsaufbau fehlgeschlagen";
inline constexpr const char* kVersionRefused =
    "Diese Version des Rekorders ist per Trelvo nicht updatefähig";
inline constexpr const char* kAccessDenied = "Zugang verweigert - ungültiges Passwort";
inline constexpr const char* kTransferFailed = "Fehler bei der Übertragung der Datei!";
inline constexpr const char* kConnectionLost = "Verbindung zum Rekorder unterbrochen";
inline constexpr std::uint32_t kFileSize = 100;

inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// Runs every test in a fresh folder holding the update file "a.sh", with a
// German message language unless a test says otherwise.
class UpdateJobTest : public ::testing::Test {
protected:
    UpdateJobTest()
        : net(log), serial(log), messages(log), owner(log), job(net, serial, clock, messages) {
        job.SetOwner(owner);
    }

    void SetUp() override { WriteFile("a.sh", kFileSize); }

    void WriteFile(const std::string& name, std::size_t size) {
        session_.dir().Write(name, std::string(size, 'x'));
    }
    void WriteFile(const std::string& name, const std::string& content) {
        session_.dir().Write(name, content);
    }

    bool StartNetwork(const std::string& password = "secret", const std::string& code = "CODE") {
        return job.StartNetwork("a.sh", password, code, "recorder", UPDATE_PORT);
    }

    // A network job brought to `target` by the replies a good recorder gives.
    void NetworkJobIn(JobState target) {
        ASSERT_TRUE(StartNetwork());
        net.events_->OnConnect(0);
        const Bytes goodReplies[] = {VersionReply("2.0.60"), Reply(STATUS_OK, ACCESS_ADMIN),
                                     Reply(STATUS_OK)};
        for (const Bytes& reply : goodReplies) {
            if (job.state() == target) {
                return;
            }
            net.Arrive(reply);
        }
        ASSERT_EQ(job.state(), target);
    }

    // What happened since the last call.
    EventLog Events() {
        EventLog recent(log.begin() + static_cast<std::ptrdiff_t>(seen_), log.end());
        seen_ = log.size();
        return recent;
    }

    EventLog log;
    FakeNetLink net;
    FakeSerialLink serial;
    FakeClock clock;
    FakeMessageBox messages;
    FakeOwner owner;
    UpdateJob job;

private:
    ScratchSession session_;
    std::size_t seen_ = 0;
};

}  // namespace trelvo::testing
