#include "localisation/localize_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "job/job_outcome.h"
#include "job/job_status_text.h"
#include "test_platform.h"
#include "ui/behaviour/dialog_template.h"

namespace trelvo {
namespace {

// Sets the three locale variables for one test and restores them afterwards.
class LocaleEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
#ifdef _WIN32
        GTEST_SKIP() << "Windows takes the language from the system default language "
                        "identifier, not from the process's locale variables";
#endif
        for (int i = 0; i < 3; ++i) {
            const char* value = std::getenv(kNames[i]);
            saved_[i] = value ? std::optional<std::string>(value) : std::nullopt;
        }
        SetLocale("", "", "");
    }
    void TearDown() override {
        for (int i = 0; i < 3; ++i) {
            Set(kNames[i], saved_[i]);
        }
    }
    static void SetLocale(const char* lcAll, const char* lcMessages, const char* lang) {
        Set("LC_ALL", *lcAll ? std::optional<std::string>(lcAll) : std::nullopt);
        Set("LC_MESSAGES", *lcMessages ? std::optional<std::string>(lcMessages) : std::nullopt);
        Set("LANG", *lang ? std::optional<std::string>(lang) : std::nullopt);
    }

private:
    static void Set(const char* name, const std::optional<std::string>& value) {
        SetTestEnvironment(name, value);
    }
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved_[3];
};

TEST(IsGermanLocaleName, LanguagePartDecides) {
    struct Case {
        const char* locale;
        bool german;
    };
    const Case cases[] = {
        {"de", true},       {"de_DE", true},   {"de_CH.UTF-8", true}, {"de_AT@euro", true},
        {"de.UTF-8", true}, {"C", false},      {"POSIX", false},      {"", false},
        {"en_US", false},   {"den_DK", false}, {"fr_CH", false},      {"C.UTF-8", false},
        {"nl_DE", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsGermanLocaleName(c.locale), c.german) << c.locale;
    }
}

TEST(IsGermanLanguageId, PrimaryLanguageDecidesWhateverTheRegion) {
    struct Case {
        std::uint16_t languageId;
        bool german;
    };
    const Case cases[] = {
        {0x0407, true},   // Germany
        {0x0807, true},   // Switzerland
        {0x0C07, true},   // Austria
        {0x1007, true},   // Luxembourg
        {0x1407, true},   // Liechtenstein
        {0x0007, true},   // German without a region
        {0x0409, false},  // English (United States)
        {0x0809, false},  // English (United Kingdom)
        {0x040C, false},  // French
        {0x0413, false},  // Dutch
        {0x0000, false},  // neutral
        {0x0400, false},  // process default: no primary language
        {0x0487, false},  // Kinyarwanda: ends in 7, but not in the low ten bits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsGermanLanguageId(c.languageId), c.german) << std::hex << c.languageId;
    }
}

// Run by ctest with the system's language set from outside the program
// (LC_ALL, which Wine turns into the system default language) and the
// answer expected for it.
TEST(SystemLanguage, IsGermanExactlyOnAGermanSystem) {
    const char* expected = std::getenv("TRELVO_EXPECT_GERMAN");
    if (expected == nullptr) {
        GTEST_SKIP() << "the system language is set by the ctest entries SystemLanguage.*";
    }
    EXPECT_EQ(SystemLanguageIsGerman(), std::string_view(expected) == "1");
    EXPECT_EQ(LocalizeText("Beenden"), std::string_view(expected) == "1" ? "Beenden" : "Exit");
}

TEST_F(LocaleEnvironment, FirstNonEmptyVariableDecides) {
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        bool german;
    };
    const Case cases[] = {
        {"", "", "", false},
        {"", "", "de_DE.UTF-8", true},
        {"", "de_CH.UTF-8", "en_US", true},
        {"en_GB", "de_DE", "de_DE", false},
        {"de_DE", "en_US", "C", true},
        {"", "C", "de_DE", false},
        {"", "", "POSIX", false},
    };
    for (const Case& c : cases) {
        SetLocale(c.lcAll, c.lcMessages, c.lang);
        EXPECT_EQ(SystemLanguageIsGerman(), c.german)
            << c.lcAll << "|" << c.lcMessages << "|" << c.lang;
    }
}

TEST_F(LocaleEnvironment, GermanSystemKeepsEveryText) {
    SetLocale("", "", "de_CH.UTF-8");
    for (const char* text : {"Beenden", "Status:", "Gewählte Datei ist zu groß", "anything"}) {
        EXPECT_EQ(LocalizeText(text), text);
    }
}

TEST_F(LocaleEnvironment, LanguageIsAskedOnEveryCall) {
    SetLocale("", "", "de_DE.UTF-8");
    EXPECT_EQ(LocalizeText("Beenden"), "Beenden");
    SetLocale("", "", "en_US.UTF-8");
    EXPECT_EQ(LocalizeText("Beenden"), "Exit");
    SetLocale("", "", "");
    EXPECT_EQ(LocalizeText("Beenden"), "Exit");
}

TEST(EnglishText, TableRows) {
    struct Case {
        const char* german;
        const char* english;
    };
    const Case cases[] = {
        // Every row the job and the window show.
        {"Gewählte Datei konnte nicht gefunden werden", "File not found"},
        {"Gewählte Datei hat keinen Inhalt", "File has no content"},
        {"Verbindungsaufbau fehlgeschlagen", "Connect failed - address invalid?"},
        {"Verbindungsfehler - COM Port nicht ansprechbar", "ComPort not available"},
        {"Zugang verweigert - ungültiges Passwort", "Access denied - invalid password"},
        {"Fehler bei der Übertragung der Datei!", "Error during file transfer!"},
        {"Aktualisierung erfolgreich beendet", "Update finished successfully"},
        {"Die Aktualisierung konnte nicht durchgeführt werden", "Recorder could NOT be updated"},
        {"Unbekannter Fehler\nAktualisierung konnte nicht durchgeführt werden",
         "Unknown error\nRecorder could NOT be updated"},
        {"Update Dateien(*.sh)|*.sh||", "Update files(*.sh)|*.sh||"},
        {"Prüfe Erfolg", "Checking Success"},
        {"Abbrechen", "Abort"},
        // The irregular rows.
        {"Diese Version des Rekorders ist per Trelvo nicht updatefähig\n"
         "Aktualisierung konnte nicht durchgeführt werden",
         "This recorder version cannot be updated by Trelvo"},
        {"Verbindung zu VDX", "Connection to recorder"},
        {"Verbindung zu VDX:", "Device address:"},
        {"Übertragungsdauer", "Time remaining"},
        {"Übertragungsdauer:", "Transfer time:"},
        {"Status", "Status"},
        {"Start", "Start"},
        {"COM1", "COM1"},
        {"COM2", "COM2"},
        {"Status:", "Status:"},
        // Rows no shown text equals, kept all the same.
        {"Kein Update Code angegeben", "Update code missing"},
        {"Rekorder nicht empfangsbereit", "Recorder not ready to receive"},
        {"Update Code", "Update code"},
        {"Quelldatei", "Source file"},
        {"Übertragung", "Transfer"},
        // Appended after the original rows.
        {"Gewählte Datei ist zu groß", "File is too large"},
        {"Update Code ist zu lang", "Update code is too long"},
        {"Zeitüberschreitung - Rekorder antwortet nicht", "Timeout - recorder does not answer"},
        {"Verbindung zum Rekorder unterbrochen", "Connection to the recorder lost"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EnglishText(c.german), c.english) << c.german;
    }
}

// EnglishText hands back the very text it was asked when no row matches, so
// a row was found exactly when the answer lies outside the asked text.
bool HasRow(std::string_view german) {
    const std::string asked(german);
    return EnglishText(asked).data() != asked.data();
}

TEST(EnglishText, HasRowTellsRowsFromOtherTexts) {
    EXPECT_TRUE(HasRow("Status:"));  // a row that maps a text to itself
    EXPECT_FALSE(HasRow("Es sind nur *.sh Dateien gültig"));
}

// OutcomeName and StateName name every value and return nothing beyond the
// last, so new outcomes and states are taken in without a list here.
TEST(EnglishText, EveryTextTheJobShowsHasARow) {
    for (std::int32_t kind = 0; !OutcomeName(static_cast<Outcome>(kind)).empty(); ++kind) {
        const Outcome outcome = static_cast<Outcome>(kind);
        if (outcome == Outcome::Aborted) {
            continue;  // ends without a message
        }
        const std::string_view message = OutcomeMessage({outcome});
        EXPECT_TRUE(HasRow(message)) << OutcomeName(outcome) << ": " << message;
    }
    for (std::int32_t state = 0; !StateName(static_cast<JobState>(state)).empty(); ++state) {
        const char* text = StatusText(static_cast<JobState>(state));
        EXPECT_TRUE(HasRow(text)) << StateName(static_cast<JobState>(state)) << ": " << text;
    }
    for (std::uint32_t status = 0; status <= 0xFFFF; ++status) {
        const std::string_view message =
            OutcomeMessage({Outcome::RefusedByRecorder, static_cast<std::uint16_t>(status)});
        // One report for the first status without a row, not thousands.
        ASSERT_TRUE(HasRow(message)) << "status " << status << ": " << message;
    }
}

TEST(EnglishText, EveryLabelAndCaptionOfTheWindowHasARow) {
    for (const ControlTemplate& row : kDialogTemplate) {
        if (std::string_view(row.name).starts_with("IDC_LABEL_")) {
            EXPECT_TRUE(HasRow(row.text)) << row.name << ": " << row.text;
        }
    }
    // Buttons, link kinds and the file dialog's title and filter.
    for (const char* caption : {"Start", "Beenden", "Abbrechen", "Netzwerk", "COM1", "COM2",
                                "Updatedatei auswählen", "Update Dateien(*.sh)|*.sh||"}) {
        EXPECT_TRUE(HasRow(caption)) << caption;
    }
}

TEST(EnglishText, MatchingFoldsAsciiCaseOnlyAndNeedsTheWholeText) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"status:", "Status:"},
        {"STATUS:", "Status:"},
        {"bEENDEN", "Exit"},
        {"übertragung:", "übertragung:"},  // the umlaut's case is not folded
        {"ÜBERTRAGUNG:", "Transfer:"},     // only the ASCII letters differ in case
        {"Beenden ", "Beenden "},
        {" Beenden", " Beenden"},
        {"Beende", "Beende"},
        {"Es sind nur *.sh Dateien gültig", "Es sind nur *.sh Dateien gültig"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EnglishText(c.text), c.expected) << c.text;
    }
}

}  // namespace
}  // namespace trelvo
