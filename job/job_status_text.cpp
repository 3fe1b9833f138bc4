#include "job/job_status_text.h"

#include "localisation/localize_text.h"

namespace trelvo {

const char* StatusText(JobState state) {
    switch (state) {
        case JobState::Idle:
            return "Keine Verbindung";
        case JobState::Connecting:
            return "Verbindungsaufbau";
        case JobState::QueryVersion:
            return "Versionsabfrage";
        case JobState::AwaitVersion:
            return "Passwort wird gesendet";
        case JobState::AwaitAccess:
        case JobState::Transfer:
            return "Datei wird gesendet";
        case JobState::AwaitResult:
            return "Prüfe Erfolg";
    }
    return "";
}

std::string ShownStatusText(JobState state) {
    const char* text = StatusText(state);
    return text == nullptr ? std::string() : LocalizeText(text);
}

std::string_view StateName(JobState state) {
    switch (state) {
        case JobState::Idle:
            return "Idle";
        case JobState::Connecting:
            return "Connecting";
        case JobState::QueryVersion:
            return "QueryVersion";
        case JobState::AwaitVersion:
            return "AwaitVersion";
        case JobState::AwaitAccess:
            return "AwaitAccess";
        case JobState::Transfer:
            return "Transfer";
        case JobState::AwaitResult:
            return "AwaitResult";
    }
    return "";
}

}  // namespace trelvo
