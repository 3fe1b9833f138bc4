// What the window shows and lists, as its behaviour sets it behind any
// toolkit: labels, captions and status texts in the system's language, the
// link-kind and address lists, and the file the browse button takes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "localisation/localize_text.h"
#include "scratch_session.h"
#include "window_rig.h"

namespace trelvo::testing {
namespace {

using Texts = std::vector<std::string>;

constexpr ControlId kLabelIds[] = {IDC_LABEL_PASSWORD, IDC_LABEL_CODE,     IDC_LABEL_FILE,
                                   IDC_LABEL_ADDRESS,  IDC_LABEL_PROGRESS, IDC_LABEL_STATUS,
                                   IDC_LABEL_TIME};

struct LanguageCase {
    const char* locale;
    bool german;
    Texts labels;
    Texts captions;  // Start, Exit, Exit while a job runs
    Texts linkKinds;
    const char* status;
    const char* fileDialog;
    const char* jobMessage;
};

void ExpectEveryTextIn(const LanguageCase& c) {
    const ScratchSession session(c.locale);
    if (SystemLanguageIsGerman() != c.german) {
        GTEST_SKIP() << "Windows takes the language from the system, not from the process's "
                        "locale variables: a ctest entry of its own runs this language";
    }
    WindowRig w;
    Texts labels;
    for (const ControlId id : kLabelIds) {
        labels.push_back(w.view[id].text);
    }
    EXPECT_EQ(labels, c.labels);
    EXPECT_EQ(w.view[IDC_LINK_KIND].list, c.linkKinds);
    Texts captions{w.view[IDC_START].text, w.view[IDC_EXIT].text};
    session.dir().Write("a.sh", "x");
    w.FillIn();
    w.behaviour.OnStart();
    captions.push_back(w.view[IDC_EXIT].text);
    EXPECT_EQ(captions, c.captions);
    w.behaviour.OnExit();
    // The job's messages pass through the same table.
    w.view[IDC_SOURCE_FILE].text = "missing.sh";
    w.behaviour.OnStart();
    EXPECT_EQ(w.view.messages, Texts{c.jobMessage});

    w.behaviour.OnTimer();
    EXPECT_EQ(w.view[IDC_STATUS].text, c.status);
    EXPECT_EQ(w.view[IDC_TIME].text, "--:--:--");

    // The extension message has no English row: German everywhere.
    w.view.chosenFile = ChosenFile{"readme.txt", "/x"};
    w.view.messages.clear();
    w.behaviour.OnBrowse();
    EXPECT_EQ(w.view.fileDialogs, Texts{c.fileDialog});
    EXPECT_EQ(w.view.messages, Texts{"Es sind nur *.sh Dateien gültig"});
}

TEST(DialogTextsTest, EveryTextInGerman) {
    ExpectEveryTextIn({"de_CH.UTF-8",
                       true,
                       {"Administrator Passwort:", "Update Code:", "Quelldatei:",
                        "Verbindung zu VDX:", "Übertragung:", "Status:", "Übertragungsdauer:"},
                       {"Start", "Beenden", "Abbrechen"},
                       {"Netzwerk", "COM1", "COM2"},
                       "Keine Verbindung",
                       "Updatedatei auswählen|Update Dateien(*.sh)|*.sh||",
                       "Gewählte Datei konnte nicht gefunden werden"});
}

TEST(DialogTextsTest, EveryTextInEnglish) {
    ExpectEveryTextIn({"en_GB.UTF-8",
                       false,
                       {"Administrator password:", "Update code:", "Source file:",
                        "Device address:", "Transfer:", "Status:", "Transfer time:"},
                       {"Start", "Exit", "Abort"},
                       {"Net", "COM1", "COM2"},
                       "No connection",
                       "Choose update file|Update files(*.sh)|*.sh||",
                       "File not found"});
}

TEST(DialogTextsTest, SetUpListsTheHostsFilesNamesWithTheFirstSelected) {
    struct Case {
        const char* name;
        std::optional<std::string> hostsFile;
        Texts names;
    };
    const Case cases[] = {
        {"several",
         "10.0.0.1 alpha\n# 10.0.0.9 hidden\n10.0.0.2\tbeta #PRE\n10.0.0.3 \"gamma one\"\n",
         {"alpha", "beta", "gamma one"}},
        {"in Windows-1252, shown as text", "10.0.0.1 B\xfcro-Rek\n", {"B\u00fcro-Rek"}},
        {"without names", "# nothing\n", {}},
        {"missing", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScratchSession session;
        if (c.hostsFile) {
            session.dir().Write("lmhosts", *c.hostsFile);
        }
        WindowRig w(session.dir().PathOf("lmhosts"));
        EXPECT_EQ(w.view[IDC_ADDRESS].list, c.names);
        EXPECT_EQ(w.view[IDC_ADDRESS].text, c.names.empty() ? "" : c.names.front());
        EXPECT_EQ(w.view.Selected(IDC_LINK_KIND), 0);
        EXPECT_FALSE(w.view.Enabled(IDC_SOURCE_FILE));
        EXPECT_TRUE(w.view.InputsEnabled());
        EXPECT_TRUE(w.view.messages.empty());
        // Set-up leaves the focus to the window: the first tab stop.
        EXPECT_EQ(w.view.focus, IDC_PASSWORD);
    }
}

TEST(DialogTextsTest, BrowseTakesOnlyShFilesAndTheirBareName) {
    struct Case {
        const char* chosen;  // null: the operator cancels
        const char* field;
        const char* refused;
    };
    const char* const notSh = "Es sind nur *.sh Dateien gültig";
    // The recorder is told the name, so it must keep the rule for operator texts.
    const char* const unreadable = "Der Dateiname enthält Zeichen, die der Rekorder nicht annimmt";
    const Case cases[] = {
        {nullptr, "old.sh", nullptr},
        {"new.sh", "new.sh", nullptr},
        {"NEW.SH", "NEW.SH", nullptr},
        {"n.Sh", "n.Sh", nullptr},
        {"n.tar.sh", "n.tar.sh", nullptr},
        {".sh", ".sh", nullptr},
        {"B\u00f6se Datei.sh", "B\u00f6se Datei.sh", nullptr},
        {"n.txt", "old.sh", notSh},
        {"n.sh.bak", "old.sh", notSh},
        {"sh", "old.sh", notSh},
        {"n.", "old.sh", notSh},
        {"\u4e2d.sh", "old.sh", unreadable},
        {"a\tb.sh", "old.sh", unreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen ? c.chosen : "cancelled");
        const ScratchSession session;
        WindowRig w;
        w.view[IDC_SOURCE_FILE].text = "old.sh";
        if (c.chosen) {
            w.view.chosenFile = ChosenFile{c.chosen, "/updates/sub"};
        }
        w.behaviour.OnBrowse();
        EXPECT_EQ(w.view[IDC_SOURCE_FILE].text, c.field);
        EXPECT_EQ(w.view.messages, c.refused ? Texts{c.refused} : Texts{});
        const bool taken = c.chosen && !c.refused;
        EXPECT_EQ(w.Logged("current folder /updates/sub"), taken);
    }
}

// The box is hidden, but its handlers work as written.
TEST(DialogTextsTest, LinkKindBoxSwitchesTheAddressList) {
    const ScratchSession session;
    session.dir().Write("lmhosts", "1.2.3.4 alpha\n1.2.3.5 beta\n");
    WindowRig w(session.dir().PathOf("lmhosts"));
    const Texts rates{"4800", "7200", "9600", "14400", "19200", "38400", "57600", "115200"};

    w.view[IDC_LINK_KIND].selected = 1;
    w.behaviour.OnLinkKindChange();
    EXPECT_EQ(w.view[IDC_ADDRESS].list, rates);
    EXPECT_EQ(w.view[IDC_ADDRESS].text, "115200");
    // Typing snaps back to the last rate; a rate picked from the list stays.
    w.view[IDC_ADDRESS].text = "12";
    w.behaviour.OnAddressEdit();
    EXPECT_EQ(w.view[IDC_ADDRESS].text, "115200");
    w.view.Select(IDC_ADDRESS, 2);
    EXPECT_EQ(w.view[IDC_ADDRESS].text, "9600");

    w.view[IDC_LINK_KIND].selected = 0;
    w.behaviour.OnLinkKindChange();
    EXPECT_EQ(w.view[IDC_ADDRESS].list, (Texts{"alpha", "beta"}));
    EXPECT_EQ(w.view[IDC_ADDRESS].text, "");
    EXPECT_EQ(w.view.Selected(IDC_ADDRESS), -1);
    // Typing on the network stays as typed.
    w.view[IDC_ADDRESS].text = "10.1.1.1";
    w.behaviour.OnAddressEdit();
    EXPECT_EQ(w.view[IDC_ADDRESS].text, "10.1.1.1");
}

}  // namespace
}  // namespace trelvo::testing
