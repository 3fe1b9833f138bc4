// The fleet window's behaviour behind a fake view: the engine on fake links,
// each recorder answered by the test.
#include "ui/fleet/fleet_behaviour.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <memory>

#include "fake_clock.h"
#include "fake_event_loop.h"
#include "fake_fleet_view.h"
#include "fleet/report_file.h"
#include "job/job_status_text.h"
#include "job_fakes.h"
#include "localisation/fleet_text.h"
#include "scratch_dir.h"
#include "test_platform.h"
#include "ui/fleet/fleet_export.h"

namespace trelvo::testing {
namespace {

std::string Shown(std::string_view german, const std::vector<std::string>& values = {}) {
    std::string text = LocalizeFleetText(german);
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::string mark = "%";
        mark += std::to_string(i + 1);
        text.replace(text.find(mark), mark.size(), values[i]);
    }
    return text;
}

class FleetWindowRig {
public:
    FleetWindowRig() {
        behaviour.OnInit(scratch.Write("hosts", "10.0.0.9 lager\n"));
        view.texts[FleetControl::Password] = "admin";
        view.texts[FleetControl::Code] = "UPD-42";
    }

    void Add(const std::string& lines) {
        view.added.emplace_back(AddedRecorders{lines, false});
        behaviour.OnAdd();
    }
    void ChooseFile(const std::string& content = std::string(3000, 'u')) {
        view.files.emplace_back(scratch.Write("site-2.0.61.sh", content));
        behaviour.OnBrowse();
        ASSERT_TRUE(loop.WaitForPost());
        loop.RunTurn();
    }
    // The recorders added and all updated, the question answered yes.
    void StartUpdating(const std::string& lines) {
        Add(lines);
        ChooseFile();
        behaviour.OnCheckAll();
        view.answers.emplace_back(true);
        behaviour.OnStart();
    }
    // Every recorder's link, by the name the job connects to.
    FakeNetLink& Link(const std::string& host) { return *links.at(host); }
    // A recorder of 2.0.60 that takes the update, from its connect on.
    void Update(const std::string& host, std::uint16_t result = STATUS_OK) {
        FakeNetLink& link = Link(host);
        link.events_->OnConnect(0);
        link.Arrive(VersionReply("2.0.60"));
        link.Arrive(Reply(STATUS_OK, ACCESS_ADMIN));
        for (int i = 0; i < 3; ++i) {
            Tick();
        }
        link.Arrive(Reply(STATUS_OK));
        link.Arrive(Reply(result));
        loop.RunPosted();
    }
    void Tick() {
        clock.now += TICK_PERIOD_MS;
        loop.Tick();
        loop.RunPosted();
    }
    std::vector<std::string> Column(FleetColumn column) const {
        std::vector<std::string> cells;
        cells.reserve(static_cast<std::size_t>(behaviour.RowCount()));
        for (int row = 0; row < behaviour.RowCount(); ++row) {
            cells.push_back(behaviour.Cell(row, column));
        }
        return cells;
    }
    int RowOf(const std::string& recorder) const {
        const std::vector<std::string> names = Column(FleetColumn::Recorder);
        return static_cast<int>(std::find(names.begin(), names.end(), recorder) - names.begin());
    }

    ScratchDir scratch;
    FakeFleetView view;
    MemorySettings settings;
    FakeEventLoop loop;
    FakeClock clock;
    EventLog log;
    std::map<std::string, FakeNetLink*> links;
    FleetBehaviour behaviour{
        view, settings, loop, clock, [this](const RecorderTarget& target) {
            auto net = std::make_unique<FakeNetLink>(log);
            links[target.name] = net.get();
            return RecorderLinks{std::move(net), std::make_unique<FakeSerialLink>(log)};
        }};
};

TEST(FleetBehaviour, AddedLinesMergeDuplicatesAndNameTheLinesTheyRefuse) {
    FleetWindowRig rig;
    rig.Add(
        "192.168.1.20 Büro-Rek\n# a comment\n\nbüro-rek\nBÜRO-REK\n192.168.1.20\n"
        "lager\n10.0.0.1 two words\nbad\ttab name\n");
    // Only ASCII letters fold: ü and Ü are two names, as for the resolver.
    // As in a hosts file, what follows a line's name is ignored.
    EXPECT_EQ(rig.Column(FleetColumn::Recorder),
              (std::vector<std::string>{"Büro-Rek", "BÜRO-REK", "lager", "two"}));
    EXPECT_EQ(rig.Column(FleetColumn::Address),
              (std::vector<std::string>{"192.168.1.20", "", "", "10.0.0.1"}));
    EXPECT_EQ(rig.view.messages,
              std::vector<std::string>{Shown(
                  "Zeile %1: %2",
                  {"9", LocalizeText("Die Adresse des Rekorders enthält ungültige Zeichen")})});
}

TEST(FleetBehaviour, AHostsFileGivesItsNamesWithTheAddressesItNames) {
    FleetWindowRig rig;
    rig.view.files.emplace_back(
        rig.scratch.Write("lmhosts", "10.0.0.5 buero\n# 10.0.0.6 gone\nname-only lager\n"));
    rig.behaviour.OnHostsFile();
    ASSERT_EQ(rig.view.fileDialogs.size(), 1u);
    // It opens where the system's hosts file lies.
    EXPECT_EQ(rig.view.fileDialogs[0].folder,
              std::filesystem::path(rig.scratch.PathOf("hosts")).parent_path().string());
    EXPECT_EQ(rig.Column(FleetColumn::Recorder), (std::vector<std::string>{"buero", "lager"}));
    EXPECT_EQ(rig.Column(FleetColumn::Address), (std::vector<std::string>{"10.0.0.5", ""}));
}

TEST(FleetBehaviour, StartAsksFirstAndRunsAtMostTheChosenNumberAtOnce) {
    FleetWindowRig rig;
    rig.Add("a\nb\nc\nd");
    rig.ChooseFile();
    rig.view.texts[FleetControl::Parallel] = "2";
    rig.behaviour.OnCheckAll();
    rig.view.answers.emplace_back(false);
    rig.behaviour.OnStart();
    ASSERT_EQ(rig.view.questions.size(), 1u);
    EXPECT_EQ(rig.view.questions[0],
              Shown("%1 Rekorder mit %2 aktualisieren?", {"4", "site-2.0.61.sh"}));
    EXPECT_FALSE(rig.behaviour.Running());

    rig.view.answers.emplace_back(true);
    rig.behaviour.OnStart();
    ASSERT_TRUE(rig.behaviour.Running());
    EXPECT_EQ(rig.links.size(), 2u);
    EXPECT_FALSE(rig.view.IsEnabled(FleetControl::Add));
    EXPECT_TRUE(rig.view.IsEnabled(FleetControl::Abort));

    rig.Update("a");
    EXPECT_EQ(rig.links.size(), 3u);
    EXPECT_EQ(rig.behaviour.Cell(0, FleetColumn::Result),
              LocalizeText("Aktualisierung erfolgreich beendet"));
    EXPECT_EQ(rig.behaviour.Cell(0, FleetColumn::Version), "2.0.60");
    EXPECT_EQ(rig.behaviour.Cell(3, FleetColumn::Stage), Shown("Wartet"));
    EXPECT_EQ(rig.view.texts[FleetControl::Summary],
              Shown("%1 aktualisiert, %2 übersprungen, %3 fehlgeschlagen, %4 abgebrochen, %5 "
                    "laufen",
                    {"1", "0", "0", "0", "3"}));
}

TEST(FleetBehaviour, ProgressAndStageFollowTheTransfer) {
    FleetWindowRig rig;
    rig.Add("a");
    rig.ChooseFile(std::string(200000, 'u'));
    rig.behaviour.OnCheckAll();
    rig.view.answers.emplace_back(true);
    rig.behaviour.OnStart();
    FakeNetLink& link = rig.Link("a");
    link.events_->OnConnect(0);
    link.Arrive(VersionReply("2.0.60"));
    link.Arrive(Reply(STATUS_OK, ACCESS_ADMIN));
    rig.view.changed.clear();
    rig.Tick();
    rig.Tick();
    EXPECT_EQ(rig.behaviour.Cell(0, FleetColumn::Stage), ShownStatusText(JobState::Transfer));
    const int percent = rig.behaviour.Percent(0);
    EXPECT_GT(percent, 0);
    EXPECT_LT(percent, 100);
    EXPECT_EQ(rig.behaviour.Cell(0, FleetColumn::Progress), std::to_string(percent) + " %");
    EXPECT_FALSE(rig.view.changed.empty());
}

struct AbortCase {
    const char* what;
    bool wholeRun;  // the Abort button, else the row's own command
    std::vector<std::string> stages;
};

TEST(FleetBehaviour, AbortEndsTheRunningJobsAndTheWaitingOnesAsAborted) {
    const std::string aborted = Shown("Abgebrochen");
    for (const AbortCase& c : std::vector<AbortCase>{
             {"all", true, {aborted, aborted, aborted}},
             {"one", false, {aborted, ShownStatusText(JobState::Connecting), Shown("Wartet")}}}) {
        FleetWindowRig rig;
        rig.Add("a\nb\nc");
        rig.ChooseFile();
        rig.view.texts[FleetControl::Parallel] = "1";
        rig.behaviour.OnCheckAll();
        rig.view.answers.emplace_back(true);
        rig.behaviour.OnStart();
        rig.Tick();
        if (c.wholeRun) {
            rig.behaviour.OnAbort();
        } else {
            EXPECT_TRUE(rig.behaviour.RowCommandEnabled(0, RowCommand::Abort)) << c.what;
            EXPECT_FALSE(rig.behaviour.RowCommandEnabled(0, RowCommand::Remove)) << c.what;
            rig.behaviour.OnRowCommand(0, RowCommand::Abort);
        }
        rig.loop.RunPosted();
        rig.Tick();
        EXPECT_EQ(rig.Column(FleetColumn::Stage), c.stages) << c.what;
        EXPECT_EQ(rig.behaviour.Running(), !c.wholeRun) << c.what;
    }
}

TEST(FleetBehaviour, ClosingDuringARunAsksThenAbortsEveryJobAndClosesOnceAllEnded) {
    FleetWindowRig rig;
    rig.StartUpdating("a\nb");

    rig.view.answers.emplace_back(false);
    EXPECT_FALSE(rig.behaviour.OnClose());
    EXPECT_TRUE(rig.behaviour.Running());

    rig.view.answers.emplace_back(true);
    EXPECT_FALSE(rig.behaviour.OnClose());
    EXPECT_FALSE(rig.view.closed);
    rig.loop.RunPosted();
    EXPECT_TRUE(rig.view.closed);
    EXPECT_EQ(rig.Column(FleetColumn::Stage), (std::vector<std::string>(2, Shown("Abgebrochen"))));
    // The list stays exportable until the window is gone.
    EXPECT_NE(ReportText(rig.behaviour.rows()).find("\"outcome\":\"aborted\""), std::string::npos);
    EXPECT_TRUE(rig.behaviour.OnClose());
}

TEST(FleetBehaviour, RetryFailedChecksExactlyTheFailedRows) {
    FleetWindowRig rig;
    rig.StartUpdating("a\nb\nc");
    rig.Update("a");
    rig.Link("b").events_->OnConnect(111);
    rig.loop.RunPosted();
    rig.Update("c", 3);  // the recorder refuses the update
    ASSERT_FALSE(rig.behaviour.Running());

    rig.links.clear();
    rig.view.answers.emplace_back(true);
    rig.behaviour.OnRetryFailed();
    EXPECT_EQ(rig.links.size(), 2u);
    EXPECT_TRUE(rig.links.contains("b") && rig.links.contains("c"));
    EXPECT_FALSE(rig.behaviour.Checked(rig.RowOf("a")));
}

TEST(FleetBehaviour, FilterAndSortWorkDuringARunAndRunningRowsKeepTheirPlaces) {
    FleetWindowRig rig;
    rig.StartUpdating("a\nb\nc");
    rig.behaviour.OnSort(static_cast<int>(FleetColumn::Recorder));
    rig.behaviour.OnSort(static_cast<int>(FleetColumn::Recorder));
    EXPECT_EQ(rig.view.sortColumn, 0);
    EXPECT_FALSE(rig.view.sortAscending);
    EXPECT_EQ(rig.Column(FleetColumn::Recorder), (std::vector<std::string>{"c", "b", "a"}));

    rig.view.filter = static_cast<int>(FleetFilter::Failed);
    rig.behaviour.OnFilterChange();
    EXPECT_EQ(rig.behaviour.RowCount(), 0);
    rig.Link("b").events_->OnConnect(111);
    rig.loop.RunPosted();
    EXPECT_EQ(rig.Column(FleetColumn::Recorder), std::vector<std::string>{"b"});

    rig.view.filter = static_cast<int>(FleetFilter::NotUpdated);
    rig.behaviour.OnFilterChange();
    rig.Update("c");
    // c leaves the list, the others stay where they were.
    EXPECT_EQ(rig.Column(FleetColumn::Recorder), (std::vector<std::string>{"b", "a"}));
}

TEST(FleetBehaviour, ProbeShowsVersionsAndCheckNeededTakesTheAcceptedOnesNotOnTheSkipVersion) {
    FleetWindowRig rig;
    rig.Add("old\nnew\nrefused\nsilent");
    rig.behaviour.OnCheckAll();
    rig.view.texts[FleetControl::Skip] = "2.0.61";
    rig.behaviour.OnProbe();
    const auto answer = [&](const std::string& host, const std::string& version) {
        rig.Link(host).events_->OnConnect(0);
        rig.Link(host).Arrive(VersionReply(version));
        rig.Link(host).Arrive(Reply(STATUS_OK, ACCESS_ADMIN));
        rig.loop.RunPosted();
    };
    answer("old", "2.0.60");
    answer("new", "2.0.61");
    answer("refused", "1.0.0");
    rig.Link("silent").events_->OnConnect(111);
    rig.loop.RunPosted();
    EXPECT_EQ(rig.Column(FleetColumn::Version),
              (std::vector<std::string>{"2.0.60", "2.0.61", "1.0.0", ""}));
    EXPECT_EQ(rig.behaviour.Cell(0, FleetColumn::Accepted), Shown("ja"));
    EXPECT_EQ(rig.behaviour.Cell(2, FleetColumn::Accepted), Shown("nein"));
    EXPECT_EQ(rig.behaviour.Cell(0, FleetColumn::Result), LocalizeText("Prüfung bestanden"));

    rig.behaviour.OnCheckNeeded();
    EXPECT_EQ((std::vector<bool>{rig.behaviour.Checked(0), rig.behaviour.Checked(1),
                                 rig.behaviour.Checked(2), rig.behaviour.Checked(3)}),
              (std::vector<bool>{true, false, false, false}));
}

TEST(FleetBehaviour, DiscoveryAddsTheAddressesWhereARecorderAnsweredAndCountsTheAsked) {
    FleetWindowRig rig;
    rig.view.texts[FleetControl::Range] = "10.0.0.1-10.0.0.3";
    rig.behaviour.OnDiscover();
    ASSERT_TRUE(rig.behaviour.Running());
    EXPECT_EQ(rig.view.texts[FleetControl::Summary],
              Shown("%1 von %2 Adressen gefragt, %3 Rekorder gefunden", {"0", "3", "0"}));
    rig.Link("10.0.0.2").events_->OnConnect(0);
    rig.Link("10.0.0.2").Arrive(VersionReply("2.0.60"));
    rig.loop.RunPosted();
    rig.Link("10.0.0.1").events_->OnConnect(111);
    rig.loop.RunPosted();
    EXPECT_EQ(rig.Column(FleetColumn::Address), std::vector<std::string>{"10.0.0.2"});
    EXPECT_EQ(rig.view.texts[FleetControl::Summary],
              Shown("%1 von %2 Adressen gefragt, %3 Rekorder gefunden", {"2", "3", "1"}));
    rig.behaviour.OnAbort();
    rig.loop.RunPosted();
    EXPECT_FALSE(rig.behaviour.Running());
    EXPECT_EQ(rig.Column(FleetColumn::Version), std::vector<std::string>{"2.0.60"});

    rig.view.texts[FleetControl::Range] = "10.0.0.0/8";
    rig.behaviour.OnDiscover();
    EXPECT_FALSE(rig.behaviour.Running());
    EXPECT_EQ(rig.view.messages.size(), 1u);
}

TEST(FleetBehaviour, OptionsOutsideTheirLimitsAreRefusedBeforeAnyRecorderIsAsked) {
    for (const auto& [control, text] :
         std::vector<std::pair<FleetControl, std::string>>{{FleetControl::Parallel, "0"},
                                                           {FleetControl::Timeout, "30s"},
                                                           {FleetControl::Retries, "101"},
                                                           {FleetControl::Skip, "2.0\t61"},
                                                           {FleetControl::Password, "pass\x01"}}) {
        FleetWindowRig rig;
        rig.Add("a");
        rig.behaviour.OnCheckAll();
        rig.view.texts[control] = text;
        rig.behaviour.OnProbe();
        EXPECT_FALSE(rig.behaviour.Running()) << text;
        EXPECT_TRUE(rig.links.empty()) << text;
        EXPECT_EQ(rig.view.messages.size(), 1u) << text;
    }
}

TEST(FleetBehaviour, TheExportedReportFeedsRetryFailedAndComesBackWithItsResults) {
    FleetWindowRig rig;
    rig.StartUpdating("192.168.1.20 Büro\nb");
    rig.Update("192.168.1.20");
    rig.Link("b").events_->OnConnect(111);
    rig.loop.RunPosted();

    const std::string report = rig.scratch.PathOf("fleet.jsonl");
    rig.view.files.emplace_back(report);
    rig.behaviour.OnExport();
    std::vector<RecorderTarget> targets;
    std::string problem;
    const std::string& sha256 = rig.behaviour.rows().all()[0].resultFacts.sha256;
    ASSERT_EQ(sha256.size(), 64u);
    ASSERT_TRUE(ReadRetryTargets(report, sha256, targets, problem)) << problem;
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].name, "b");

    FleetWindowRig reader;
    reader.view.added.emplace_back(AddedRecorders{{}, true});
    reader.view.files.emplace_back(report);
    reader.behaviour.OnAdd();
    EXPECT_EQ(reader.Column(FleetColumn::Recorder), rig.Column(FleetColumn::Recorder));
    EXPECT_EQ(reader.Column(FleetColumn::Address), rig.Column(FleetColumn::Address));
    EXPECT_EQ(reader.Column(FleetColumn::Result), rig.Column(FleetColumn::Result));
    EXPECT_EQ(reader.Column(FleetColumn::Version), rig.Column(FleetColumn::Version));
    reader.view.filter = static_cast<int>(FleetFilter::Failed);
    reader.behaviour.OnFilterChange();
    EXPECT_EQ(reader.Column(FleetColumn::Recorder), std::vector<std::string>{"b"});
}

TEST(FleetBehaviour, TheCsvExportCarriesAByteOrderMarkAndDefusesFormulas) {
    FleetRows rows;
    const int id = rows.Add("=cmd", "10.0.0.1");
    rows.Find(id)->version = "+1,\"2\"";
    const std::string csv = CsvText(rows);
    EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(csv.find("\r\n'=cmd,10.0.0.1,\"'+1,\"\"2\"\"\",,,,,,\r\n"), std::string::npos) << csv;
}

TEST(FleetBehaviour, RemembersOptionsAndRecordersButNeverThePasswordOrTheCode) {
    MemorySettings kept;
    {
        FleetWindowRig rig;
        rig.Add("192.168.1.20 Büro\nlager");
        rig.view.texts[FleetControl::Parallel] = "7";
        EXPECT_TRUE(rig.behaviour.OnClose());
        kept = rig.settings;
    }
    for (const auto& [key, value] : kept.values) {
        EXPECT_EQ(value.find("admin"), std::string::npos) << key;
        EXPECT_EQ(value.find("UPD-42"), std::string::npos) << key;
    }
    FleetWindowRig again;
    again.settings = kept;
    again.behaviour.OnInit("");
    EXPECT_EQ(again.view.texts[FleetControl::Parallel], "7");
    EXPECT_EQ(again.Column(FleetColumn::Recorder), (std::vector<std::string>{"Büro", "lager"}));
}

TEST(FleetBehaviour, AReportOfTheCommandLineFillsTheListWithItsResults) {
    ScratchDir dir;
    const std::string path = dir.PathOf("cli.jsonl");
    const RunFacts facts{JobGoal::Update, std::string(64, 'a')};
    {
        ReportFile report(path, facts);
        ASSERT_TRUE(report.Open());
        RecorderResult updated;
        updated.outcome = {Outcome::Succeeded};
        updated.version = "2.0.60";
        RecorderResult refused;
        refused.outcome = {Outcome::AccessDenied};
        report.Finished({0, "10.0.0.1", false}, updated);
        report.Finished({1, "lager", false}, refused);
        report.Ended();
        ASSERT_TRUE(report.problem().empty());
    }
    FleetWindowRig rig;
    rig.view.added.emplace_back(AddedRecorders{{}, true});
    rig.view.files.emplace_back(path);
    rig.behaviour.OnAdd();
    EXPECT_EQ(rig.Column(FleetColumn::Address), (std::vector<std::string>{"10.0.0.1", ""}));
    EXPECT_EQ(rig.Column(FleetColumn::Result),
              (std::vector<std::string>{LocalizeText("Aktualisierung erfolgreich beendet"),
                                        LocalizeText("Zugang verweigert - ungültiges Passwort")}));
    EXPECT_EQ(rig.Column(FleetColumn::Stage),
              (std::vector<std::string>{Shown("Aktualisiert"), Shown("Fehlgeschlagen")}));

    rig.view.files.emplace_back(dir.Write("broken.jsonl", "{\"host\":1}\n"));
    rig.view.added.emplace_back(AddedRecorders{{}, true});
    rig.behaviour.OnAdd();
    EXPECT_EQ(rig.view.messages.size(), 1u);
    EXPECT_EQ(rig.behaviour.RowCount(), 2);
}

// Scripts and people reach every command by its letter: within the window
// no two share one, in either language.
TEST(FleetBehaviour, EveryMnemonicIsDistinctInBothLanguages) {
    for (const char* language : {"de_DE.UTF-8", "C"}) {
        // Switches the language on Linux; Windows asks its system's.
        SetTestEnvironment("LC_ALL", language);
        FleetWindowRig rig;
        std::map<char, std::string> taken;
        for (const auto& [control, text] : rig.view.texts) {
            const std::size_t mark = text.find('&');
            if (mark == std::string::npos || mark + 1 >= text.size()) {
                continue;
            }
            const char letter = static_cast<char>(std::tolower(text[mark + 1]));
            EXPECT_FALSE(taken.contains(letter))
                << language << ": " << text << " and " << taken[letter];
            taken[letter] = text;
        }
        EXPECT_GE(taken.size(), 20u) << language;
    }
    SetTestEnvironment("LC_ALL", std::nullopt);
}

}  // namespace
}  // namespace trelvo::testing
