#pragma once

// Ids of the program's resources, shared by the resource script and the code.
// The controls' ids are the layout table's (ui/behaviour/dialog_template.h); the
// resource script spells them out because the resource compiler reads only
// the preprocessor's language.
#define IDD_UPDATE_DIALOG 102
#define IDS_SOCKET_INIT_FAILED 103
#define IDI_MAIN 128
#define IDB_BACKGROUND 135
