#include "localisation/localize_text.h"

#include <array>

#include "localisation/translation_table.h"

namespace trelvo {
namespace {

// Row order is search order. Texts are UTF-8; "\n" is a line break.
constexpr std::array<Translation, 54> kTranslationTable{{
    {"Gewählte Datei konnte nicht gefunden werden", "File not found"},
    {"Gewählte Datei hat keinen Inhalt", "File has no content"},
    {"Kein Update Code angegeben", "Update code missing"},
    {"Verbindungsaufbau fehlgeschlagen", "Connect failed - address invalid?"},
    {"Verbindungsfehler - COM Port nicht ansprechbar", "ComPort not available"},
    {"Diese Version des Rekorders ist per Trelvo nicht updatefähig",
     "This recorder version cannot be updated by Trelvo"},
    {"Zugang verweigert - ungültiges Passwort", "Access denied - invalid password"},
    {"Rekorder nicht empfangsbereit", "Recorder not ready to receive"},
    {"Fehler bei der Übertragung der Datei!", "Error during file transfer!"},
    {"Aktualisierung erfolgreich beendet", "Update finished successfully"},
    {"Die übertragene Updatedatei ist beschädigt oder ungültig\n"
     "Aktualisierung konnte nicht durchgeführt werden",
     "Update file is damaged or invalid\nRecorder could NOT be updated"},
    {"Der übertragene Updatecode ist nicht gültig\n"
     "Aktualisierung konnte nicht durchgeführt werden",
     "Update code is invalid\nRecorder could NOT be updated"},
    {"Die Aktualisierung konnte nicht durchgeführt werden", "Recorder could NOT be updated"},
    // The English text stays on one line, unlike its neighbours.
    {"Diese Version des Rekorders ist per Trelvo nicht updatefähig\n"
     "Aktualisierung konnte nicht durchgeführt werden",
     "This recorder version cannot be updated by Trelvo"},
    {"Unbekannter Fehler\nAktualisierung konnte nicht durchgeführt werden",
     "Unknown error\nRecorder could NOT be updated"},
    {"Administrator Passwort:", "Administrator password:"},
    {"Update Code", "Update code"},
    {"Quelldatei", "Source file"},
    {"Verbindung zu VDX", "Connection to recorder"},
    {"Übertragung", "Transfer"},
    {"Status", "Status"},
    {"Übertragungsdauer", "Time remaining"},
    {"Start", "Start"},
    {"Beenden", "Exit"},
    {"Update Dateien(*.sh)|*.sh||", "Update files(*.sh)|*.sh||"},
    {"Netzwerk", "Net"},
    {"COM1", "COM1"},
    {"COM2", "COM2"},
    {"Keine Verbindung", "No connection"},
    {"Verbindungsaufbau", "Connecting"},
    {"Versionsabfrage", "Version request"},
    {"Passwort wird gesendet", "Sending password"},
    {"Datei wird gesendet", "Sending file"},
    {"Prüfe Erfolg", "Checking Success"},
    {"Abbrechen", "Abort"},
    {"Updatedatei auswählen", "Choose update file"},
    {"Update Code:", "Update code:"},
    {"Quelldatei:", "Source file:"},
    {"Verbindung zu VDX:", "Device address:"},
    {"Übertragung:", "Transfer:"},
    {"Status:", "Status:"},
    {"Übertragungsdauer:", "Transfer time:"},
    {"Gewählte Datei ist zu groß", "File is too large"},
    {"Update Code ist zu lang", "Update code is too long"},
    // Only the command line gives up on a silent recorder; the window waits.
    {"Zeitüberschreitung - Rekorder antwortet nicht", "Timeout - recorder does not answer"},
    {"Prüfung bestanden", "Check passed"},
    {"Version bereits installiert", "Version already installed"},
    {"Verbindung zum Rekorder unterbrochen", "Connection to the recorder lost"},
    // Only the command line asks a recorder its version again after an update.
    {"Aktualisierung erfolgreich beendet, neue Version bestätigt",
     "Update finished successfully, new version confirmed"},
    {"Rekorder meldet Erfolg, aber nicht die erwartete Version",
     "The recorder reported success, but not the expected version"},
    // What the window refuses to send: a text the recorders cannot read.
    {"Das Passwort enthält Zeichen, die der Rekorder nicht annimmt",
     "The password holds characters the recorder does not take"},
    {"Der Update Code enthält Zeichen, die der Rekorder nicht annimmt",
     "The update code holds characters the recorder does not take"},
    {"Der Dateiname enthält Zeichen, die der Rekorder nicht annimmt",
     "The file name holds characters the recorder does not take"},
    {"Die Adresse des Rekorders enthält ungültige Zeichen",
     "The recorder's address holds invalid characters"},
}};

constexpr unsigned char FoldAsciiCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAsciiCase(static_cast<unsigned char>(a[i])) !=
            FoldAsciiCase(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string_view LookUpEnglish(std::span<const Translation> table, std::string_view german) {
    for (const Translation& row : table) {
        if (EqualIgnoringAsciiCase(german, row.german)) {
            return row.english;
        }
    }
    return {};
}

std::string_view EnglishText(std::string_view german) {
    const std::string_view english = LookUpEnglish(kTranslationTable, german);
    return english.data() != nullptr ? english : german;
}

bool IsGermanLocaleName(std::string_view locale) {
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    return language == "de";
}

bool IsGermanLanguageId(std::uint16_t languageId) {
    constexpr std::uint16_t kPrimaryLanguageMask = 0x3FF;
    constexpr std::uint16_t kGerman = 0x07;
    return (languageId & kPrimaryLanguageMask) == kGerman;
}

std::string LocalizeText(std::string_view text) {
    return std::string(SystemLanguageIsGerman() ? text : EnglishText(text));
}

}  // namespace trelvo
