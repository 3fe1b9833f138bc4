#include "job/job_outcome.h"

#include "job/wire_format.h"

namespace trelvo {
namespace {

std::string_view RefusalText(std::uint16_t status) {
    switch (status) {
        case STATUS_BAD_UPDATE_CODE:
            return "Der übertragene Updatecode ist nicht gültig\n"
                   "Aktualisierung konnte nicht durchgeführt werden";
        case STATUS_BAD_UPDATE_FILE:
            return "Die übertragene Updatedatei ist beschädigt oder ungültig\n"
                   "Aktualisierung konnte nicht durchgeführt werden";
        case STATUS_UPDATE_FAILED:
            return "Die Aktualisierung konnte nicht durchgeführt werden";
        case STATUS_VERSION_NOT_UPDATABLE:
            return "Diese Version des Rekorders ist per Trelvo nicht updatefähig\n"
                   "Aktualisierung konnte nicht durchgeführt werden";
        default:
            return "Unbekannter Fehler\nAktualisierung konnte nicht durchgeführt werden";
    }
}

}  // namespace

std::string_view OutcomeMessage(const JobOutcome& outcome) {
    switch (outcome.kind) {
        case Outcome::Succeeded:
            return "Aktualisierung erfolgreich beendet";
        case Outcome::FileNotFound:
            return "Gewählte Datei konnte nicht gefunden werden";
        case Outcome::FileEmpty:
            return "Gewählte Datei hat keinen Inhalt";
        case Outcome::FileTooLarge:
            return "Gewählte Datei ist zu groß";
        case Outcome::CodeTooLong:
            return "Update Code ist zu lang";
        case Outcome::ConnectFailed:
            return "Verbindungsaufbau fehlgeschlagen";
        case Outcome::PortUnavailable:
            return "Verbindungsfehler - COM Port nicht ansprechbar";
        case Outcome::VersionRefused:
            return "Diese Version des Rekorders ist per Trelvo nicht updatefähig";
        case Outcome::AccessDenied:
            return "Zugang verweigert - ungültiges Passwort";
        case Outcome::TransferFailed:
            return "Fehler bei der Übertragung der Datei!";
        case Outcome::RefusedByRecorder:
            return RefusalText(outcome.status);
        case Outcome::TimedOut:
            return "Zeitüberschreitung - Rekorder antwortet nicht";
        case Outcome::ConnectionLost:
            return "Verbindung zum Rekorder unterbrochen";
        case Outcome::Aborted:
            return {};
        case Outcome::Probed:
            return "Prüfung bestanden";
        case Outcome::Skipped:
            return "Version bereits installiert";
        case Outcome::Verified:
            return "Aktualisierung erfolgreich beendet, neue Version bestätigt";
        case Outcome::NotVerified:
            return "Rekorder meldet Erfolg, aber nicht die erwartete Version";
    }
    return {};
}

std::string_view OutcomeName(Outcome kind) {
    switch (kind) {
        case Outcome::Succeeded:
            return "succeeded";
        case Outcome::FileNotFound:
            return "file-not-found";
        case Outcome::FileEmpty:
            return "file-empty";
        case Outcome::FileTooLarge:
            return "file-too-large";
        case Outcome::CodeTooLong:
            return "code-too-long";
        case Outcome::ConnectFailed:
            return "connect-failed";
        case Outcome::PortUnavailable:
            return "port-unavailable";
        case Outcome::VersionRefused:
            return "version-refused";
        case Outcome::AccessDenied:
            return "access-denied";
        case Outcome::TransferFailed:
            return "transfer-failed";
        case Outcome::RefusedByRecorder:
            return "refused-by-recorder";
        case Outcome::TimedOut:
            return "timed-out";
        case Outcome::ConnectionLost:
            return "connection-lost";
        case Outcome::Aborted:
            return "aborted";
        case Outcome::Probed:
            return "probed";
        case Outcome::Skipped:
            return "skipped";
        case Outcome::Verified:
            return "verified";
        case Outcome::NotVerified:
            return "not-verified";
    }
    return {};
}

}  // namespace trelvo
