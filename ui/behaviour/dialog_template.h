#pragma once

#include <algorithm>
#include <array>
#include <stdexcept>

#include "trelvo_version.h"

// The window's layout in dialog units of its 8-point font, control by
// control in creation order, which is also the tab order. Plain C++: every
// window built on it, whatever its toolkit, shares the ids and the texts.
namespace trelvo {

enum ControlId : int {
    IDC_START = 1000,
    IDC_LABEL_ADDRESS = 1001,
    IDC_LABEL_FILE = 1002,
    IDC_LABEL_CODE = 1003,
    IDC_LABEL_PROGRESS = 1004,
    IDC_UPDATE_CODE = 1005,
    IDC_SOURCE_FILE = 1006,
    IDC_LINK_KIND = 1008,
    IDC_ADDRESS = 1009,
    IDC_PROGRESS = 1010,
    IDC_BROWSE = 1011,
    IDC_LABEL_PASSWORD = 1013,
    IDC_PASSWORD = 1014,
    IDC_EXIT = 1015,
    IDC_LABEL_STATUS = 1016,
    IDC_STATUS = 1017,
    IDC_LABEL_TIME = 1018,
    IDC_TIME = 1019,
};

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlTemplate {
    ControlId id;
    // The control's object name, so that tests and people find it by its id's name.
    const char* name;
    // For the combo boxes the height includes the dropped-down list.
    DialogRect rect;
    const char* text;
};

inline constexpr const char* kDialogTitle = TRELVO_WINDOW_TITLE;
inline constexpr DialogRect kDialogSize{0, 0, 294, 191};

inline constexpr std::array<ControlTemplate, 18> kDialogTemplate{{
    {IDC_PASSWORD, "IDC_PASSWORD", {100, 11, 128, 12}, ""},
    {IDC_UPDATE_CODE, "IDC_UPDATE_CODE", {100, 36, 128, 12}, ""},
    {IDC_SOURCE_FILE, "IDC_SOURCE_FILE", {100, 63, 165, 12}, ""},
    {IDC_BROWSE, "IDC_BROWSE", {270, 63, 14, 12}, "..."},
    {IDC_LINK_KIND, "IDC_LINK_KIND", {100, 111, 70, 63}, ""},
    {IDC_ADDRESS, "IDC_ADDRESS", {100, 85, 105, 93}, ""},
    {IDC_START, "IDC_START", {183, 172, 50, 14}, "Start"},
    {IDC_EXIT, "IDC_EXIT", {237, 172, 50, 14}, "Exit"},
    {IDC_PROGRESS, "IDC_PROGRESS", {100, 151, 187, 12}, "Progress1"},
    {IDC_LABEL_CODE, "IDC_LABEL_CODE", {7, 36, 86, 9}, "Update Code:"},
    {IDC_LABEL_FILE, "IDC_LABEL_FILE", {7, 62, 86, 9}, "Quelldatei:"},
    {IDC_LABEL_ADDRESS, "IDC_LABEL_ADDRESS", {7, 87, 86, 9}, "Verbindung zu VDX:"},
    {IDC_LABEL_PROGRESS, "IDC_LABEL_PROGRESS", {7, 151, 86, 9}, "Übertragung:"},
    {IDC_LABEL_PASSWORD, "IDC_LABEL_PASSWORD", {7, 14, 86, 9}, "Administrator Passwort:"},
    {IDC_LABEL_STATUS, "IDC_LABEL_STATUS", {7, 137, 86, 9}, "Status:"},
    {IDC_STATUS, "IDC_STATUS", {100, 137, 117, 10}, "Keine Verbindung"},
    {IDC_LABEL_TIME, "IDC_LABEL_TIME", {7, 124, 86, 9}, "Übertragungsdauer:"},
    {IDC_TIME, "IDC_TIME", {100, 124, 33, 8}, "-- : -- : --"},
}};

// The template row of a control.
constexpr const ControlTemplate& TemplateOf(ControlId id) {
    const auto* row =
        std::find_if(kDialogTemplate.begin(), kDialogTemplate.end(),
                     [id](const ControlTemplate& control) { return control.id == id; });
    if (row == kDialogTemplate.end()) {
        throw std::invalid_argument("no control with this id in the dialog template");
    }
    return *row;
}

}  // namespace trelvo
