#include "localisation/fleet_text.h"

#include <array>

#include "localisation/localize_text.h"
#include "localisation/translation_table.h"

namespace trelvo {
namespace {

// '&' marks a mnemonic, distinct within the window in each language; %1,
// %2 ... are filled in after the text is localised.
constexpr auto kFleetTable = std::to_array<Translation>({
    {"Administrator &Passwort:", "Administrator &password:"},
    {"&Update Code:", "&Update code:"},
    {"Update&datei:", "Update &file:"},
    {"&Gleichzeitig:", "At &once:"},
    {"&Zeitlimit (s):", "Ti&me-out (s):"},
    {"&Wiederholungen:", "&Retries:"},
    {"Version &überspringen:", "S&kip version:"},
    {"Erwartete &Version:", "Expected &version:"},
    {"&Hinzufügen…", "&Add…"},
    {"H&osts-Datei…", "&Hosts file…"},
    {"&Bereich:", "Ran&ge:"},
    {"Su&chen", "&Discover"},
    {"&Filter:", "F&ilter:"},
    {"&Rekorder:", "Re&corders:"},
    {"A&lle", "Check a&ll"},
    {"&Keine", "Check &none"},
    {"Update &nötig", "Check n&eeded"},
    {"Prüf&en", "Pro&be"},
    {"&Start", "&Start"},
    {"&Abbrechen", "Abor&t"},
    {"Fehlgeschlagene w&iederholen", "Retr&y failed"},
    {"E&xportieren…", "E&xport…"},
    {"Alle", "All"},
    {"Fehlgeschlagen", "Failed"},
    {"Nicht aktualisiert", "Not updated"},
    {"Aktualisiert", "Updated"},
    {"Rekorder", "Recorder"},
    {"Adresse", "Address"},
    {"Zugelassen", "Accepted"},
    {"Stufe", "Stage"},
    {"Fortschritt", "Progress"},
    {"Restzeit", "Time remaining"},
    {"Versuche", "Attempts"},
    {"Ergebnis", "Result"},
    {"ja", "yes"},
    {"nein", "no"},
    {"Wartet", "Waiting"},
    {"Übersprungen", "Skipped"},
    {"Wartet auf Neustart", "Waiting for restart"},
    {"Geprüft", "Verified"},
    {"Abgebrochen", "Aborted"},
    {"Erneut", "Retry"},
    {"Entfernen", "Remove"},
    {"Kopieren", "Copy"},
    {"%1 aktualisiert, %2 übersprungen, %3 fehlgeschlagen, %4 abgebrochen, %5 laufen",
     "%1 updated, %2 skipped, %3 failed, %4 aborted, %5 running"},
    {"%1 von %2 Adressen gefragt, %3 Rekorder gefunden",
     "%1 of %2 addresses asked, %3 recorders found"},
    {"%1 Rekorder mit %2 aktualisieren?", "Update %1 recorders with %2?"},
    {"Es laufen noch Rekorder. Alle abbrechen und beenden?",
     "Recorders are still running. Abort them all and exit?"},
    {"Kein Rekorder angehakt", "No recorder is checked"},
    {"Keine Updatedatei gewählt", "No update file chosen"},
    {"SHA-256 wird berechnet…", "Computing SHA-256…"},
    {"%1 braucht eine ganze Zahl von %2 bis %3", "%1 needs a whole number from %2 to %3"},
    {"%1 enthält Zeichen, die der Rekorder nicht annimmt",
     "%1 holds characters the recorder does not take"},
    {"Rekorder hinzufügen", "Add recorders"},
    {"Namen oder Adressen, einer je Zeile:", "Names or addresses, one per line:"},
    {"&Bericht öffnen…", "Open &report…"},
    {"OK", "OK"},
    {"Abbruch", "Cancel"},
    {"Zeile %1: %2", "Line %1: %2"},
    {"Hosts-Datei wählen", "Choose hosts file"},
    {"Bericht öffnen", "Open report"},
    {"Exportieren", "Export"},
    {"Hosts-Dateien|hosts;lmhosts;*.txt;*.sam|Alle Dateien|*||",
     "Hosts files|hosts;lmhosts;*.txt;*.sam|All files|*||"},
    {"Berichte (*.jsonl)|*.jsonl;*.json|Alle Dateien|*||",
     "Reports (*.jsonl)|*.jsonl;*.json|All files|*||"},
    {"Bericht (*.jsonl)|*.jsonl|Tabelle (*.csv)|*.csv||",
     "Report (*.jsonl)|*.jsonl|Spreadsheet (*.csv)|*.csv||"},
    {"%1 kann nicht gelesen werden", "%1 cannot be read"},
    {"%1 kann nicht geschrieben werden: %2", "%1 cannot be written: %2"},
});

}  // namespace

std::string_view FleetEnglishText(std::string_view german) {
    const std::string_view english = LookUpEnglish(kFleetTable, german);
    return english.data() != nullptr ? english : EnglishText(german);
}

std::string LocalizeFleetText(std::string_view german) {
    return std::string(SystemLanguageIsGerman() ? german : FleetEnglishText(german));
}

}  // namespace trelvo
